#include "core/poll_loop.h"
#include "main/main_display.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "support/test_rig.h"

namespace zelkon {
namespace {

using testing::PacketBytes;
using testing::TestRig;
using Timed = std::vector<std::pair<int64_t, PacketBytes>>;

Timed SentWithTimes(const testing::FakeSerialPort& port) {
  Timed sent;
  for (const auto& write : port.Writes()) {
    for (auto& packet : testing::Deframe(write.frame))
      sent.emplace_back(write.timeMs, packet);
  }
  return sent;
}

const PacketBytes kStartupPortSettings{0xBC, 0x01, 0x07, 0x07, 0x03, 0x01,
                                       0x00, 0x00, 0x02, 0x02, 0x00};

// From main-window creation on virtual time: the start-up set-up on the first TimerBreak tick
// (200 ms), its 1000 ms wait, the settings command, 200 ms, the PC port follows (three 20 ms
// settling pauses), then the poll loop every 200 ms with each query 100 ms into its tick.
TEST(PollLoop, StartupAndRoundRobinScheduleWithoutTimingPackets) {
  TestRig rig;
  ASSERT_TRUE(rig.Start());
  rig.loop.RunFor(3900);

  const Timed expected = {
      {1300, kStartupPortSettings},
      {1860, {0x3C, 0x00}},  // tick 1 (1760), phase 1
                             // tick 2 (1960), phase 2: the time-out step sends nothing
      {2260, {0x1F}},        // tick 3 (2160): software version, then phase 3
      {2360, {0x21}},
      {2660, {0x8E, 0x42}},  // tick 4 (2560): production parameters, then phase 4
      {2760, {0x26}},
      {3060, {0x8E, 0x0B}},  // tick 5 (2960), phase 5
      {3260, {0x24}},        // tick 6 (3160), phase 0
      {3460, {0x3C, 0x00}},  // tick 7, phase 1
                             // tick 8 (3560), phase 2
      {3860, {0x21}},        // tick 9 (3760), phase 3
  };
  EXPECT_EQ(SentWithTimes(rig.port), expected);
  EXPECT_EQ(rig.app.polling.StartupCountdown, -1);
  EXPECT_EQ(rig.app.Form_Main.Panel_Serial.Caption(), "COM1 9600, 8-Odd-1");
  EXPECT_FALSE(rig.app.Form_Main.TimerBreak.Enabled());
  EXPECT_TRUE(rig.app.Form_Main.Timer_RXBIN.Enabled());
}

TEST(PollLoop, RoundRobinWithTimingPacketsAndSwitchingModeMidRound) {
  TestRig rig;
  Monitor& app = rig.app;
  ASSERT_TRUE(rig.Start());
  app.polling.StartupCountdown = -1;
  app.Form_Main.ControlPollingTimingPkts.SetChecked(true);

  std::vector<PacketBytes> sent;
  auto tick = [&] {
    rig.port.ClearWrites();
    PollTick(app);
    const auto packets = rig.port.SentPackets();
    return packets.empty() ? PacketBytes{} : packets.front();
  };
  app.polling.PollPhase = 5;  // the next tick is phase 0
  for (int i = 0; i < 6; ++i)
    sent.push_back(tick());
  EXPECT_EQ(sent, (std::vector<PacketBytes>{
                      {0x24}, {0x3C, 0x00}, {}, {0x8E, 0xAB, 0x02}, {0x8E, 0xAB, 0x02}, {}}));

  // Switched off after phase 3: phases 4 and 5 follow the new mode at once.
  sent.clear();
  app.polling.PollPhase = 2;
  sent.push_back(tick());
  app.Form_Main.ControlPollingTimingPkts.SetChecked(false);
  sent.push_back(tick());
  sent.push_back(tick());
  EXPECT_EQ(sent, (std::vector<PacketBytes>{{0x8E, 0xAB, 0x02}, {0x26}, {0x8E, 0x0B}}));
}

TEST(PollLoop, StartupQueriesGoOutOnTheThirdAndFourthTickOnly) {
  TestRig rig;
  Monitor& app = rig.app;
  ASSERT_TRUE(rig.Start());
  app.state.LinkReady = true;
  std::vector<std::vector<PacketBytes>> perTick;
  for (int i = 0; i < 7; ++i) {
    rig.port.ClearWrites();
    PollTick(app);
    perTick.push_back(rig.port.SentPackets());
  }
  EXPECT_EQ(perTick[0], (std::vector<PacketBytes>{{0x3C, 0x00}}));
  EXPECT_EQ(perTick[1], (std::vector<PacketBytes>{}));
  EXPECT_EQ(perTick[2], (std::vector<PacketBytes>{{0x1F}, {0x21}}));
  EXPECT_EQ(perTick[3], (std::vector<PacketBytes>{{0x8E, 0x42}, {0x26}}));
  EXPECT_EQ(perTick[4], (std::vector<PacketBytes>{{0x8E, 0x0B}}));
  EXPECT_EQ(perTick[5], (std::vector<PacketBytes>{{0x24}}));
  EXPECT_EQ(perTick[6], (std::vector<PacketBytes>{{0x3C, 0x00}}));
  EXPECT_EQ(app.polling.StartupCountdown, -1);
}

TEST(PollLoop, LedsStayLitForTheRestOfTheTickAndTheNextAndGoGreyOnTheTickAfter) {
  TestRig rig;
  Monitor& app = rig.app;
  ASSERT_TRUE(rig.Start());
  app.polling.StartupCountdown = -1;
  app.state.LinkReady = false;  // no queries: only the packet lights an LED
  const Shape& rx = app.Form_Main.Shape_RxLED;

  rig.port.ReceivePacket({0x46, 0x00, 0x00});
  PollTick(app);
  EXPECT_EQ(rx.BrushColor(), colours::kGreen);
  PollTick(app);
  EXPECT_EQ(rx.BrushColor(), colours::kGreen);
  PollTick(app);
  EXPECT_EQ(rx.BrushColor(), colours::kGrey);

  // Packets on every tick: grey on every second tick until that tick's packets light it again.
  rig.port.ReceivePacket({0x46, 0x00, 0x00});
  PollTick(app);
  EXPECT_TRUE(!app.polling.RxLedLit && rx.BrushColor() == colours::kGreen);
  rig.port.ReceivePacket({0x46, 0x00, 0x00});
  PollTick(app);
  EXPECT_TRUE(app.polling.RxLedLit);

  // A send lights Tx in the same way.
  app.state.LinkReady = true;
  app.polling.PollPhase = 0;  // next: phase 1, a query
  PollTick(app);
  EXPECT_EQ(app.Form_Main.Shape_TxLED.BrushColor(), colours::kGreen);
  PollTick(app);  // phase 2 sends nothing
  EXPECT_EQ(app.Form_Main.Shape_TxLED.BrushColor(), colours::kGreen);
  app.state.LinkReady = false;
  PollTick(app);
  EXPECT_EQ(app.Form_Main.Shape_TxLED.BrushColor(), colours::kGrey);
}

class TimeoutStepTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(rig.Start());
    rig.app.state.LinkReady = false;
  }
  void FillDisplays() {
    TForm_Main& f = rig.app.Form_Main;
    f.Panel_TOW.SetCaption("318000");
    f.Panel_Mode.SetCaption("Overdetermined Clock");
    f.Panel_PPSOffset.SetCaption("1.25");
    f.Panel_SV[0].SetCaption("14");
    f.Shape_Bit5.SetBrushColor(colours::kYellow);
    f.Shape_PPS.SetBrushColor(colours::kGreen);
  }
  // Runs `n` time-out steps and reports after which ones Panel_TOW was emptied.
  std::vector<int> StepsThatCleared(int n) {
    std::vector<int> cleared;
    for (int i = 1; i <= n; ++i) {
      FillDisplays();
      TimeoutStep(rig.app);
      if (rig.app.Form_Main.Panel_TOW.Caption().empty()) cleared.push_back(i);
    }
    return cleared;
  }
  TestRig rig;
};

TEST_F(TimeoutStepTest, DisplayIsClearedOnceWhenTheCountdownPassesZero) {
  EXPECT_EQ(StepsThatCleared(10), std::vector<int>{});  // never set: never cleared

  rig.app.state.TimeCountdown = 5;
  EXPECT_EQ(StepsThatCleared(12), std::vector<int>{5});
  EXPECT_LT(rig.app.state.TimeCountdown, 0);

  rig.app.state.TimeCountdown = 5;  // a new time report starts it anew
  EXPECT_EQ(StepsThatCleared(6), std::vector<int>{5});
}

TEST_F(TimeoutStepTest, ClearingKeepsSatelliteRowsAndGreysTimingOnlyWithoutTimingPackets) {
  TForm_Main& f = rig.app.Form_Main;
  f.ControlPollingTimingPkts.SetChecked(true);
  rig.app.state.TimeCountdown = 1;
  FillDisplays();
  TimeoutStep(rig.app);
  EXPECT_EQ(f.Panel_Mode.Caption(), "");
  EXPECT_EQ(f.Panel_PPSOffset.Caption(), "");
  EXPECT_EQ(f.Panel_PPSOffset.Color(), colours::kWindow);
  EXPECT_EQ(f.Shape_Bit5.BrushColor(), colours::kGrey);
  EXPECT_EQ(f.Shape_PPS.BrushColor(), colours::kGrey);
  EXPECT_EQ(f.Panel_SV[0].Caption(), "14");

  f.ControlPollingTimingPkts.SetChecked(false);
  rig.app.state.TimeCountdown = 1;
  FillDisplays();
  TimeoutStep(rig.app);
  EXPECT_EQ(f.Panel_PPSOffset.Color(), colours::kButtonFace);
  EXPECT_EQ(f.Panel_SelfSurvey.Color(), colours::kButtonFace);
}

TEST_F(TimeoutStepTest, TimingStatusCountdownGreysTimingPanelsOnlyWithoutTimingPackets) {
  TForm_Main& f = rig.app.Form_Main;
  f.ControlPollingTimingPkts.SetChecked(true);
  rig.app.state.TimingStatusCountdown = 1;
  FillDisplays();
  TimeoutStep(rig.app);
  EXPECT_EQ(f.Panel_PPSOffset.Caption(), "1.25");
  EXPECT_EQ(f.Panel_TOW.Caption(), "318000");

  f.ControlPollingTimingPkts.SetChecked(false);
  rig.app.state.TimingStatusCountdown = 1;
  FillDisplays();
  TimeoutStep(rig.app);
  EXPECT_EQ(f.Panel_PPSOffset.Caption(), "");
  EXPECT_EQ(f.Panel_PPSOffset.Color(), colours::kButtonFace);
  EXPECT_EQ(f.Shape_PPS.BrushColor(), colours::kGrey);
  EXPECT_EQ(f.Panel_TOW.Caption(), "318000");  // the time group stays
}

TEST_F(TimeoutStepTest, ClearingWithSatelliteRowsResetsAllTwelveRows) {
  TForm_Main& f = rig.app.Form_Main;
  for (size_t i = 0; i < 12; ++i) {
    f.Panel_SV[i].SetCaption("31");
    f.Panel_SV[i].SetColor(colours::kYellow);
    f.Panel_AMU[i].SetCaption("12.5");
  }
  ClearMainDisplay(rig.app, true);
  for (size_t i = 0; i < 12; ++i) {
    EXPECT_EQ(f.Panel_SV[i].Caption(), "0");
    EXPECT_EQ(f.Panel_SV[i].Color(), colours::kWindow);
    EXPECT_EQ(f.Panel_AMU[i].Caption(), "0.0");
  }
}

TEST_F(TimeoutStepTest, ClearingFirstDecodesWhatIsWaiting) {
  rig.port.ReceivePacket({0x46, 0x00, 0x00});
  ClearMainDisplay(rig.app, false);
  EXPECT_EQ(rig.port.BytesWaiting(), 0);
  EXPECT_EQ(rig.app.Form_Main.Shape_RxLED.BrushColor(), colours::kGreen);
}

}  // namespace
}  // namespace zelkon
