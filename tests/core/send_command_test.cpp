#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "commands/commands.h"
#include "support/test_rig.h"

namespace zelkon {
namespace {

using testing::PacketBytes;
using testing::TestRig;

TEST(SendCommand, DroppedWithoutWaitOrLightWhileTheLinkIsNotReady) {
  TestRig rig;
  ASSERT_TRUE(rig.Start());
  rig.app.state.LinkReady = false;
  SendWarmReset(rig.app);
  SendTimeQuery(rig.app);
  EXPECT_TRUE(rig.port.Writes().empty());
  EXPECT_TRUE(rig.clock.Sleeps().empty());
  EXPECT_EQ(rig.app.Form_Main.Shape_TxLED.BrushColor(), colours::kGrey);
}

TEST(SendCommand, WaitsThenLightsTxAndWritesOneFrame) {
  TestRig rig;
  ASSERT_TRUE(rig.Start());
  const int64_t start = rig.clock.NowMs();
  SendRestartSelfSurvey(rig.app);
  ASSERT_EQ(rig.port.Writes().size(), 1u);
  EXPECT_EQ(rig.port.Writes()[0].timeMs, start + kSendWaitMs);
  EXPECT_EQ(rig.port.Writes()[0].frame, (std::vector<uint8_t>{0x10, 0x8E, 0xA6, 0x00, 0x10, 0x03}));
  EXPECT_EQ(rig.clock.Sleeps(), std::vector<int64_t>{kSendWaitMs});
  EXPECT_EQ(rig.app.Form_Main.Shape_TxLED.BrushColor(), colours::kGreen);
}

// A worker thread and the user-interface thread send at once, on a port that takes each frame a
// byte at a time. Every frame must reach the wire whole, and the worker must never touch a
// control: its Tx LED change waits in the queue for the user-interface thread.
TEST(SendCommand, FramesFromTwoThreadsNeverInterleave) {
  TestRig rig;
  ASSERT_TRUE(rig.Start());
  rig.port.slowWrites = true;
  constexpr int kPerThread = 200;

  // Each thread sends its own packets, numbered, with DLE bytes that must stay stuffed.
  auto packetOf = [](uint8_t sender, int i) {
    return PacketBytes{0x8E, sender, 0x10, static_cast<uint8_t>(i), static_cast<uint8_t>(i >> 8),
                       0x10};
  };
  std::thread worker([&] {
    for (int i = 0; i < kPerThread; ++i) {
      const PacketBytes p = packetOf(0xA1, i);
      rig.app.SendCommand(p);
    }
  });
  for (int i = 0; i < kPerThread; ++i) {
    const PacketBytes p = packetOf(0xB2, i);
    rig.app.SendCommand(p);
  }
  worker.join();

  const auto packets = testing::Deframe(rig.port.WireBytes());
  ASSERT_EQ(packets.size(), 2u * kPerThread);
  int next[2] = {0, 0};
  for (const PacketBytes& p : packets) {
    ASSERT_EQ(p.size(), 6u);
    const int who = p[1] == 0xA1 ? 0 : 1;
    ASSERT_TRUE(p[1] == 0xA1 || p[1] == 0xB2);
    EXPECT_EQ(p, packetOf(p[1], next[who]));
    ++next[who];
  }

  // The worker's LED requests were queued; the user-interface thread applies them.
  rig.app.Form_Main.Shape_TxLED.SetBrushColor(colours::kGrey);
  EXPECT_EQ(rig.app.ui.Drain(), kPerThread);
  EXPECT_EQ(rig.app.Form_Main.Shape_TxLED.BrushColor(), colours::kGreen);
}

}  // namespace
}  // namespace zelkon
