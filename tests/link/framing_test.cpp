#include "link/framing.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "support/fake_serial_port.h"

namespace zelkon {
namespace {

using testing::Frame;
using testing::PacketBytes;
using Bytes = std::vector<uint8_t>;

// Feeds `bytes` as one port read and collects the packets completed.
class Feeder {
 public:
  std::vector<PacketBytes> Read(const Bytes& bytes, const bool* stopFlag = nullptr) {
    std::vector<PacketBytes> packets;
    std::copy(bytes.begin(), bytes.end(), receiver_->readBuffer);
    receiver_->readPosition = 0;
    receiver_->bytesRemaining = static_cast<uint32_t>(bytes.size());
    FeedReadBuffer(
        *receiver_,
        [&](const PacketReceiver& r) {
          packets.push_back(testing::PacketOf(r));
          if (onPacket) onPacket();
        },
        stopFlag);
    return packets;
  }
  PacketReceiver& receiver() { return *receiver_; }
  std::function<void()> onPacket;

 private:
  std::unique_ptr<PacketReceiver> receiver_ = std::make_unique<PacketReceiver>();
};

TEST(Framing, DestuffsPayloadAndKeepsSubCodeAsPayload) {
  Feeder f;
  EXPECT_EQ(f.Read({0x10, 0x41, 0x01, 0x10, 0x10, 0x02, 0x10, 0x03}),
            (std::vector<PacketBytes>{{0x41, 0x01, 0x10, 0x02}}));
  // A lone ETX that does not follow an unpaired DLE is data.
  EXPECT_EQ(f.Read({0x10, 0x42, 0x03, 0x03, 0x10, 0x03}),
            (std::vector<PacketBytes>{{0x42, 0x03, 0x03}}));
  // A superpacket's sub-code is payload byte 0 and counts in the length.
  const auto packets = f.Read({0x10, 0x8F, 0xAB, 0x01, 0x10, 0x03});
  ASSERT_EQ(packets.size(), 1u);
  EXPECT_EQ(packets[0], (PacketBytes{0x8F, 0xAB, 0x01}));
  EXPECT_EQ(f.receiver().PayloadLength(), 2);
}

TEST(Framing, FrameSplitAcrossReadsIsCompletedOnTheLaterRead) {
  Feeder f;
  EXPECT_TRUE(f.Read({0x10, 0x41, 0x05, 0x06, 0x10}).empty());  // closing DLE ends this read
  EXPECT_EQ(f.Read({0x03}), (std::vector<PacketBytes>{{0x41, 0x05, 0x06}}));
  // A stuffed pair split between reads stays one data byte.
  EXPECT_TRUE(f.Read({0x10, 0x46, 0x10}).empty());
  EXPECT_EQ(f.Read({0x10, 0x10, 0x03}), (std::vector<PacketBytes>{{0x46, 0x10}}));
}

TEST(Framing, SeveralFramesInOneReadAreHandedOnInOrderEachBeforeTheNextByte) {
  Feeder f;
  std::vector<int> lengthsSeenAtHandler;
  f.onPacket = [&] { lengthsSeenAtHandler.push_back(f.receiver().PayloadLength()); };
  const auto packets = f.Read({0x10, 0x41, 0x01, 0x10, 0x03, 0x10, 0x42, 0x02, 0x02, 0x10, 0x03});
  EXPECT_EQ(packets, (std::vector<PacketBytes>{{0x41, 0x01}, {0x42, 0x02, 0x02}}));
  EXPECT_EQ(lengthsSeenAtHandler, (std::vector<int>{1, 2}));
}

TEST(Framing, BytesOutsideFramesNeverReachAHandlerWhenAProperFrameFollows) {
  Feeder f;
  // Leading noise, then noise between a DLE ETX and the next DLE.
  EXPECT_EQ(f.Read({0x55, 0x66, 0x03, 0x10, 0x41, 0x07, 0x10, 0x03, 0x99, 0x98, 0x10, 0x42, 0x08,
                    0x10, 0x03}),
            (std::vector<PacketBytes>{{0x41, 0x07}, {0x42, 0x08}}));
}

TEST(Framing, DleFollowedByAnIdAbandonsThePacketInProgress) {
  Feeder f;
  EXPECT_EQ(f.Read({0x10, 0x41, 0x01, 0x02, 0x10, 0x42, 0x09, 0x10, 0x03}),
            (std::vector<PacketBytes>{{0x42, 0x09}}));
}

TEST(Framing, LostOpeningIsDeliveredUnderThePreviousId) {
  Feeder f;
  EXPECT_EQ(f.Read({0x01, 0x02, 0x10, 0x03}), (std::vector<PacketBytes>{{0x00, 0x01, 0x02}}));
  f.Read({0x10, 0x5C, 0x00, 0x10, 0x03});
  EXPECT_EQ(f.Read({0x07, 0x10, 0x03}), (std::vector<PacketBytes>{{0x5C, 0x07}}));
}

TEST(Framing, LongestPayloadIsDeliveredAndOneMoreOverflows) {
  Feeder f;
  PacketBytes longest(1 + kMaxPayload, 0x22);
  longest[0] = 0x58;
  EXPECT_EQ(f.Read(Frame(longest)), (std::vector<PacketBytes>{longest}));

  PacketBytes tooLong(1 + kMaxPayload + 1, 0x22);
  tooLong[0] = 0x58;
  // The 512 payload bytes are dropped at the closing DLE: an empty packet with id 0 remains.
  EXPECT_EQ(f.Read(Frame(tooLong)), (std::vector<PacketBytes>{{0x00}}));

  // Bytes beyond the overflow are kept under id 0.
  PacketBytes farTooLong(1 + 515, 0x22);
  farTooLong[0] = 0x58;
  EXPECT_EQ(f.Read(Frame(farTooLong)), (std::vector<PacketBytes>{{0x00, 0x22, 0x22, 0x22}}));
}

TEST(Framing, StopFlagDropsTheRestOfTheRead) {
  Feeder f;
  bool captured = false;
  f.onPacket = [&] { captured = true; };
  const auto packets =
      f.Read({0x10, 0x58, 0x02, 0x10, 0x03, 0x10, 0x58, 0x03, 0x10, 0x03}, &captured);
  EXPECT_EQ(packets, (std::vector<PacketBytes>{{0x58, 0x02}}));
  EXPECT_EQ(f.receiver().readPosition, 0);
  EXPECT_EQ(f.receiver().bytesRemaining, 0u);
  // The second frame was never fed: a fresh read starts clean.
  captured = false;
  EXPECT_EQ(f.Read({0x10, 0x41, 0x01, 0x10, 0x03}, &captured),
            (std::vector<PacketBytes>{{0x41, 0x01}}));
}

TEST(Framing, FramingStuffsEveryDleAndCountsTheFrameLength) {
  const uint8_t command[] = {0x8E, 0x10};
  uint8_t frame[2 * 2 + 3];
  ASSERT_EQ(FrameBytes(command, frame), 6);
  EXPECT_EQ(Bytes(frame, frame + 6), (Bytes{0x10, 0x8E, 0x10, 0x10, 0x10, 0x03}));

  const uint8_t single[] = {0x1F};
  EXPECT_EQ(FrameBytes(single, frame), 4);
  EXPECT_EQ(Bytes(frame, frame + 4), (Bytes{0x10, 0x1F, 0x10, 0x03}));
}

// The batched feed loop must behave exactly as FeedByte called once per byte, whatever the stream:
// random frames, noise, stuffing, overflow and reads cut anywhere.
TEST(Framing, BatchedFeedMatchesFeedByteOnRandomStreams) {
  std::mt19937 random(20261209);
  for (int round = 0; round < 40; ++round) {
    Bytes stream;
    while (stream.size() < 20000) {
      const int kind = static_cast<int>(random() % 10);
      if (kind == 0) {  // noise, DLE-heavy
        for (int i = 0, n = static_cast<int>(random() % 8); i < n; ++i) {
          stream.push_back(random() % 3 == 0 ? 0x10 : static_cast<uint8_t>(random()));
        }
        continue;
      }
      // Long packets have few DLEs, so long runs of data meet the overflow; short ones many.
      const bool longPacket = kind == 1;
      PacketBytes packet(1 + random() % (longPacket ? 700 : 80));
      for (auto& b : packet) {
        const auto data = static_cast<uint8_t>(random());
        b = random() % (longPacket ? 300 : 4) == 0 ? kDle : (data == kDle ? 0x11 : data);
      }
      if (packet[0] == 0x10 || packet[0] == 0x03) packet[0] = 0x41;
      const Bytes frame = Frame(packet);
      stream.insert(stream.end(), frame.begin(), frame.end());
    }

    auto byByte = std::make_unique<PacketReceiver>();
    std::vector<PacketBytes> expected;
    Feeder batched;
    std::vector<PacketBytes> actual;
    for (size_t start = 0; start < stream.size();) {
      const size_t n = std::min<size_t>(stream.size() - start, 1 + random() % kReadBufferSize);
      const Bytes chunk(stream.begin() + static_cast<std::ptrdiff_t>(start),
                        stream.begin() + static_cast<std::ptrdiff_t>(start + n));
      std::copy(chunk.begin(), chunk.end(), byByte->readBuffer);
      byByte->readPosition = 0;
      byByte->bytesRemaining = static_cast<uint32_t>(n);
      while (byByte->bytesRemaining > 0) {
        if (FeedByte(*byByte)) {
          expected.push_back(testing::PacketOf(*byByte));
        }
      }
      for (auto& packet : batched.Read(chunk))
        actual.push_back(packet);
      start += n;
    }
    ASSERT_EQ(actual, expected) << "round " << round;
    EXPECT_EQ(batched.receiver().packetLength, byByte->packetLength);
    EXPECT_EQ(batched.receiver().dleSeen, byByte->dleSeen);
    EXPECT_EQ(batched.receiver().packetId, byByte->packetId);
  }
}

}  // namespace
}  // namespace zelkon
