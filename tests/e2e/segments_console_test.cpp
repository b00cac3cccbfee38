// The configuration segments through the script console against the receiver emulator: a reverted
// segment comes back at the factory values, the PC port follows the serial ports back to
// 9600 8-Odd-1 without asking, and the EEPROM lamps show what the emulator found corrupted.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/console_rig.h"

namespace zelkon {
namespace {

using testing::ConsoleOnEmulator;
using testing::PacketBytes;
using testing::QuickConsoleReceiver;

// The question of three lines, as a headless box prints it.
constexpr char kRevertQuestion[] =
    "message box \"Revert Segment\": In addition to reverting the chosen segment, this operation "
    "will | save all receiver configuration segments to EEPROM.  Are you sure | that you want to "
    "proceed?";

TEST(SegmentsConsole, ARevertedSegmentComesBackAtItsDefaultsAndOnlyTheSerialPortsMoveThePcPort) {
  ConsoleOnEmulator rig;
  ASSERT_EQ(rig.Run(""), kScriptPassed);
  rig.ForgetSent();
  rig.receiver().config.timing.ppsWidth = 0.5;
  ASSERT_EQ(rig.Run(R"(open TForm_Default
expect TForm_Default.ComboBox_Segment.text "Receiver Configuration"
set TForm_Default.ComboBox_Segment "Timing Outputs"
answer cancel
click TForm_Default.Button_Apply
answer ok
click TForm_Default.Button_Apply
expect TForm_Default.visible true
expect TForm_Main.Panel_Serial.text "COM1 9600, 8-Odd-1"
open TForm_TimingOut
wait 1
expect TForm_TimingOut.Edit_Width.text 1.000e-02
)"),
            kScriptPassed)
      << rig.err.str() << rig.boxes.str();
  EXPECT_NE(rig.boxes.str().find(kRevertQuestion), std::string::npos) << rig.boxes.str();
  // Cancel sent nothing; OK sent the timing segment alone.
  EXPECT_EQ(rig.Sent(0x8E, 0x45), (std::vector<PacketBytes>{{0x8E, 0x45, 0x05}}));
  EXPECT_EQ(rig.receiver().config.timing.ppsWidth, 0.01);

  // Move both sides of the link to 19200, then revert the serial ports: the receiver goes back
  // to 9600 and the PC follows on its own, so the link keeps working.
  ASSERT_EQ(rig.Run(R"(open TForm_Serial
wait 1
set TForm_Serial.ComboBox_PortBBaudRate 19200
answer yes
click TForm_Serial.Button_SetB
expect TForm_Main.Panel_Serial.text "COM1 19200, 8-Odd-1"
close TForm_Serial
set TForm_Default.ComboBox_Segment "Serial Port Configuration"
answer ok
click TForm_Default.Button_OK
expect TForm_Default.visible false
expect TForm_Main.Panel_Serial.text "COM1 9600, 8-Odd-1"
wait 2
open TForm_Serial
wait 1
expect TForm_Serial.ComboBox_PortBBaudRate.text 9600
)"),
            kScriptPassed)
      << rig.err.str() << rig.boxes.str();
  EXPECT_EQ(rig.Sent(0x8E, 0x45).back(), (PacketBytes{0x8E, 0x45, 0x04}));
  EXPECT_EQ(rig.receiver().config.ports.b.baudCode, 7);
}

TEST(SegmentsConsole, AllSegmentsFromTheWindowAndFromTheMenuEachAskTheirOwnQuestion) {
  ConsoleOnEmulator rig;
  ASSERT_EQ(rig.Run(""), kScriptPassed);
  rig.ForgetSent();
  rig.receiver().config.survey.limit = 7;
  ASSERT_EQ(rig.Run(R"(open TForm_Default
set TForm_Default.ComboBox_Segment #8
expect TForm_Default.ComboBox_Segment.text "ALL SEGMENTS"
answer ok
click TForm_Default.Button_Apply
close TForm_Default
answer ok
click TForm_Main.SetupDefaultSegments
wait 2
expect TForm_Main.Panel_Serial.text "COM1 9600, 8-Odd-1"
)"),
            kScriptPassed)
      << rig.err.str() << rig.boxes.str();
  EXPECT_EQ(rig.Sent(0x8E, 0x45),
            (std::vector<PacketBytes>{{0x8E, 0x45, 0xFF}, {0x8E, 0x45, 0xFF}}));
  EXPECT_NE(rig.boxes.str().find(kRevertQuestion), std::string::npos);
  EXPECT_NE(rig.boxes.str().find("message box \"Default All Segments\""), std::string::npos);
  EXPECT_EQ(rig.receiver().config.survey.limit, QuickConsoleReceiver().surveySeconds);
}

TEST(SegmentsConsole, TheLampsShowTheSegmentsTheEmulatorFoundCorrupted) {
  sim::SimOptions options = QuickConsoleReceiver();
  options.corruptSegments = 0x0804;
  ConsoleOnEmulator rig(options);
  ASSERT_EQ(rig.Run(R"(click TForm_Main.Label_MA10
expect TForm_EEPROM.visible true
expect TForm_EEPROM.Shape_Bit2.colour #808080
wait 1
expect TForm_EEPROM.Shape_Bit2.colour #FFFF00
expect TForm_EEPROM.Shape_Bit11.colour #FFFF00
expect TForm_EEPROM.Shape_Bit0.colour #00FF00
expect TForm_EEPROM.Shape_Bit4.colour #00FF00
expect TForm_EEPROM.Shape_Bit8.colour #00FF00
)"),
            kScriptPassed)
      << rig.err.str();
  const std::string dump = [&] {
    EXPECT_EQ(rig.Run("dump TForm_EEPROM\n"), kScriptPassed);
    return rig.out.str();
  }();
  size_t yellow = 0;
  for (size_t at = dump.find("#FFFF00"); at != std::string::npos; at = dump.find("#FFFF00", at + 1))
    ++yellow;
  EXPECT_EQ(yellow, 2u) << dump;

  // Refresh greys every lamp before it asks again, and the answer colours them anew.
  ASSERT_EQ(rig.Run(R"(click TForm_EEPROM.Button_Refresh
expect TForm_EEPROM.Shape_Bit2.colour #808080
expect TForm_EEPROM.Shape_Bit3.colour #808080
wait 1
expect TForm_EEPROM.Shape_Bit2.colour #FFFF00
expect TForm_EEPROM.Shape_Bit3.colour #00FF00
)"),
            kScriptPassed)
      << rig.err.str();
  EXPECT_EQ(rig.Sent(0x3F).size(), 2u);
}

TEST(SegmentsConsole, WithoutAnAnswerTheLampsStayGrey) {
  sim::SimOptions options = QuickConsoleReceiver();
  options.refused.insert(0x3F11);
  ConsoleOnEmulator rig(options);
  ASSERT_EQ(rig.Run(R"(open TForm_EEPROM
wait 2
expect TForm_EEPROM.Shape_Bit0.colour #808080
expect TForm_EEPROM.Shape_Bit11.colour #808080
)"),
            kScriptPassed)
      << rig.err.str();
}

}  // namespace
}  // namespace zelkon
