// The setup dialogs driven through the script console against the receiver emulator: each window
// shows the emulator's settings when opened, a change applied reaches the emulator and comes back
// on the next query, and the command bytes of the edge cases come out of scripts.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "e2e/console_rig.h"
#include "link/codec.h"
#include "text/angles.h"

namespace zelkon {
namespace {

using testing::ConsoleOnEmulator;
using testing::PacketBytes;
using testing::QuickConsoleReceiver;

float SingleAt(const PacketBytes& packet, size_t offset) { return ReadSingle(&packet[offset]); }

// ---- GPS settings -------------------------------------------------------------------------------

TEST(GpsSettingsConsole, OpeningShowsTheReceiversSettingsAndAnAppliedChangeComesBack) {
  ConsoleOnEmulator rig;
  const char* script = R"zs(open TForm_GPS
wait 1
expect TForm_GPS.ComboBox_RMode.text "Overdetermined Clock"
expect TForm_GPS.ComboBox_DGPSMode.text Auto
expect TForm_GPS.ComboBox_DCode.itemIndex 4
expect TForm_GPS.Edit_EMask.text 10.0
expect TForm_GPS.Edit_SMask.text 4.0
expect TForm_GPS.Edit_PMask.text 12.0
expect TForm_GPS.Edit_PSwitch.text 8.0
expect TForm_GPS.Edit_DGPSAge.text 30
dump TForm_GPS
set TForm_GPS.ComboBox_RMode "Full Position (3D)"
set TForm_GPS.ComboBox_DGPSMode Off
set TForm_GPS.Edit_EMask 15
click TForm_GPS.Button_Apply
close TForm_GPS
open TForm_GPS
wait 1
expect TForm_GPS.ComboBox_RMode.itemIndex 4
expect TForm_GPS.ComboBox_DGPSMode.text Off
expect TForm_GPS.Edit_EMask.text 15.0
)zs";
  ASSERT_EQ(rig.Run(script), kScriptPassed) << rig.err.str() << rig.boxes.str();
  const char* modeList =
      R"zs("ComboBox_RMode":{"kind":"ComboBox","itemIndex":7,"text":"Overdetermined Clock","items":["Automatic","Time Only (1 SV)","--Not Used--","Horizontal (2D)","Full Position (3D)","DGPS Reference","2D Clock Hold","Overdetermined Clock"],"enabled":true,"visible":true})zs";
  EXPECT_NE(rig.out.str().find(modeList), std::string::npos) << rig.out.str();
  EXPECT_EQ(rig.receiver().config.receiver.mode, 4);
  EXPECT_EQ(rig.receiver().config.receiver.dgpsMode, 0);
  EXPECT_EQ(rig.receiver().config.receiver.elevationMask,
            static_cast<float>(15.0f * RadiansPerDegree));
}

TEST(GpsSettingsConsole, AValueBeyondItsLimitsIsRefusedUntilTheEditIsLeftAndClampsIt) {
  ConsoleOnEmulator rig;
  rig.ForgetSent();
  ASSERT_EQ(rig.Run(R"(open TForm_GPS
wait 1
set TForm_GPS.Edit_PMask 60
set TForm_GPS.ComboBox_DGPSMode Auto
click TForm_GPS.Button_Apply
expect TForm_GPS.Edit_PMask.text 60
key TForm_GPS.Edit_PMask tab
expect TForm_GPS.Edit_PMask.text 50.0
set TForm_GPS.Edit_EMask 95x
click TForm_GPS.Button_OK
expect TForm_GPS.visible true
set TForm_GPS.Edit_EMask 95
exit TForm_GPS.Edit_EMask
expect TForm_GPS.Edit_EMask.text 90.0
set TForm_GPS.Edit_EMask -3
exit TForm_GPS.Edit_EMask
expect TForm_GPS.Edit_EMask.text 0.0
set TForm_GPS.Edit_EMask 90
exit TForm_GPS.Edit_EMask
expect TForm_GPS.Edit_EMask.text 90
set TForm_GPS.Edit_DGPSAge 45
key TForm_GPS.Edit_DGPSAge enter
expect TForm_GPS.Edit_DGPSAge.text 44
set TForm_GPS.Edit_DGPSAge 0
key TForm_GPS.Edit_DGPSAge enter
expect TForm_GPS.Edit_DGPSAge.text 1
set TForm_GPS.Edit_EMask 10
click TForm_GPS.Button_OK
expect TForm_GPS.visible false
)"),
            kScriptPassed)
      << rig.err.str() << rig.boxes.str();
  const std::string boxes = rig.boxes.str();
  EXPECT_NE(boxes.find("\"Warning\": PDOP Mask must be a number from 0 to 50."), std::string::npos)
      << boxes;
  EXPECT_NE(boxes.find("\"Warning\": Elevation Mask (degrees) must be a number from 0 to 90."),
            std::string::npos)
      << boxes;
  // Only what the window showed when OK was clicked reached the receiver.
  const std::vector<PacketBytes> sets = rig.SentOfSize(44, 0xBB);
  ASSERT_EQ(sets.size(), 1u);
  EXPECT_EQ(SingleAt(sets[0], 14), 50.0f);
  EXPECT_EQ(SingleAt(sets[0], 6), static_cast<float>(10.0f * RadiansPerDegree));
  EXPECT_EQ(sets[0][3], 3);   // "Auto" goes out as 3
  EXPECT_EQ(sets[0][22], 1);  // the DGPS age limit as clamped
  EXPECT_EQ(rig.receiver().config.receiver.pdopMask, 50.0f);
}

TEST(GpsSettingsConsole, AWindowTheReceiverHasNotFilledSendsNothingAndSaysWhichFieldIsNotSet) {
  sim::SimOptions options = QuickConsoleReceiver();
  options.refused.insert(0xBB00);
  ConsoleOnEmulator rig(options);
  rig.ForgetSent();
  ASSERT_EQ(rig.Run("open TForm_GPS\nwait 1\nclick TForm_GPS.Button_Apply\n"), kScriptPassed)
      << rig.err.str();
  EXPECT_NE(rig.boxes.str().find("message box \"Warning\": Receiver Mode is not set."),
            std::string::npos)
      << rig.boxes.str();
  for (const PacketBytes& packet : rig.Sent(0xBB))
    EXPECT_EQ(packet.size(), 2u) << "only the query";

  // Chosen and typed in fully, the window sends exactly what it shows.
  ASSERT_EQ(rig.Run(R"(set TForm_GPS.ComboBox_RMode #0
set TForm_GPS.ComboBox_DCode Land
set TForm_GPS.Edit_EMask abc
click TForm_GPS.Button_Apply
set TForm_GPS.ComboBox_DGPSMode On
click TForm_GPS.Button_Apply
set TForm_GPS.Edit_EMask 5
click TForm_GPS.Button_Apply
set TForm_GPS.Edit_SMask 4
set TForm_GPS.Edit_PMask 12
set TForm_GPS.Edit_PSwitch 8
set TForm_GPS.Edit_DGPSAge 30
click TForm_GPS.Button_Apply
)"),
            kScriptPassed)
      << rig.err.str();
  const std::string boxes = rig.boxes.str();
  EXPECT_NE(boxes.find("DGPS Mode is not set."), std::string::npos) << boxes;
  EXPECT_NE(boxes.find("Elevation Mask (degrees) must be a number from 0 to 90."),
            std::string::npos)
      << boxes;
  // The edits' initial -1 is no setting: it would go out as a negative mask and the age byte 0xFF.
  EXPECT_NE(boxes.find("Signal Level Mask (AMU) must be a number from 0 to 50."), std::string::npos)
      << boxes;
  const std::vector<PacketBytes> sets = rig.SentOfSize(44, 0xBB);
  ASSERT_EQ(sets.size(), 1u);
  EXPECT_EQ(SingleAt(sets[0], 10), 4.0f);
  EXPECT_EQ(sets[0][22], 30);
  EXPECT_EQ(sets[0][3], 1) << "Land";
}

// ---- Serial ports -------------------------------------------------------------------------------

TEST(SerialPortsConsole, OpeningShowsBothPortsAndYesMovesThePcPortWithTheLinkStillWorking) {
  ConsoleOnEmulator rig;
  ASSERT_EQ(rig.Run(R"(open TForm_Serial
wait 1
expect TForm_Serial.ComboBox_PortABaudRate.text 9600
expect TForm_Serial.ComboBox_PortAParity.text None
expect TForm_Serial.ComboBox_PortAInput.text RXBIN
expect TForm_Serial.ComboBox_PortBBaudRate.itemIndex 1
expect TForm_Serial.ComboBox_PortBDataBits.text 8
expect TForm_Serial.ComboBox_PortBParity.text Odd
expect TForm_Serial.ComboBox_PortBStopBits.text 1
expect TForm_Serial.ComboBox_PortBOutput.text RXBIN
set TForm_Serial.ComboBox_PortBBaudRate 19200
answer no
click TForm_Serial.Button_SetB
expect TForm_Main.Panel_Serial.text "COM1 9600, 8-Odd-1"
answer yes
click TForm_Serial.Button_SetB
expect TForm_Main.Panel_Serial.text "COM1 19200, 8-Odd-1"
close TForm_Serial
wait 3
)"),
            kScriptPassed)
      << rig.err.str() << rig.boxes.str();
  EXPECT_EQ(rig.receiver().config.ports.b.baudCode, 8);
  EXPECT_NE(
      rig.boxes.str().find("message box \"Port Settings\": Change PC settings to match? -> No"),
      std::string::npos);
  // The link goes on: time keeps arriving after the change.
  const std::string before = rig.app.Form_Main.Panel_TOW.Caption();
  ASSERT_EQ(rig.Run("wait 2\n"), kScriptPassed);
  EXPECT_NE(rig.app.Form_Main.Panel_TOW.Caption(), before);
  EXPECT_FALSE(rig.app.Form_Main.Panel_TOW.Caption().empty());
}

TEST(SerialPortsConsole, TheCommandBytesOfEachPort) {
  ConsoleOnEmulator rig;
  // Past the start-up port set-up, which sends a 0xBC set form of its own.
  ASSERT_EQ(rig.Run(""), kScriptPassed);
  rig.ForgetSent();
  ASSERT_EQ(rig.Run(R"(open TForm_Serial
set TForm_Serial.ComboBox_PortABaudRate 9600
set TForm_Serial.ComboBox_PortADataBits 8
set TForm_Serial.ComboBox_PortAParity Odd
set TForm_Serial.ComboBox_PortAStopBits 1
set TForm_Serial.ComboBox_PortAInput RXBIN
set TForm_Serial.ComboBox_PortAOutput RXBIN
click TForm_Serial.Button_SetA
set TForm_Serial.ComboBox_PortBBaudRate 115200
set TForm_Serial.ComboBox_PortBDataBits 8
set TForm_Serial.ComboBox_PortBParity None
set TForm_Serial.ComboBox_PortBStopBits 2
set TForm_Serial.ComboBox_PortBInput RXBIN
set TForm_Serial.ComboBox_PortBOutput NMEA
click TForm_Serial.Button_SetB
set TForm_Serial.ComboBox_PortABaudRate None
click TForm_Serial.Button_SetA
set TForm_Serial.ComboBox_PortABaudRate #-1
click TForm_Serial.Button_SetA
)"),
            kScriptPassed)
      << rig.err.str();
  const std::vector<PacketBytes> sets = rig.SentOfSize(11, 0xBC);
  EXPECT_EQ(sets, (std::vector<PacketBytes>{
                      {0xBC, 0x00, 0x07, 0x07, 0x03, 0x01, 0x00, 0x00, 0x02, 0x02, 0x00},
                      {0xBC, 0x01, 0x0B, 0x0B, 0x03, 0x00, 0x01, 0x00, 0x02, 0x04, 0x00},
                      {0xBC, 0x00, 0x00, 0x00, 0x03, 0x01, 0x00, 0x00, 0x02, 0x02, 0x00},
                  }));
  EXPECT_NE(rig.boxes.str().find("Port A Baud Rate is not set."), std::string::npos)
      << rig.boxes.str();
}

// ---- Timing outputs -----------------------------------------------------------------------------

TEST(TimingOutputsConsole, OpeningQueriesInOrderShowsTheSettingsAndEachGroupIsSetOnItsOwn) {
  ConsoleOnEmulator rig;
  rig.ForgetSent();
  ASSERT_EQ(rig.Run(R"(click TForm_Main.Label_TimingOutputs
expect TForm_TimingOut.visible true
wait 1
expect TForm_TimingOut.ComboBox_Switch.text Enabled
expect TForm_TimingOut.ComboBox_TimeBase.text GPS
expect TForm_TimingOut.ComboBox_Polarity.text Positive
expect TForm_TimingOut.Edit_Offset.text 0.000e+00
expect TForm_TimingOut.Edit_Bias.text 300.00
expect TForm_TimingOut.RadioButton_1SV.checked true
expect TForm_TimingOut.CheckBox_EvenSecond.checked false
expect TForm_TimingOut.Edit_Width.text 1.000e-02
click TForm_TimingOut.RadioButton_Always
set TForm_TimingOut.CheckBox_EvenSecond true
click TForm_TimingOut.Button_SetOutput
set TForm_TimingOut.Edit_Offset 1e-6ns
set TForm_TimingOut.ComboBox_Polarity Negative
click TForm_TimingOut.Button_SetChar
set TForm_TimingOut.Edit_Offset 1e-6
click TForm_TimingOut.Button_SetChar
set TForm_TimingOut.Edit_Width 2
click TForm_TimingOut.Button_Width
set TForm_TimingOut.Edit_Width 2e-3
click TForm_TimingOut.Button_Width
close TForm_TimingOut
open TForm_TimingOut
wait 1
expect TForm_TimingOut.RadioButton_Always.checked true
expect TForm_TimingOut.CheckBox_EvenSecond.checked true
expect TForm_TimingOut.Edit_Offset.text 1.000e-06
expect TForm_TimingOut.ComboBox_Polarity.itemIndex 1
expect TForm_TimingOut.Edit_Width.text 2.000e-03
)"),
            kScriptPassed)
      << rig.err.str() << rig.boxes.str();
  EXPECT_EQ(rig.receiver().config.timing.ppsOption, 0x82);
  EXPECT_EQ(rig.receiver().config.timing.ppsOffset, 0.000001);
  EXPECT_EQ(rig.receiver().config.timing.ppsWidth, 0.002);
  // A unit typed after the offset and a width of two seconds were refused: one set of each.
  EXPECT_EQ(rig.SentOfSize(17, 0x8E, 0x4A).size(), 1u);
  EXPECT_EQ(rig.SentOfSize(10, 0x8E, 0x4F).size(), 1u);
  const std::string boxes = rig.boxes.str();
  EXPECT_NE(boxes.find("\"Warning\": PPS Offset must be a number from -1 to 1."), std::string::npos)
      << boxes;
  EXPECT_NE(boxes.find("\"Warning\": PPS Width must be a number from 0 to 1."), std::string::npos)
      << boxes;
  // The activation's three queries, in their order.
  std::vector<int> queries;
  for (const PacketBytes& packet : rig.Sent(0x8E))
    if (packet.size() == 2) queries.push_back(packet[1]);
  ASSERT_GE(queries.size(), 3u);
  EXPECT_EQ(std::vector<int>(queries.begin(), queries.begin() + 3),
            (std::vector<int>{0x4E, 0x4A, 0x4F}));
}

TEST(TimingOutputsConsole, AVarnelReceiverCannotReachTheWidthAndOutputOptions) {
  ConsoleOnEmulator rig(QuickConsoleReceiver(sim::Model::Varnel));
  ASSERT_EQ(rig.Run("wait 2\nopen TForm_TimingOut\nexpect TForm_TimingOut.Edit_Width.enabled "
                    "false\nexpect TForm_TimingOut.Label_Width.fontColour #BFCDDB\n"),
            kScriptPassed)
      << rig.err.str();
  EXPECT_EQ(rig.Run("set TForm_TimingOut.Edit_Width 1e-3\n"), kScriptMistake);
  EXPECT_EQ(rig.err.str(), "test.zs:1: TForm_TimingOut.Edit_Width is disabled\n");
}

// ---- Self-survey --------------------------------------------------------------------------------

TEST(SelfSurveyConsole, TheTempavoWindowReadsAndSetsTheSurvey) {
  sim::SimOptions options = QuickConsoleReceiver();
  options.surveySeconds = 2000;
  ConsoleOnEmulator rig(options);
  rig.ForgetSent();
  ASSERT_EQ(rig.Run(R"(click TForm_Main.Panel_SelfSurvey
wait 1
expect TForm_SelfSurvey.CheckBox_EnableSurvey.checked true
expect TForm_SelfSurvey.CheckBox_Flag.checked true
expect TForm_SelfSurvey.Edit_Limit.text 2000
click TForm_SelfSurvey.Button_Set
set TForm_SelfSurvey.CheckBox_Flag false
set TForm_SelfSurvey.Edit_Limit 86400
click TForm_SelfSurvey.Button_Set
set TForm_SelfSurvey.Edit_Limit many
click TForm_SelfSurvey.Button_Set
set TForm_SelfSurvey.Edit_Limit -1
click TForm_SelfSurvey.Button_Set
)"),
            kScriptPassed)
      << rig.err.str();
  const std::vector<PacketBytes> sets = rig.SentOfSize(12, 0x8E, 0xA9);
  ASSERT_EQ(sets.size(), 2u);
  EXPECT_EQ(sets[0], (PacketBytes{0x8E, 0xA9, 0x01, 0x01, 0x00, 0x00, 0x07, 0xD0, 0, 0, 0, 0}));
  EXPECT_EQ(rig.receiver().config.survey.limit, 86400u);
  EXPECT_EQ(rig.receiver().config.survey.save, 0);
  EXPECT_EQ(testing::CountOf(rig.boxes.str(),
                             "Self Survey Limit must be a whole number from 0 to 4294967295."),
            2)
      << rig.boxes.str();
}

TEST(SelfSurveyConsole, TheVarnelWindowReadsAndSetsTheSurveyLimit) {
  sim::SimOptions options = QuickConsoleReceiver(sim::Model::Varnel);
  options.surveySeconds = 2000;
  ConsoleOnEmulator rig(options);
  rig.ForgetSent();
  ASSERT_EQ(rig.Run(R"(wait 2
expect TForm_Main.SetupVarnelSelfSurvey.visible true
click TForm_Main.SetupVarnelSelfSurvey
wait 1
expect TForm_VarnelSurvey.Edit_Limit.text 2000
set TForm_VarnelSurvey.Edit_Limit 4294967296
click TForm_VarnelSurvey.Button_Set
set TForm_VarnelSurvey.Edit_Limit 86400
click TForm_VarnelSurvey.Button_Set
click TForm_VarnelSurvey.Button_Close
expect TForm_VarnelSurvey.visible false
)"),
            kScriptPassed)
      << rig.err.str();
  // A limit beyond 32 bits is refused rather than cut to them.
  EXPECT_EQ(rig.SentOfSize(6, 0x8E, 0x4B),
            (std::vector<PacketBytes>{{0x8E, 0x4B, 0x00, 0x01, 0x51, 0x80}}));
  EXPECT_EQ(rig.receiver().config.survey.limit, 86400u);
  EXPECT_NE(rig.boxes.str().find("Auto-survey Limit must be a whole number from 0 to 4294967295."),
            std::string::npos)
      << rig.boxes.str();
}

// A window a click shows becomes the active one, as in the windowed program: its queries go out and
// its answers fill it.
TEST(SetupDialogsConsole, TheMainWindowsClickTargetsOpenTheirDialogs) {
  ConsoleOnEmulator rig;
  ASSERT_EQ(rig.Run(R"(click TForm_Main.Label_ModeAndStatus
expect TForm_GPS.visible true
click TForm_Main.Panel_Serial
expect TForm_Serial.visible true
click TForm_Main.Label_SelfSurvey
expect TForm_SelfSurvey.visible true
click TForm_Main.SetupTimingOutputs
expect TForm_TimingOut.visible true
wait 2
expect TForm_GPS.Edit_EMask.text 10.0
expect TForm_Serial.ComboBox_PortBParity.text Odd
expect TForm_SelfSurvey.Edit_Limit.text 60
expect TForm_TimingOut.Edit_Width.text 1.000e-02
)"),
            kScriptPassed)
      << rig.err.str();
}

}  // namespace
}  // namespace zelkon
