// The datum, 2D-altitude and one-satellite windows driven through the script console against the
// receiver emulator: each window shows what the emulator holds, a change reaches the emulator and
// comes back when the window is opened again, and the command bytes of the edge cases come out of
// scripts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/console_rig.h"

namespace zelkon {
namespace {

using testing::ConsoleOnEmulator;
using testing::PacketBytes;

bool BoxShown(const ConsoleOnEmulator& rig, const std::string& text) {
  return rig.boxes.str().find("message box \"Warning\": " + text + " -> OK") != std::string::npos;
}

// ---- The menu items -----------------------------------------------------------------------------

TEST(NavigationParamsConsole, TheSetupMenuItemsOpenTheWindowsAndCloseHidesThem) {
  ConsoleOnEmulator rig;
  ASSERT_EQ(rig.Run(R"(click TForm_Main.SetupDatum
expect TForm_Datum.visible true
click TForm_Main.SetupAltitude
expect TForm_Altitude.visible true
click TForm_Main.SetupSVNum
expect TForm_SVNum.visible true
wait 1
expect TForm_Datum.ComboBox_Datum.text WGS-84
expect TForm_Altitude.Edit_Altitude.text 0.000
click TForm_Datum.Button_Close
expect TForm_Datum.visible false
click TForm_Altitude.Button_Close
expect TForm_Altitude.visible false
click TForm_SVNum.Button_Close
expect TForm_SVNum.visible false
)"),
            kScriptPassed)
      << rig.err.str() << rig.boxes.str();
  // The datum and altitude windows asked once each when the menu showed them.
  EXPECT_EQ(rig.SentOfSize(2, 0x8E, 0x15).size(), 1u);
  EXPECT_EQ(rig.SentOfSize(1, 0x2A).size(), 1u);
  EXPECT_TRUE(rig.Sent(0x34).empty());
}

// ---- Datum --------------------------------------------------------------------------------------

TEST(DatumConsole, OpeningShowsTheReceiversDatumAndAChosenDatumComesBack) {
  ConsoleOnEmulator rig;
  rig.receiver().config.io.datum = 7;
  ASSERT_EQ(rig.Run(R"(open TForm_Datum
wait 1
expect TForm_Datum.ComboBox_Datum.text NAD-83
expect TForm_Datum.ComboBox_Datum.itemIndex 7
set TForm_Datum.ComboBox_Datum "Tokyo GSI coords"
click TForm_Datum.Button_Apply
expect TForm_Datum.visible true
)"),
            kScriptPassed)
      << rig.err.str() << rig.boxes.str();
  EXPECT_EQ(rig.receiver().config.io.datum, 179) << "the last name is the last index";
  EXPECT_EQ(rig.app.segmentReadback.datumIndex.load(), 7);

  // The second of the three "Old Hawaiian", by position; OK sends and closes.
  ASSERT_EQ(rig.Run(R"(close TForm_Datum
open TForm_Datum
wait 1
expect TForm_Datum.ComboBox_Datum.itemIndex 179
set TForm_Datum.ComboBox_Datum #122
click TForm_Datum.Button_OK
expect TForm_Datum.visible false
open TForm_Datum
wait 1
expect TForm_Datum.ComboBox_Datum.itemIndex 122
expect TForm_Datum.ComboBox_Datum.text "Old Hawaiian"
)"),
            kScriptPassed)
      << rig.err.str() << rig.boxes.str();
  EXPECT_EQ(rig.receiver().config.io.datum, 122);
  EXPECT_EQ(rig.app.segmentReadback.datumIndex.load(), 122);
  EXPECT_TRUE(rig.boxes.str().empty()) << rig.boxes.str();
}

TEST(DatumConsole, TheCommandBytesOfWgs84AndOfBothEuropeanDatums) {
  ConsoleOnEmulator rig;
  ASSERT_EQ(rig.Run(""), kScriptPassed);
  rig.ForgetSent();
  ASSERT_EQ(rig.Run(R"(open TForm_Datum
wait 1
set TForm_Datum.ComboBox_Datum WGS-84
click TForm_Datum.Button_Apply
set TForm_Datum.ComboBox_Datum European
expect TForm_Datum.ComboBox_Datum.itemIndex 4
click TForm_Datum.Button_Apply
set TForm_Datum.ComboBox_Datum #13
expect TForm_Datum.ComboBox_Datum.text European
click TForm_Datum.Button_Apply
)"),
            kScriptPassed)
      << rig.err.str() << rig.boxes.str();
  EXPECT_EQ(rig.SentOfSize(2, 0x8E, 0x15), (std::vector<PacketBytes>{{0x8E, 0x15}}));
  EXPECT_EQ(rig.SentOfSize(4, 0x8E, 0x15),
            (std::vector<PacketBytes>{
                {0x8E, 0x15, 0x00, 0x00}, {0x8E, 0x15, 0x00, 0x04}, {0x8E, 0x15, 0x00, 0x0D}}));
  EXPECT_EQ(rig.receiver().config.io.datum, 13);
}

TEST(DatumConsole, ADatumBeyondTheListLeavesNoSelectionAndNothingIsSentUntilOneIsChosen) {
  ConsoleOnEmulator rig;
  rig.receiver().config.io.datum = 180;
  ASSERT_EQ(rig.Run(R"(open TForm_Datum
wait 1
expect TForm_Datum.ComboBox_Datum.itemIndex -1
click TForm_Datum.Button_Apply
click TForm_Datum.Button_OK
expect TForm_Datum.visible true
)"),
            kScriptPassed)
      << rig.err.str() << rig.boxes.str();
  EXPECT_TRUE(BoxShown(rig, "Datum is not set.")) << rig.boxes.str();
  EXPECT_TRUE(rig.SentOfSize(4, 0x8E, 0x15).empty()) << "no 0xFFFF datum";
  EXPECT_EQ(rig.receiver().config.io.datum, 180);
  // The segment check still learns what the receiver reported.
  EXPECT_EQ(rig.app.segmentReadback.datumIndex.load(), 180);

  ASSERT_EQ(rig.Run("set TForm_Datum.ComboBox_Datum #0\nclick TForm_Datum.Button_OK\n"
                    "expect TForm_Datum.visible false\n"),
            kScriptPassed)
      << rig.err.str();
  EXPECT_EQ(rig.SentOfSize(4, 0x8E, 0x15), (std::vector<PacketBytes>{{0x8E, 0x15, 0x00, 0x00}}));
  EXPECT_EQ(rig.receiver().config.io.datum, 0);
}

// ---- 2D altitude --------------------------------------------------------------------------------

TEST(AltitudeConsole, OpeningShowsTheReferenceAltitudeAndASetOrCancelledAltitudeComesBack) {
  ConsoleOnEmulator rig;
  rig.receiver().config.receiver.referenceAltitude = 1500.0f;
  rig.receiver().config.receiver.referenceAltitudeSet = true;
  ASSERT_EQ(rig.Run(R"(open TForm_Altitude
wait 1
expect TForm_Altitude.Edit_Altitude.text 1500.000
expect TForm_Altitude.RadioButton_Set.checked true
expect TForm_Altitude.Edit_Altitude.colour #FFFFFF
set TForm_Altitude.Edit_Altitude 250.25
click TForm_Altitude.Button_Set
close TForm_Altitude
open TForm_Altitude
wait 1
expect TForm_Altitude.Edit_Altitude.text 250.250
)"),
            kScriptPassed)
      << rig.err.str() << rig.boxes.str();
  EXPECT_EQ(rig.receiver().config.receiver.referenceAltitude, 250.25f);
  EXPECT_TRUE(rig.receiver().config.receiver.referenceAltitudeSet);
  EXPECT_EQ(rig.app.segmentReadback.referenceAltitude.load(), 250.25f);

  // Cancelling greys the edit, which keeps taking text; the receiver forgets the altitude.
  ASSERT_EQ(rig.Run(R"(click TForm_Altitude.RadioButton_Cancel
expect TForm_Altitude.RadioButton_Set.checked false
expect TForm_Altitude.Edit_Altitude.colour #F0F0F0
expect TForm_Altitude.Edit_Altitude.enabled true
set TForm_Altitude.Edit_Altitude 99
click TForm_Altitude.Button_Set
wait 1
)"),
            kScriptPassed)
      << rig.err.str() << rig.boxes.str();
  EXPECT_FALSE(rig.receiver().config.receiver.referenceAltitudeSet);
  EXPECT_EQ(rig.receiver().config.receiver.referenceAltitude, 250.25f) << "99 was not sent";

  ASSERT_EQ(rig.Run(R"(click TForm_Altitude.RadioButton_Set
expect TForm_Altitude.Edit_Altitude.colour #FFFFFF
click TForm_Altitude.Button_Set
)"),
            kScriptPassed)
      << rig.err.str() << rig.boxes.str();
  EXPECT_TRUE(rig.receiver().config.receiver.referenceAltitudeSet);
  EXPECT_EQ(rig.receiver().config.receiver.referenceAltitude, 99.0f);
}

TEST(AltitudeConsole, TheCommandBytesOfSetAndCancelAndTextsThatAreNoNumber) {
  ConsoleOnEmulator rig;
  ASSERT_EQ(rig.Run(""), kScriptPassed);
  rig.ForgetSent();
  ASSERT_EQ(rig.Run(R"(open TForm_Altitude
wait 1
set TForm_Altitude.Edit_Altitude 1500
click TForm_Altitude.Button_Set
click TForm_Altitude.RadioButton_Cancel
set TForm_Altitude.Edit_Altitude abc
click TForm_Altitude.Button_Set
click TForm_Altitude.RadioButton_Set
click TForm_Altitude.Button_Set
set TForm_Altitude.Edit_Altitude 1500abc
click TForm_Altitude.Button_Set
set TForm_Altitude.Edit_Altitude 1500 m
click TForm_Altitude.Button_Set
set TForm_Altitude.Edit_Altitude ""
click TForm_Altitude.Button_Set
set TForm_Altitude.Edit_Altitude inf
click TForm_Altitude.Button_Set
set TForm_Altitude.Edit_Altitude 0x10
click TForm_Altitude.Button_Set
set TForm_Altitude.Edit_Altitude +-5
click TForm_Altitude.Button_Set
set TForm_Altitude.Edit_Altitude 1e39
click TForm_Altitude.Button_Set
set TForm_Altitude.Edit_Altitude 15000000
click TForm_Altitude.Button_Set
set TForm_Altitude.Edit_Altitude " +1.5e3 "
click TForm_Altitude.Button_Set
set TForm_Altitude.Edit_Altitude -.5
click TForm_Altitude.Button_Set
)"),
            kScriptPassed)
      << rig.err.str() << rig.boxes.str();
  EXPECT_EQ(rig.SentOfSize(1, 0x2A).size(), 1u) << "the query";
  EXPECT_EQ(rig.SentOfSize(2, 0x2A), (std::vector<PacketBytes>{{0x2A, 0xFF}}));
  EXPECT_EQ(rig.SentOfSize(5, 0x2A), (std::vector<PacketBytes>{{0x2A, 0x44, 0xBB, 0x80, 0x00},
                                                               {0x2A, 0x44, 0xBB, 0x80, 0x00},
                                                               {0x2A, 0xBF, 0x00, 0x00, 0x00}}));
  for (const char* text : {"abc", "1500abc", "1500 m", "", "inf", "0x10", "+-5", "1e39"}) {
    EXPECT_TRUE(BoxShown(rig, "'" + std::string(text) + "' is not a valid floating point value"))
        << text << "\n"
        << rig.boxes.str();
  }
  // A number, but no altitude an antenna has (a slip of three digits).
  EXPECT_TRUE(BoxShown(rig, "Altitude must be between -1000 and 100000 meters."))
      << rig.boxes.str();
  EXPECT_EQ(rig.receiver().config.receiver.referenceAltitude, -0.5f);
}

TEST(AltitudeConsole, WithNeitherChoiceNothingIsSent) {
  ConsoleOnEmulator rig;
  ASSERT_EQ(rig.Run(R"(open TForm_Altitude
set TForm_Altitude.RadioButton_Set false
click TForm_Altitude.Button_Set
)"),
            kScriptPassed)
      << rig.err.str();
  EXPECT_TRUE(BoxShown(rig, "Altitude Mode is not set.")) << rig.boxes.str();
  EXPECT_TRUE(rig.SentOfSize(2, 0x2A).empty());
  EXPECT_TRUE(rig.SentOfSize(5, 0x2A).empty());
}

TEST(AltitudeConsole, PositionReportsOfThe0x4AIdLeaveTheEditAlone) {
  ConsoleOnEmulator rig;
  // Port B sends single-precision LLA positions (0x4A, 20 bytes) once a second.
  rig.receiver().config.io.autoOutputMask = 1u << 30;
  rig.receiver().config.io.broadcastMask2 |= 0x20;
  ASSERT_EQ(rig.Run(R"(open TForm_Altitude
wait 1
expect TForm_Altitude.Edit_Altitude.text 0.000
set TForm_Altitude.Edit_Altitude 777
wait 3
expect TForm_Altitude.Edit_Altitude.text 777
)"),
            kScriptPassed)
      << rig.err.str();
  EXPECT_FALSE(rig.app.Form_VelPos.Panel_Latitude.Caption().empty()) << "no position arrived";
}

// ---- One-satellite mode -------------------------------------------------------------------------

TEST(SVNumConsole, TheListStartsWithoutAChoiceAndKeepsTheOperatorsLastOne) {
  ConsoleOnEmulator rig;
  rig.receiver().config.receiver.oneSatellite = 9;
  ASSERT_EQ(rig.Run(R"(open TForm_SVNum
wait 1
expect TForm_SVNum.ComboBox_SVNum.itemIndex -1
click TForm_SVNum.Button_OK
expect TForm_SVNum.visible true
click TForm_SVNum.Button_Apply
set TForm_SVNum.ComboBox_SVNum 0
click TForm_SVNum.Button_Apply
expect TForm_SVNum.visible true
set TForm_SVNum.ComboBox_SVNum 32
click TForm_SVNum.Button_OK
expect TForm_SVNum.visible false
open TForm_SVNum
wait 1
expect TForm_SVNum.ComboBox_SVNum.text 32
)"),
            kScriptPassed)
      << rig.err.str() << rig.boxes.str();
  EXPECT_TRUE(BoxShown(rig, "SV number is not set.")) << rig.boxes.str();
  EXPECT_EQ(rig.Sent(0x34), (std::vector<PacketBytes>{{0x34, 0x00}, {0x34, 0x20}}));
  EXPECT_EQ(rig.receiver().config.receiver.oneSatellite, 32);
}

}  // namespace
}  // namespace zelkon
