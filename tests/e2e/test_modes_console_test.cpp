// The timing test modes window through the script console against the receiver emulator: the
// three forms of 0x8E-A4 byte for byte, fields that are not wholly a number the command can carry
// refused by name, and the engineering gate of its menu item.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/console_rig.h"

namespace zelkon {
namespace {

using testing::ConsoleOnEmulator;
using testing::PacketBytes;

TEST(TestModesConsole, TheThreeFormsOfTheTestModeCommand) {
  ConsoleOnEmulator rig;
  ASSERT_EQ(rig.Run("wait 5\nclick TForm_Main.ViewTestModes\nexpect TForm_Test.visible false\n"),
            kScriptPassed)
      << rig.err.str();
  rig.app.state.EngineeringMode = true;
  rig.ForgetSent();
  ASSERT_EQ(rig.Run(R"zs(open TForm_Test
click TForm_Test.Button_SetWeek
click TForm_Test.Button_SetUTC
set TForm_Test.Edit_t_LS -3
set TForm_Test.Edit_A_0 1.5
set TForm_Test.Edit_t_ot 405504
set TForm_Test.Edit_WN_t 2100
click TForm_Test.Button_SetUTC
set TForm_Test.Edit_Week 70000
click TForm_Test.Button_SetWeek
set TForm_Test.Edit_Week 950x
click TForm_Test.Button_SetWeek
set TForm_Test.Edit_Week 2400
set TForm_Test.Edit_TOW x
click TForm_Test.Button_SetWeek
set TForm_Test.Edit_DN 8
set TForm_Test.Edit_A_1 ""
click TForm_Test.Button_SetUTC
click TForm_Test.Button_EndTest
click TForm_Test.Button_Close
expect TForm_Test.visible false
)zs"),
            kScriptPassed)
      << rig.err.str();
  const std::vector<PacketBytes> expected = {
      // The initial texts: week 950, time of week 86390.
      {0x8E, 0xA4, 0x01, 0x03, 0xB6, 0x00, 0x01, 0x51, 0x76},
      // WN_LSF 950, DN 1, delta_t_LS 9, delta_t_LSF 10 and zeros.
      {0x8E, 0xA4, 0x03, 0, 0,    0,    0,    0,    0,    0,    0,    0x00, 0x09,
       0,    0,    0,    0, 0x00, 0x00, 0x03, 0xB6, 0x00, 0x01, 0x00, 0x0A},
      // delta_t_LS -3 as 0xFFFD, A_0 1.5, t_ot 405504, WN_t 2100 (beyond the hint, sent as read).
      {0x8E, 0xA4, 0x03, 0x3F, 0xC0, 0,    0,    0,    0,    0,    0,    0xFF, 0xFD,
       0x00, 0x06, 0x30, 0x00, 0x08, 0x34, 0x03, 0xB6, 0x00, 0x01, 0x00, 0x0A},
      {0x8E, 0xA4, 0x00},
  };
  EXPECT_EQ(rig.Sent(0x8E, 0xA4), expected);
  const std::string boxes = rig.boxes.str();
  // Beyond 16 bits, and not wholly a number.
  EXPECT_EQ(
      testing::CountOf(boxes, "\"Warning\": Week Number must be a whole number from 0 to 65535."),
      2)
      << boxes;
  EXPECT_NE(boxes.find("\"Warning\": TOW must be a whole number from 0 to 4294967295."),
            std::string::npos)
      << boxes;
  // The first field in reading order is named: A_1 before DN.
  EXPECT_NE(boxes.find("\"Warning\": A_1 must be a number from -3.402823e+38 to 3.402823e+38."),
            std::string::npos)
      << boxes;
  EXPECT_EQ(boxes.find("DN must"), std::string::npos) << boxes;
}

}  // namespace
}  // namespace zelkon
