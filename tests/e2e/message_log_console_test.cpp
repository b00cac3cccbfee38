// The message log against the receiver emulator: in engineering mode its fatal reports open the
// log with the receiver's text, and the segment status at reset is kept there.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/console_rig.h"
#include "events/receiver_events.h"
#include "platform/notifier.h"
#include "support/log_text.h"

namespace zelkon {
namespace {

using testing::ConsoleOnEmulator;
using testing::QuickConsoleReceiver;

TEST(MessageLogConsole, FatalReportsOpenTheLogInEngineeringModeOnly) {
  sim::SimOptions options = QuickConsoleReceiver();
  options.fatalEvery = 3;
  ConsoleOnEmulator quiet(options);
  ASSERT_EQ(quiet.Run("wait 8\nexpect TForm_Message.visible false\n"), kScriptPassed)
      << quiet.err.str();
  EXPECT_EQ(quiet.app.Form_Message.Memo_Pad.Text().find("Fatal"), std::string::npos);

  ConsoleOnEmulator rig(options);
  rig.app.state.EngineeringMode = true;
  ASSERT_EQ(rig.Run("wait 8\nexpect TForm_Message.visible true\n"), kScriptPassed) << rig.err.str();
  const std::string log = testing::Unstamped(rig.app.Form_Message.Memo_Pad.Text());
  EXPECT_NE(log.find("---------------------------------------\r\n"
                     "Application Fatal Error:Simulated fault 1 at TOW "),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("Application Fatal Exception:Simulated fault 2 at TOW "), std::string::npos)
      << log;
  ASSERT_EQ(rig.Run("click TForm_Message.Button_Clear\nexpect TForm_Message.Memo_Pad.text \"\"\n"
                    "click TForm_Message.Button_Close\nexpect TForm_Message.visible false\n"),
            kScriptPassed)
      << rig.err.str();
}

TEST(MessageLogConsole, TheSegmentStatusIsKeptInTheLogWithoutOpeningIt) {
  sim::SimOptions options = QuickConsoleReceiver();
  options.corruptSegments = 0x0010;
  ConsoleOnEmulator rig(options);
  ASSERT_EQ(rig.Run("open TForm_EEPROM\nwait 1\nexpect TForm_Message.visible false\n"),
            kScriptPassed)
      << rig.err.str();
  const std::string log = testing::Unstamped(rig.app.Form_Message.Memo_Pad.Text());
  EXPECT_NE(log.find("EEPROM Status at Reset: 0x0010\r\n"
                     "Segment 0, Manufacturing parameters: valid\r\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("Segment 4, Serial port configuration: corrupted, set to default\r\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("Segment 11, UTC information: valid\r\n"), std::string::npos) << log;
}

// What the desktop would have been told.
struct SeenNotifier final : Notifier {
  void Notify(const std::string& title, const std::string& text) override {
    notes.push_back(title + ": " + text);
  }
  void ShowState(TrayState shown, const std::string& why) override {
    state = shown;
    summary = why;
  }
  std::vector<std::string> notes;
  TrayState state = TrayState::Unknown;
  std::string summary;
};

// A run's events in the log: the self-survey, the time, the alarms, a command the operator sent
// (not the queries), the receiver silent and back; the silence notified when the operator asked for
// notifications, and the tray's state following it all.
TEST(MessageLogConsole, TheEventsOfARunAreLoggedNotifiedAndShownInTheTray) {
  sim::SimOptions options = QuickConsoleReceiver();
  options.surveySeconds = 15;
  // A time a few weeks after the program was built, which the monitor can believe.
  ConsoleOnEmulator rig(options, (BuildWeekWindow().earliest + 3) * 604800.0 + 3.2 * 86400);
  SeenNotifier seen;
  rig.app.SetNotifier(seen);
  rig.settings.values[kNotificationsSetting] = "1";
  ASSERT_EQ(rig.Run("wait 40\n"), kScriptPassed) << rig.err.str();
  std::string log = testing::Unstamped(rig.app.Form_Message.Memo_Pad.Text());
  EXPECT_NE(log.find("self-survey started\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("self-survey finished at 100%\r\n"), std::string::npos) << log;
  EXPECT_EQ(testing::CountOf(log, "time gained: the receiver vouches for its time\r\n"), 1) << log;
  EXPECT_EQ(seen.state, TrayState::Good) << seen.summary;
  EXPECT_TRUE(seen.notes.empty());

  ASSERT_EQ(rig.Run("open TForm_PacketMasks\nwait 1\nclick TForm_PacketMasks.Button_Set8EA5\n"),
            kScriptPassed)
      << rig.err.str();
  log = testing::Unstamped(rig.app.Form_Message.Memo_Pad.Text());
  EXPECT_NE(log.find(rig.app.Form_PacketMasks.Caption() +
                     ": sent packet broadcast mask (0x8E-A5): 8E A5 00 C0 00 00\r\n"),
            std::string::npos)
      << log;
  EXPECT_EQ(testing::CountOf(log, ": sent "), 1) << log;

  rig.port.muted = true;
  ASSERT_EQ(rig.Run("wait 5\n"), kScriptPassed) << rig.err.str();
  EXPECT_EQ(seen.state, TrayState::Fault);
  EXPECT_EQ(seen.summary, "receiver silent");
  ASSERT_EQ(seen.notes.size(), 1u);
  EXPECT_EQ(seen.notes[0].rfind("Receiver silent: No data from the receiver for ", 0), 0u);
  rig.port.muted = false;
  ASSERT_EQ(rig.Run("wait 5\n"), kScriptPassed) << rig.err.str();
  log = testing::Unstamped(rig.app.Form_Message.Memo_Pad.Text());
  const size_t silent = log.find("receiver silent: no data for 3 s\r\n");
  const size_t back = log.find("receiver answering again\r\n");
  EXPECT_NE(silent, std::string::npos) << log;
  EXPECT_LT(silent, back) << log;
  EXPECT_EQ(testing::CountOf(log, "time gained: the receiver vouches for its time\r\n"), 2) << log;
  EXPECT_EQ(seen.state, TrayState::Good) << seen.summary;

  // Without the setting nothing is notified; the tray still shows the state.
  rig.settings.values.erase(kNotificationsSetting);
  rig.port.muted = true;
  ASSERT_EQ(rig.Run("wait 5\n"), kScriptPassed) << rig.err.str();
  EXPECT_EQ(seen.notes.size(), 1u);
  EXPECT_EQ(seen.state, TrayState::Fault);
}

}  // namespace
}  // namespace zelkon
