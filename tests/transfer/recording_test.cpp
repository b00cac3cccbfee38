#include "transfer/recording.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "link/framing.h"
#include "support/fake_serial_port.h"
#include "support/temp_path.h"
#include "support/test_rig.h"

namespace zelkon {
namespace {

class Recording : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = testing::TestTempPath(".rxb");
    ASSERT_TRUE(recording.File.Create(path_));
    recording.Active = true;
  }
  void TearDown() override {
    recording.File.Close();
    std::remove(path_.c_str());
  }
  // What is on disk now, without closing or flushing the recording.
  std::vector<uint8_t> OnDisk() const {
    std::vector<uint8_t> bytes;
    std::FILE* file = std::fopen(path_.c_str(), "rb");
    for (int c; (c = std::fgetc(file)) != EOF;)
      bytes.push_back(static_cast<uint8_t>(c));
    std::fclose(file);
    return bytes;
  }
  void Record(uint8_t id, std::vector<uint8_t> payload) { RecordPacket(rig.app, id, payload); }

  testing::TestRig rig;
  PacketRecording& recording = rig.app.recording;
  std::string path_;
};

TEST_F(Recording, PacketsAreReframedWithEveryDleDoubled) {
  Record(0x41, {0x10, 0x20});
  Record(0x25, {});
  ASSERT_TRUE(recording.File.Flush());
  EXPECT_EQ(OnDisk(), (std::vector<uint8_t>{0x10, 0x41, 0x10, 0x10, 0x20, 0x10, 0x03,  //
                                            0x10, 0x25, 0x10, 0x03}));
}

TEST_F(Recording, TheLongestPayloadAllDleIsRecordedWhole) {
  // The longest payload delivered, every byte 0x10: 1026 bytes framed, twice what a record buffer
  // of the packet buffer's size would hold. It is neither cut nor overrun, and the next record
  // follows intact.
  const std::vector<uint8_t> payload(kMaxPayload, 0x10);
  Record(0x58, payload);
  Record(0x41, {0x10, 0x20});
  ASSERT_TRUE(recording.File.Flush());
  const auto bytes = OnDisk();
  ASSERT_EQ(bytes.size(), 4u + 2 * payload.size() + 7);
  testing::PacketBytes whole(1 + payload.size(), 0x10);
  whole[0] = 0x58;
  EXPECT_EQ(testing::Deframe(bytes),
            (std::vector<testing::PacketBytes>{whole, testing::PacketBytes{0x41, 0x10, 0x20}}));
}

TEST_F(Recording, FileIsFlushedAfterEveryTwentyFirstPacketAndTheCountCarriesOver) {
  recording.FlushCount = 0;
  for (int i = 0; i < 20; ++i)
    Record(0x46, {0x00, 0x00});
  EXPECT_EQ(recording.FlushCount, 20);
  EXPECT_TRUE(OnDisk().empty());  // still in the stream's buffer
  Record(0x46, {0x00, 0x00});
  EXPECT_EQ(recording.FlushCount, 0);
  EXPECT_EQ(OnDisk().size(), 21u * 6);

  // A count left over from an earlier recording brings the first flush forward.
  recording.FlushCount = 19;
  Record(0x46, {0x00, 0x00});
  Record(0x46, {0x00, 0x00});
  EXPECT_EQ(recording.FlushCount, 0);
  EXPECT_EQ(OnDisk().size(), 23u * 6);
}

}  // namespace
}  // namespace zelkon
