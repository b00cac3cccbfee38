// The message log against the receiver emulator: in engineering mode its fatal reports open the
// log with the receiver's text, and the segment status at reset is kept there.
#include <gtest/gtest.h>

#include <string>

#include "e2e/console_rig.h"
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

}  // namespace
}  // namespace zelkon
