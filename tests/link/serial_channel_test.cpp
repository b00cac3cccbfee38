#include "link/serial_channel.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/fake_serial_port.h"
#include "support/virtual_clock.h"

namespace zelkon {
namespace {

using testing::FakeSerialPort;
using testing::Frame;
using testing::PacketBytes;

class Channel : public ::testing::Test {
 protected:
  testing::VirtualClock clock;
  FakeSerialPort port{clock};
  uint32_t received = 0;
  bool capture = false;
  SerialChannel channel{port, received, capture};
  std::vector<PacketBytes> packets;

  void Dispatch(bool stopOnCapture = false) {
    channel.ReadAndDispatch(
        [&](const PacketReceiver& r) {
          packets.push_back(testing::PacketOf(r));
          if (onPacket) onPacket();
        },
        stopOnCapture);
  }
  std::function<void()> onPacket;
};

TEST_F(Channel, OpenResetsTheReceiveStateButKeepsThePacketIdAndSetsNineSixHundredEightOddOne) {
  PacketReceiver& r = channel.Receiver();
  r.packetId = 0x8F;
  r.packetLength = 40;
  r.dleSeen = 1;
  r.readPosition = 3;
  r.bytesRemaining = 9;
  r.completedLength = 17;
  received = 1234;

  ASSERT_EQ(channel.OpenChannel("/dev/ttyUSB0"), 0);
  EXPECT_EQ(port.openedPath, "/dev/ttyUSB0");
  EXPECT_EQ(r.packetId, 0x8F);
  EXPECT_EQ(r.packetLength, 0);
  EXPECT_EQ(r.dleSeen, 0);
  EXPECT_EQ(r.readPosition, 0);
  EXPECT_EQ(r.bytesRemaining, 0u);
  EXPECT_EQ(r.completedLength, 0u);
  EXPECT_EQ(received, 0u);
  EXPECT_EQ(port.purges, 1);
  EXPECT_EQ(port.configured, (std::vector<LineSettings>{{9600, 8, Parity::Odd, 1}}));
}

TEST_F(Channel, OpenFailsWhenTheDeviceOrItsQueuesAreRefused) {
  port.failOpen = true;
  EXPECT_EQ(channel.OpenChannel("/dev/ttyS0"), -1);
  EXPECT_FALSE(channel.IsOpen());

  port.failOpen = false;
  port.failQueueSizes = true;
  EXPECT_EQ(channel.OpenChannel("/dev/ttyS0"), -1);
  EXPECT_FALSE(port.isOpen);  // closed again
  EXPECT_TRUE(port.configured.empty());
}

TEST_F(Channel, NothingWaitingMeansNoReadAndNoCount) {
  ASSERT_EQ(channel.OpenChannel("/dev/ttyS0"), 0);
  Dispatch();
  EXPECT_EQ(port.reads, 0);
  EXPECT_EQ(received, 0u);
  EXPECT_TRUE(packets.empty());

  port.ReceivePacket({0x46, 0x00, 0x00});
  Dispatch();
  EXPECT_EQ(port.reads, 1);
  EXPECT_EQ(received, 6u);  // 10 46 00 00 10 03
  EXPECT_EQ(packets, (std::vector<PacketBytes>{{0x46, 0x00, 0x00}}));
}

TEST_F(Channel, StopOnCaptureDropsTheRestOfThatRead) {
  ASSERT_EQ(channel.OpenChannel("/dev/ttyS0"), 0);
  onPacket = [&] { capture = true; };
  port.ReceivePacket({0x58, 0x02, 0x01});
  port.ReceivePacket({0x58, 0x02, 0x02});
  Dispatch(true);
  EXPECT_EQ(packets, (std::vector<PacketBytes>{{0x58, 0x02, 0x01}}));
  EXPECT_EQ(port.BytesWaiting(), 0);  // the second frame was read, and dropped

  // Without stop-on-capture the flag is not looked at.
  packets.clear();
  port.ReceivePacket({0x58, 0x02, 0x03});
  port.ReceivePacket({0x58, 0x02, 0x04});
  Dispatch(false);
  EXPECT_EQ(packets.size(), 2u);
}

TEST_F(Channel, AHandlerThatReentersLeavesTheNewBytesForLater) {
  ASSERT_EQ(channel.OpenChannel("/dev/ttyS0"), 0);
  port.ReceivePacket({0x41, 0x01});
  port.ReceivePacket({0x42, 0x02});
  bool reentered = false;
  onPacket = [&] {
    if (reentered) return;
    reentered = true;
    port.ReceivePacket({0x43, 0x03});
    Dispatch();  // as a modal box's nested event loop would run the poll tick
  };
  Dispatch();
  EXPECT_EQ(packets, (std::vector<PacketBytes>{{0x41, 0x01}, {0x42, 0x02}}));
  onPacket = nullptr;
  Dispatch();
  EXPECT_EQ(packets.back(), (PacketBytes{0x43, 0x03}));
}

TEST_F(Channel, FramesAreWrittenWholeAndImpossibleLengthsAreNotSent) {
  ASSERT_EQ(channel.OpenChannel("/dev/ttyS0"), 0);
  const PacketBytes query{0x8E, 0xAB, 0x02};
  channel.FramePacket(query);
  ASSERT_EQ(port.Writes().size(), 1u);
  EXPECT_EQ(port.Writes()[0].frame, Frame(query));

  PacketBytes longest(kMaxPacketLength, 0x10);  // every byte doubled: the largest frame
  channel.FramePacket(longest);
  ASSERT_EQ(port.Writes().size(), 2u);
  EXPECT_EQ(port.Writes()[1].frame.size(), static_cast<size_t>(kMaxFrameLength));

  PacketBytes tooLong(kMaxPacketLength + 1, 0x00);
  channel.FramePacket(tooLong);
  channel.FramePacket(std::span(query).first(0));
  EXPECT_EQ(port.Writes().size(), 2u);
}

TEST_F(Channel, RtsPulseRaisesThenLowersAndStopsWhenRaisingFails) {
  ASSERT_EQ(channel.OpenChannel("/dev/ttyS0"), 0);
  channel.PulseRts();
  EXPECT_EQ(port.rtsChanges, (std::vector<bool>{true, false}));
  port.rtsWorks = false;
  channel.PulseRts();
  EXPECT_EQ(port.rtsChanges.size(), 2u);
}

}  // namespace
}  // namespace zelkon
