// "Down&load Time To PC" through the script console against the receiver emulator, with the PC
// clock the test's own: the clock is set only from a time the receiver vouches for, and each
// refusal says why.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>

#include "analysis/vouched_time.h"
#include "e2e/console_rig.h"
#include "sim/gps_time.h"

namespace zelkon {
namespace {

using testing::ConsoleOnEmulator;
using testing::CountOf;

constexpr double kWeekSeconds = 604800;
const std::string kClick = "click TForm_Main.ControlTimeToPC\nwait 2\n";

std::string Refusal(const std::string& reason) {
  return "message box \"" + reason + "\": Can't set time -> OK";
}

// A GPS time a few weeks after the program was built, 5 h into a Wednesday.
double PlausibleStart() { return (BuildWeekWindow().earliest + 3) * kWeekSeconds + 3.2 * 86400; }

TEST(TimeToPcConsole, SetsThePcClockOnlyFromATimeTheReceiverVouchesFor) {
  sim::SimOptions options = testing::QuickConsoleReceiver();
  options.acquireSeconds = 120;
  options.utcSeconds = 30;
  ConsoleOnEmulator rig(options, PlausibleStart());
  ASSERT_TRUE(rig.opened);
  const auto& setCalls = rig.systemTime.setCalls;

  // 8 s after power-on the receiver has no time: 0x41 says time of week -1 in week 0 (it set the
  // clock to 5 January 1980), 0x8F-AB is all zeros, 0x8F-AC says so.
  ASSERT_EQ(rig.Run("wait 8\n"), kScriptPassed) << rig.err.str();
  for (const bool timingPackets : {false, true}) {
    rig.app.Form_Main.ControlPollingTimingPkts.SetChecked(timingPackets);
    ASSERT_EQ(rig.Run(kClick), kScriptPassed) << rig.err.str();
    EXPECT_FALSE(rig.app.Feature<TimeToPcRequest>().pending);
  }
  EXPECT_EQ(CountOf(rig.boxes.str(), Refusal("GPS time is not available yet.")), 2)
      << rig.boxes.str();
  EXPECT_TRUE(setCalls.empty());

  // After the first fix, before the UTC parameters: GPS time with an offset of 0.
  ASSERT_EQ(rig.Run("wait 113\nexpect TForm_Main.Panel_UTCOffset.text 0\n" + kClick), kScriptPassed)
      << rig.err.str();
  EXPECT_EQ(CountOf(rig.boxes.str(), Refusal("UTC offset is not available yet.")), 1)
      << rig.boxes.str();

  // A test mode's time is whatever the test set, however plausible.
  rig.app.state.EngineeringMode = true;
  const int testWeek = BuildWeekWindow().earliest + 5;
  ASSERT_EQ(rig.Run("open TForm_Test\nset TForm_Test.Edit_Week " + std::to_string(testWeek) +
                    "\nset TForm_Test.Edit_TOW 3600\nclick TForm_Test.Button_SetWeek\nwait 3\n" +
                    "expect TForm_Main.Panel_WeekNum.text " + std::to_string(testWeek) + "\n" +
                    kClick + "click TForm_Test.Button_EndTest\n"),
            kScriptPassed)
      << rig.err.str();
  EXPECT_EQ(CountOf(rig.boxes.str(), Refusal("The receiver is in a test mode.")), 1)
      << rig.boxes.str();
  EXPECT_TRUE(setCalls.empty());

  // Once the UTC parameters are in, from 0x8F-AB and, with timing packets not polled, from 0x41.
  ASSERT_EQ(rig.Run("wait 30\nexpect TForm_Main.Panel_UTCOffset.text 18\n"), kScriptPassed)
      << rig.err.str();
  for (const bool timingPackets : {true, false}) {
    rig.app.Form_Main.ControlPollingTimingPkts.SetChecked(timingPackets);
    const double before = rig.receiver().TrueGps();
    ASSERT_EQ(rig.Run(kClick), kScriptPassed) << rig.err.str();
    ASSERT_EQ(setCalls.size(), timingPackets ? 1u : 2u) << rig.boxes.str();
    const UtcTime& t = setCalls.back();
    const double setGps = static_cast<double>(
        sim::SecondsOf({t.year, t.month, t.day, t.hour, t.minute, t.second}) + sim::kUtcOffset);
    EXPECT_GE(setGps, std::floor(before));
    EXPECT_LE(setGps, rig.receiver().TrueGps());
    EXPECT_EQ(rig.app.Form_Main.Panel_Timing.Hint(),
              timingPackets ? "Time: Packet 8F-AB" : "Time: Packet 0x41");
  }
  EXPECT_EQ(CountOf(rig.boxes.str(), "message box \"Success\": PC time was set. -> OK"), 2)
      << rig.boxes.str();
  EXPECT_EQ(CountOf(rig.boxes.str(), "Can't set time"), 4) << rig.boxes.str();
}

// A receiver whose week is a day after the GPS epoch (the clock would go to 7 January 1980), or
// 1024 weeks back (a 10-bit week count past its rollover): both are refused as they stand.
TEST(TimeToPcConsole, AWeekBeforeTheProgramWasBuiltIsNotPlausible) {
  const double rolledOver = PlausibleStart() - 1024 * kWeekSeconds;
  const auto week = static_cast<int>(rolledOver / kWeekSeconds);
  for (const auto& [start, reason] :
       {std::pair{86400.0 + 7200, std::string("GPS week 0 (Jan 6, 1980) is not plausible.")},
        std::pair{rolledOver, "GPS week " + std::to_string(week) + " ("}}) {
    ConsoleOnEmulator rig(testing::QuickConsoleReceiver(), start);
    ASSERT_EQ(rig.Run("wait 6\n" + kClick), kScriptPassed) << rig.err.str();
    EXPECT_NE(rig.boxes.str().find("message box \"" + reason), std::string::npos)
        << rig.boxes.str();
    EXPECT_NE(rig.boxes.str().find("not plausible.\": Can't set time -> OK"), std::string::npos)
        << rig.boxes.str();
    EXPECT_TRUE(rig.systemTime.setCalls.empty());
  }
}

}  // namespace
}  // namespace zelkon
