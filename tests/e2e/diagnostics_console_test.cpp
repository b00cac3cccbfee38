// The diagnostics window through the script console against the receiver emulator: the reset
// stress test with its counters, commands and summary, the segment check on its worker thread
// (which must tell a segment a factory reset kept from those it restored), the dead-receiver stop,
// the I/O meter and the product type.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "e2e/console_rig.h"
#include "link/framing.h"
#include "support/log_text.h"
#include "tools/diagnostics_form.h"
#include "tools/reset_test.h"
#include "tools/segment_check.h"

namespace zelkon {
namespace {

using testing::ConsoleOnEmulator;
using testing::CountOf;
using testing::PacketBytes;
using testing::QuickConsoleReceiver;

constexpr const char* kPortALine = " Serial Port Settings:    PortA Parity = none\r\n";
constexpr const char* kNmeaLine = " NMEA Configuration:      Output Interval = 10\r\n";

struct DiagnosticsRig : ConsoleOnEmulator {
  explicit DiagnosticsRig(const sim::SimOptions& options = QuickConsoleReceiver())
      : ConsoleOnEmulator(options) {
    app.state.EngineeringMode = true;
  }
  std::string Log() const { return testing::Unstamped(app.Form_Message.Memo_Pad.Text()); }
  void RunOk(const std::string& script) {
    ASSERT_EQ(Run(script), kScriptPassed) << err.str() << boxes.str();
  }
};

// The emulator at ten times real speed. `fatalEvery`: a fatal report every so many seconds, errors
// and exceptions in turn; `fatalAfterReset`: one that long after every reset, as a receiver that
// fails while it starts again; `keepNmea`: its factory reset keeps the saved NMEA settings.
sim::SimOptions StressedReceiver(double fatalEvery, double fatalAfterReset, bool keepNmea) {
  sim::SimOptions options = QuickConsoleReceiver();
  options.speed = 10;
  options.fatalEvery = fatalEvery;
  options.fatalAfterReset = fatalAfterReset;
  if (keepNmea) options.keepSegments = 1u << 8;
  return options;
}

// A two-minute timed test of factory resets every ten seconds with the segments modified and saved
// two seconds after each. Returns the message log written from the start on.
std::string RunTwoMinuteFactoryTest(DiagnosticsRig& rig) {
  rig.RunOk("wait 5\n");
  rig.ForgetSent();
  rig.RunOk(R"zs(open TForm_Diagnostics
set TForm_Diagnostics.RadioGroup_Length Timed
set TForm_Diagnostics.Edit_Length 120
set TForm_Diagnostics.Edit_Interval 10
set TForm_Diagnostics.RadioGroup_ResetType "Factory (All)"
set TForm_Diagnostics.CheckBox_EEPROM true
open TForm_Message
click TForm_Message.Button_Clear
close TForm_Message
click TForm_Diagnostics.Button_AppFatalStart
expect TForm_Diagnostics.Shape_AppFatalLED.colour #00FF00
expect TForm_Diagnostics.Button_AppFatalStart.enabled false
expect TForm_Diagnostics.RadioGroup_Length.enabled false
wait 150
expect TForm_Diagnostics.Panel_Duration.text 0:02:00
expect TForm_Diagnostics.Panel_NumResets.text 12
expect TForm_Diagnostics.Shape_AppFatalLED.colour #808080
expect TForm_Diagnostics.Button_AppFatalStart.enabled true
expect TForm_Diagnostics.Button_AppFatalStop.enabled false
expect TForm_Message.visible true
)zs");
  return rig.Log();
}

// The checks' reports in the log, in order: the lines after the heading, or "all" for a check that
// found every segment at its default.
std::vector<std::string> CheckReports(const std::string& log) {
  std::vector<std::string> reports;
  const std::string some = "Some segments not returned to default:\r\n";
  const std::string all = "All segments returned to default:\r\n";
  for (size_t at = 0; at < log.size();) {
    const size_t nextSome = log.find(some, at);
    const size_t nextAll = log.find(all, at);
    if (nextSome == std::string::npos && nextAll == std::string::npos) break;
    if (nextAll < nextSome) {
      reports.push_back("all");
      at = nextAll + all.size();
      continue;
    }
    const size_t from = nextSome + some.size();
    size_t to = from;
    while (log.compare(to, 1, " ") == 0)
      to = log.find("\r\n", to) + 2;
    reports.push_back(log.substr(from, to - from));
    at = to;
  }
  return reports;
}

TEST(DiagnosticsConsole, ATimedFactoryResetTestCountsTheFatalReportsAndSumsUp) {
  DiagnosticsRig rig(StressedReceiver(10, 0, false));
  const std::string log = RunTwoMinuteFactoryTest(rig);

  // Twelve factory resets, each followed by the six segment commands and the save.
  EXPECT_EQ(rig.Sent(0x1E), std::vector<PacketBytes>(12, PacketBytes{0x1E, 0x46}));
  EXPECT_EQ(rig.SentOfSize(5, 0x2A).size(), 12u);  // reference altitude 100.0
  EXPECT_EQ(rig.Sent(0x8E, 0x26).size(), 12u);     // saved
  const std::vector<PacketBytes> datums = rig.SentOfSize(4, 0x8E, 0x15);
  ASSERT_EQ(datums.size(), 12u);
  EXPECT_EQ(datums.front(), (PacketBytes{0x8E, 0x15, 0x00, 0x05}));
  const std::vector<PacketBytes> ports = rig.SentOfSize(11, 0xBC);
  ASSERT_EQ(ports.size(), 12u);
  EXPECT_EQ(ports.front(), (PacketBytes{0xBC, 0, 7, 7, 3, 0, 0, 0, 2, 2, 0}));
  EXPECT_EQ(rig.SentOfSize(7, 0x7A),
            std::vector<PacketBytes>(12, PacketBytes{0x7A, 0, 10, 0, 0, 0, 1}));
  EXPECT_EQ(rig.SentOfSize(12, 0x8E, 0xA9),
            std::vector<PacketBytes>(12, PacketBytes{0x8E, 0xA9, 1, 0, 0, 0, 0, 100, 0, 0, 0, 0}));

  // The counters agree with the fatal reports the decoder logged while the test ran, and every
  // report of those two minutes was counted, each with the reset before it.
  const std::string during = log.substr(0, log.find("TEST RESULTS:"));
  const int errors = CountOf(during, "Application Fatal Error:");
  const int exceptions = CountOf(during, "Application Fatal Exception:");
  EXPECT_GE(errors, 5) << log;
  EXPECT_GE(exceptions, 5) << log;
  EXPECT_EQ(CountOf(during, "Factory Reset (All)\r\nReset #"), errors + exceptions);
  EXPECT_EQ(rig.app.Form_Diagnostics.Panel_Errors.Caption(), std::to_string(errors));
  EXPECT_EQ(rig.app.Form_Diagnostics.Panel_Exceptions.Caption(), std::to_string(exceptions));
  EXPECT_NE(log.find("---------------------------------------\r\nTEST RESULTS:\r\n"
                     "Num Resets: 12\r\nDuration:   0:02:00\r\nErrors:     " +
                     std::to_string(errors) + "\r\nExceptions: " + std::to_string(exceptions) +
                     "\r\nLast Reset: Factory Reset (All)\r\n"),
            std::string::npos)
      << log;
  // Each of them, coming after a factory reset, ran a segment check.
  EXPECT_EQ(static_cast<int>(CheckReports(log).size()), errors + exceptions) << log;
  EXPECT_EQ(rig.boxes.str().find("Error"), std::string::npos) << rig.boxes.str();
}

// The receiver fails half a second after each reset, before the test's segment changes go out, so
// each check reads what the factory reset left. Port A's factory parity is the changed one, so its
// line is always there; the first check comes before any change was saved.
TEST(DiagnosticsConsole, TheSegmentCheckFindsTheSegmentAFactoryResetKept) {
  DiagnosticsRig keeping(StressedReceiver(0, 0.5, true));
  std::vector<std::string> reports = CheckReports(RunTwoMinuteFactoryTest(keeping));
  ASSERT_EQ(reports.size(), 12u) << keeping.Log();
  EXPECT_EQ(reports.front(), kPortALine);
  for (size_t i = 1; i < reports.size(); ++i) {
    EXPECT_EQ(reports[i], std::string(kPortALine) + kNmeaLine) << i;
  }

  DiagnosticsRig restoring(StressedReceiver(0, 0.5, false));
  reports = CheckReports(RunTwoMinuteFactoryTest(restoring));
  ASSERT_EQ(reports.size(), 12u) << restoring.Log();
  for (const std::string& report : reports)
    EXPECT_EQ(report, kPortALine);
}

TEST(DiagnosticsConsole, ASilentReceiverStopsTheTestAndItsSegmentCheckGivesUp) {
  sim::SimOptions options = QuickConsoleReceiver();
  options.silentAfter = 22;
  DiagnosticsRig rig(options);
  rig.RunOk(R"zs(wait 5
open TForm_Diagnostics
set TForm_Diagnostics.Edit_Interval 5
set TForm_Diagnostics.RadioGroup_ResetType "Warm Reset"
set TForm_Diagnostics.CheckBox_EEPROM true
set TForm_Diagnostics.CheckBox_DeadRecStop true
click TForm_Diagnostics.Button_AppFatalStart
answer yes
wait 30
expect TForm_Diagnostics.Button_AppFatalStart.enabled true
expect TForm_Diagnostics.Panel_NumResets.text 4
)zs");
  EXPECT_NE(rig.boxes.str().find("\"Check Segments?\": The receiver has stopped talking.  Do you "
                                 "wish to check the EEPROM segments"),
            std::string::npos)
      << rig.boxes.str();
  EXPECT_NE(rig.Log().find("Num Resets: 4\r\n"), std::string::npos) << rig.Log();
  // The check asks a silent receiver 25 times, then says so and writes no report.
  rig.ForgetSent();
  rig.RunOk("wait 30\n");
  EXPECT_NE(rig.boxes.str().find("\"Error\": Couldn't retrieve segment settings."),
            std::string::npos)
      << rig.boxes.str();
  EXPECT_EQ(rig.Log().find("segments"), std::string::npos) << rig.Log();
  EXPECT_FALSE(rig.Sent(0x7A).empty());
}

TEST(DiagnosticsConsole, WithoutTheDeadReceiverBoxTheTestNotesTheSilenceAndGoesOn) {
  sim::SimOptions options = QuickConsoleReceiver();
  options.silentAfter = 12;
  DiagnosticsRig rig(options);
  rig.RunOk(R"zs(wait 5
open TForm_Diagnostics
set TForm_Diagnostics.Edit_Interval 5
set TForm_Diagnostics.RadioGroup_ResetType "Cold Reset"
click TForm_Diagnostics.Button_AppFatalStart
wait 20
expect TForm_Diagnostics.Button_AppFatalStop.enabled true
expect TForm_Diagnostics.Panel_NumResets.text 5
click TForm_Diagnostics.Button_AppFatalStop
)zs");
  EXPECT_NE(rig.Log().find("Receiver silent before reset #4\r\n"), std::string::npos) << rig.Log();
  EXPECT_EQ(rig.boxes.str().find("Check Segments?"), std::string::npos);
}

// One run with "Timed" interval `interval` and every packet on after each reset: the elapsed
// seconds of the test (as Panel_Duration counts them) at which the resets and the packet commands
// went out, up to 12.
struct Schedule {
  std::vector<int> resets;
  std::vector<int> packets;
};

Schedule RunTimedInterval(int interval, const std::string& resetType) {
  DiagnosticsRig rig;
  rig.RunOk("wait 5\nopen TForm_Diagnostics\nset TForm_Diagnostics.Edit_Interval " +
            std::to_string(interval) + "\nset TForm_Diagnostics.RadioGroup_ResetType \"" +
            resetType + "\"\nset TForm_Diagnostics.CheckBox_Packets true\n");
  rig.ForgetSent();
  Schedule schedule;
  size_t resets = 0;
  size_t packets = 0;
  rig.RunOk("click TForm_Diagnostics.Button_AppFatalStart\n");
  while (rig.app.resetTest.elapsedSeconds <= 12) {
    const int elapsed = rig.app.resetTest.elapsedSeconds;
    const size_t nowResets = rig.Sent(0x1E).size() + rig.Sent(0x25).size();
    const size_t nowPackets = rig.Sent(0x8E, 0xA5).size();
    if (nowResets > resets) schedule.resets.push_back(elapsed);
    if (nowPackets > packets) schedule.packets.push_back(elapsed);
    resets = nowResets;
    packets = nowPackets;
    rig.RunOk("wait 0.2\n");
  }
  for (const PacketBytes& masks : rig.SentOfSize(6, 0x8E, 0xA5)) {
    EXPECT_EQ(masks, (PacketBytes{0x8E, 0xA5, 255, 225, 0, 0}));
  }
  for (const PacketBytes& options : rig.SentOfSize(5, 0x35)) {
    EXPECT_EQ(options, (PacketBytes{0x35, 0x33, 0x03, 0x01, 0x03}));
  }
  EXPECT_EQ(rig.SentOfSize(5, 0x35).size(), schedule.packets.size());
  rig.RunOk("click TForm_Diagnostics.Button_AppFatalStop\n");
  return schedule;
}

TEST(DiagnosticsConsole, TimedResetsAndThePacketCommandsTwoSecondsAfterEach) {
  const Schedule five = RunTimedInterval(5, "Cold Reset");
  EXPECT_EQ(five.resets, (std::vector<int>{0, 5, 10}));
  EXPECT_EQ(five.packets, (std::vector<int>{2, 7, 12}));
  // With an interval of one or two seconds the step two seconds after a reset never comes.
  for (int interval : {1, 2}) {
    const Schedule quick = RunTimedInterval(interval, "Warm Reset");
    EXPECT_EQ(quick.resets.size(), interval == 1 ? 13u : 7u);
    EXPECT_TRUE(quick.packets.empty()) << interval;
  }
}

TEST(DiagnosticsConsole, RandomResetsPickAnewAndShowTheKindSent) {
  DiagnosticsRig rig;
  rig.RunOk("wait 5\nopen TForm_Diagnostics\nset TForm_Diagnostics.Edit_Interval 1\n");
  rig.ForgetSent();
  std::set<std::string> shown;
  rig.RunOk("click TForm_Diagnostics.Button_AppFatalStart\n");
  for (int second = 0; second < 30; ++second) {
    const std::vector<PacketBytes> sent = rig.Sent();
    PacketBytes last;
    for (const PacketBytes& p : sent) {
      if (p[0] == 0x1E || p[0] == 0x25) last = p;
    }
    ASSERT_FALSE(last.empty());
    const std::string& current = rig.app.Form_Diagnostics.Panel_CurrentReset.Caption();
    const std::string expected = last[0] == 0x25   ? "Warm Reset\r\n"
                                 : last[1] == 0x4B ? "Cold Reset\r\n"
                                 : last[1] == 0x46 ? "Factory Reset (All)\r\n"
                                 : last[1] == 0x4E ? "Factory Reset (Nav)\r\n"
                                                   : "Factory Reset (Config)\r\n";
    EXPECT_EQ(current, expected);
    shown.insert(current);
    rig.RunOk("wait 1\n");
  }
  EXPECT_GE(shown.size(), 4u);
  rig.RunOk("click TForm_Diagnostics.Button_AppFatalStop\n");
}

TEST(DiagnosticsConsole, ABadLengthOrIntervalIsRefusedByNameAndNothingStarts) {
  DiagnosticsRig rig;
  rig.RunOk("wait 5\nopen TForm_Diagnostics\n");
  rig.ForgetSent();
  const struct {
    const char* script;
    const char* message;
  } cases[] = {
      {"set TForm_Diagnostics.Edit_Interval 0\n", "Reset Interval must be at least 1 second."},
      {"set TForm_Diagnostics.Edit_Interval abc\n", "Reset Interval is not a number."},
      {"set TForm_Diagnostics.Edit_Interval 99999999999\n", "Reset Interval is not a number."},
      {"set TForm_Diagnostics.Edit_Interval 5\nset TForm_Diagnostics.RadioGroup_Length Timed\n"
       "set TForm_Diagnostics.Edit_Length -3\n",
       "Test Length must be at least 1 second."},
  };
  for (const auto& c : cases) {
    rig.boxes.str("");
    rig.RunOk(std::string(c.script) + "click TForm_Diagnostics.Button_AppFatalStart\nwait 3\n");
    EXPECT_NE(rig.boxes.str().find(std::string("\"Warning\": ") + c.message), std::string::npos)
        << rig.boxes.str();
    EXPECT_FALSE(rig.app.resetTest.running);
    EXPECT_TRUE(rig.app.Form_Diagnostics.Button_AppFatalStart.Enabled());
  }
  EXPECT_TRUE(rig.Sent(0x1E).empty());
  EXPECT_TRUE(rig.Sent(0x25).empty());
  // "When Tracking" and "Manual Stop Only" do not read the edits at all.
  rig.RunOk(R"zs(set TForm_Diagnostics.RadioGroup_Length "Manual Stop Only"
set TForm_Diagnostics.RadioGroup_Interval "When Tracking"
set TForm_Diagnostics.Edit_Interval abc
click TForm_Diagnostics.Button_AppFatalStart
wait 30
click TForm_Diagnostics.Button_AppFatalStop
)zs");
  // Resets while tracking: the first at once, the next ones each time the receiver tracks again.
  EXPECT_GE(rig.Sent(0x1E).size() + rig.Sent(0x25).size(), 2u);
}

TEST(DiagnosticsConsole, AFatalReportWhileIdleChangesNoCounter) {
  sim::SimOptions options = QuickConsoleReceiver();
  options.fatalEvery = 4;
  DiagnosticsRig rig(options);
  rig.RunOk("wait 10\nexpect TForm_Diagnostics.Panel_Errors.text \"\"\n");
  EXPECT_NE(rig.Log().find("Application Fatal Error:"), std::string::npos);
  EXPECT_EQ(rig.Log().find("Reset #"), std::string::npos);
}

TEST(DiagnosticsConsole, TheMeterProductTypeCloseAndTheEngineeringGate) {
  DiagnosticsRig rig;
  // Outside engineering mode neither the menu item nor the serial-activity panel opens the window.
  rig.app.state.EngineeringMode = false;
  rig.RunOk(
      "click TForm_Main.ViewDiagnostics\nclick TForm_Main.Panel_TxRx\n"
      "expect TForm_Diagnostics.visible false\n");
  rig.app.state.EngineeringMode = true;
  rig.RunOk("click TForm_Main.Panel_TxRx\nexpect TForm_Diagnostics.visible true\nwait 3\n");

  // The meter: the bytes read since its reset, per second.
  rig.RunOk("click TForm_Diagnostics.Button_Reset\n");
  rig.port.delivered.clear();
  rig.RunOk("wait 10\n");
  const size_t read = rig.port.delivered.size();
  ASSERT_GT(read, 100u);
  EXPECT_EQ(rig.app.Form_Diagnostics.Panel_Output.Caption(), std::to_string(read / 10));

  // The manufacturing report chose the receiver's product type; with none chosen, Set sends
  // nothing.
  rig.RunOk(
      "set TForm_Diagnostics.RadioButton_Standard false\n"
      "set TForm_Diagnostics.RadioButton_Sorvek false\n"
      "set TForm_Diagnostics.RadioButton_Harvane false\n");
  rig.ForgetSent();
  rig.RunOk("click TForm_Diagnostics.Button_Set_ProductType\n");
  EXPECT_TRUE(rig.Sent(0x8E, 0x0C).empty());
  rig.RunOk(
      "click TForm_Diagnostics.RadioButton_Harvane\n"
      "click TForm_Diagnostics.Button_Set_ProductType\n");
  EXPECT_EQ(rig.Sent(0x8E, 0x0C), (std::vector<PacketBytes>{{0x8E, 0x0C, 0x02, 0, 0, 0, 4}}));

  // Close asks for the production parameters and hides the window; a running test goes on.
  rig.RunOk(R"zs(set TForm_Diagnostics.Edit_Interval 3
set TForm_Diagnostics.RadioGroup_ResetType "Warm Reset"
click TForm_Diagnostics.Button_AppFatalStart
click TForm_Diagnostics.Button_Close
expect TForm_Diagnostics.visible false
wait 6
expect TForm_Diagnostics.Panel_NumResets.text 3
)zs");
  EXPECT_EQ(rig.Sent(0x8E, 0x42).size(), 1u);
}

// A 2D reference altitude below 0 m is a value like any other: the check asks for it once and
// completes with its report.
TEST(DiagnosticsConsole, TheSegmentCheckCompletesWithAReferenceAltitudeBelowSeaLevel) {
  DiagnosticsRig rig;
  rig.RunOk(R"zs(wait 5
open TForm_Altitude
wait 1
set TForm_Altitude.Edit_Altitude -412.5
click TForm_Altitude.Button_Set
open TForm_Message
click TForm_Message.Button_Clear
)zs");
  rig.ForgetSent();
  StartSegmentCheck(rig.app);
  rig.RunOk("wait 10\nexpect TForm_Altitude.Edit_Altitude.text -412.500\n");
  EXPECT_EQ(rig.app.segmentReadback.referenceAltitude.load(), -412.5f);
  // Asked for in the first pass only; the check ends with its report, not with an error box.
  EXPECT_EQ(rig.SentOfSize(1, 0x2A).size(), 1u);
  EXPECT_EQ(CheckReports(rig.Log()), std::vector<std::string>{kPortALine}) << rig.Log();
}

// The check and the poll loop share the send path; a check stopped in the middle, by a new one or
// by the end of the program, leaves no lock held and no frame cut.
TEST(DiagnosticsConsole, ACheckStoppedInTheMiddleLeavesTheLinkWhole) {
  sim::SimOptions options = QuickConsoleReceiver();
  options.refused.insert(0x7A00);  // the NMEA query: the check never completes
  auto rig = std::make_unique<DiagnosticsRig>(options);
  rig->RunOk("wait 5\n");
  rig->ForgetSent();
  StartSegmentCheck(rig->app);
  rig->RunOk("wait 1\n");
  ASSERT_FALSE(rig->Sent(0x7A).empty());
  StartSegmentCheck(rig->app);  // the first is stopped in the middle of its passes
  rig->RunOk("wait 12\n");
  // Only the second check gave up, once; the poll loop went on meanwhile.
  EXPECT_EQ(CountOf(rig->boxes.str(), "Couldn't retrieve segment settings."), 1)
      << rig->boxes.str();
  EXPECT_GE(rig->Sent(0x8E, 0xAB).size(), 10u);
  // Every byte written belongs to a whole frame: framing what was de-framed gives the stream back.
  std::vector<uint8_t> reframed;
  for (const PacketBytes& packet : rig->Sent()) {
    uint8_t frame[kMaxFrameLength];
    const int length = FrameBytes(packet, frame);
    reframed.insert(reframed.end(), frame, frame + length);
  }
  EXPECT_EQ(reframed, rig->port.written);

  StartSegmentCheck(rig->app);
  rig->RunOk("wait 0.5\n");
  rig.reset();  // ends the program in the middle of a check
}

TEST(DiagnosticsText, DurationWrapsItsHoursAtADayAndSecondsAreScannedAsTheEditsAre) {
  EXPECT_EQ(DurationText(0), "0:00:00");
  EXPECT_EQ(DurationText(90061), "1:01:01");
  EXPECT_EQ(DurationText(86399), "23:59:59");
  EXPECT_EQ(ScanSeconds(" 12s"), 12);
  EXPECT_EQ(ScanSeconds("-4"), -4);
  EXPECT_EQ(ScanSeconds(""), std::nullopt);
  EXPECT_EQ(ScanSeconds("2147483648"), std::nullopt);
}

}  // namespace
}  // namespace zelkon
