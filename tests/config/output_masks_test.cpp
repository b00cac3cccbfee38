// What the console does not show of the packet-masks window: the pause between its two queries.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "config/packet_masks_form.h"
#include "support/test_rig.h"

namespace zelkon {
namespace {

using testing::PacketBytes;
using testing::TestRig;

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

}  // namespace
}  // namespace zelkon
