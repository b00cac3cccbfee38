// What the console does not reach of the output-setting windows: the pause between the two
// queries of the packet-masks window, and reports of a wrong length, which the emulator never
// sends.
#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "config/packet_masks_form.h"
#include "decode/decoders.h"
#include "support/decoder_helpers.h"
#include "support/test_rig.h"

namespace zelkon {
namespace {

using testing::ChangeLog;
using testing::Decode;
using testing::PacketBytes;
using testing::TestRig;
using Bytes = std::vector<uint8_t>;

TEST(PacketMasksWindow, ActivationAsksForTheOptionsThenTheMask200MsLater) {
  TestRig rig;
  ASSERT_TRUE(rig.Start());
  const int64_t start = rig.clock.NowMs();
  rig.app.Form_PacketMasks.Activate();
  EXPECT_EQ(rig.port.SentPackets(), (std::vector<PacketBytes>{{0x35}, {0x8E, 0xA5}}));
  std::vector<int64_t> times;
  for (const auto& write : rig.port.Writes())
    times.push_back(write.timeMs - start);
  // Each send waits 100 ms; the pause between them adds 200 ms.
  EXPECT_EQ(times, (std::vector<int64_t>{100, 400}));
}

TEST(OutputMaskDecoders, AReportOfAnotherLengthChangesNothing) {
  TestRig rig;
  ChangeLog log(rig.app);
  const std::vector<std::pair<Decoder, Bytes>> reports = {
      {DecodeIoOptions, {0x13, 0x03, 0x1F, 0x0B}},
      {DecodeBroadcastMask, {0xA5, 0xFF, 0xE1, 0x00, 0x00}},
      {DecodeAutoOutputMask, {0x4D, 0xFF, 0xFF, 0xFF, 0xFF}},
      {DecodeNmeaConfig, {0x00, 0x05, 0x00, 0x00, 0x01, 0x3F}},
  };
  for (const auto& [decoder, payload] : reports) {
    Bytes longer = payload;
    longer.push_back(0);
    Decode(decoder, rig.app, longer);
    Decode(decoder, rig.app, Bytes(payload.begin(), payload.end() - 1));
  }
  EXPECT_TRUE(log.changes.empty()) << log.changes.front();
  EXPECT_EQ(rig.app.segmentReadback.nmeaInterval, -1);

  // At their own length the same reports fill the windows.
  for (const auto& [decoder, payload] : reports)
    Decode(decoder, rig.app, payload);
  EXPECT_FALSE(log.changes.empty());
  EXPECT_EQ(rig.app.segmentReadback.nmeaInterval, 5);
}

}  // namespace
}  // namespace zelkon
