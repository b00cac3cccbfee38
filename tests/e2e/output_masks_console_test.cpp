// The four output-setting windows driven through the script console against the receiver
// emulator: the packet masks and I/O options, port B's automatic outputs, the Varnel receiver's
// port A output and the NMEA output. Each window shows the emulator's settings when opened, a
// change applied reaches the emulator and comes back on the next query, and the command bytes of
// the edge cases come out of scripts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "e2e/console_rig.h"

namespace zelkon {
namespace {

using testing::ConsoleOnEmulator;
using testing::PacketBytes;
using testing::QuickConsoleReceiver;

// ---- Packet masks and I/O options -------------------------------------------------------------

TEST(PacketMasksConsole, OpeningShowsTheReceiversOptionsAndMasksAndBothSetsComeBack) {
  ConsoleOnEmulator rig;
  rig.ForgetSent();
  // The emulator starts with LLA output, ENU velocity and the signal level in dBc/Hz, and the two
  // timing superpackets broadcast.
  ASSERT_EQ(rig.Run(R"zs(click TForm_Main.SetupPacketMasks
expect TForm_PacketMasks.visible true
wait 1
expect TForm_PacketMasks.CheckBox_PosXYZ.checked false
expect TForm_PacketMasks.CheckBox_PosLLA.checked true
expect TForm_PacketMasks.CheckBox_PosDouble.checked false
expect TForm_PacketMasks.CheckBox_VelXYZ.checked false
expect TForm_PacketMasks.CheckBox_VelENU.checked true
expect TForm_PacketMasks.CheckBox_TimeType.checked false
expect TForm_PacketMasks.CheckBox_AuxRaw.checked false
expect TForm_PacketMasks.CheckBox_dBc_Hz.checked true
expect TForm_PacketMasks.CheckBox_B1Bit0.checked false
expect TForm_PacketMasks.CheckBox_B1Bit3.checked false
expect TForm_PacketMasks.CheckBox_B2Bit5.checked false
expect TForm_PacketMasks.CheckBox_B2Bit6.checked true
expect TForm_PacketMasks.CheckBox_B2Bit7.checked true
set TForm_PacketMasks.CheckBox_PosXYZ true
set TForm_PacketMasks.CheckBox_PosDouble true
set TForm_PacketMasks.CheckBox_TimeCompute true
set TForm_PacketMasks.CheckBox_dBc_Hz false
click TForm_PacketMasks.Button_Set35
set TForm_PacketMasks.CheckBox_B1Bit3 true
set TForm_PacketMasks.CheckBox_B2Bit6 false
click TForm_PacketMasks.Button_Set8EA5
click TForm_PacketMasks.Button_Close
expect TForm_PacketMasks.visible false
open TForm_PacketMasks
wait 1
expect TForm_PacketMasks.CheckBox_PosXYZ.checked true
expect TForm_PacketMasks.CheckBox_PosDouble.checked true
expect TForm_PacketMasks.CheckBox_TimeCompute.checked true
expect TForm_PacketMasks.CheckBox_dBc_Hz.checked false
expect TForm_PacketMasks.CheckBox_B1Bit3.checked true
expect TForm_PacketMasks.CheckBox_B2Bit6.checked false
expect TForm_PacketMasks.CheckBox_PosXYZ.text "Output XYZ ECEF (Packet 83)"
expect TForm_PacketMasks.CheckBox_PosLLA.text "Output LLA (Packet 84)"
)zs"),
            kScriptPassed)
      << rig.err.str() << rig.boxes.str();
  const auto& io = rig.receiver().config.io;
  EXPECT_EQ(std::vector<uint8_t>(io.ioOptions, io.ioOptions + 4),
            (std::vector<uint8_t>{0x13, 0x02, 0x02, 0x00}));
  EXPECT_EQ(io.broadcastMask1, 0x08);
  EXPECT_EQ(io.broadcastMask2, 0x80);
  // Each activation asks for the options first, then the mask.
  std::vector<PacketBytes> queries;
  for (const PacketBytes& packet : rig.Sent()) {
    if (packet == PacketBytes{0x35} || packet == PacketBytes{0x8E, 0xA5}) queries.push_back(packet);
  }
  EXPECT_EQ(queries, (std::vector<PacketBytes>{{0x35}, {0x8E, 0xA5}, {0x35}, {0x8E, 0xA5}}));
}

TEST(PacketMasksConsole, TheOptionBytesOfSixBoxesAndThePositionCaptionsOfDoublePrecision) {
  ConsoleOnEmulator rig;
  auto& io = rig.receiver().config.io;
  std::fill(io.ioOptions, io.ioOptions + 4, uint8_t{0});
  ASSERT_EQ(rig.Run(
                R"zs(open TForm_PacketMasks
wait 1
expect TForm_PacketMasks.CheckBox_PosLLA.checked false
expect TForm_PacketMasks.CheckBox_PosXYZ.text "Output XYZ ECEF (Packet 42)"
expect TForm_PacketMasks.CheckBox_PosLLA.text "Output LLA (Packet 4A)"
click TForm_PacketMasks.CheckBox_PosXYZ
click TForm_PacketMasks.CheckBox_PosLLA
click TForm_PacketMasks.CheckBox_PosDouble
click TForm_PacketMasks.CheckBox_VelENU
click TForm_PacketMasks.CheckBox_TimeType
click TForm_PacketMasks.CheckBox_AuxRaw
click TForm_PacketMasks.Button_Set35
expect TForm_PacketMasks.CheckBox_PosXYZ.text "Output XYZ ECEF (Packet 83)"
expect TForm_PacketMasks.CheckBox_PosLLA.text "Output LLA (Packet 84)"
click TForm_PacketMasks.CheckBox_PosDouble
expect TForm_PacketMasks.CheckBox_PosXYZ.text "Output XYZ ECEF (Packet 42)"
expect TForm_PacketMasks.CheckBox_PosLLA.text "Output LLA (Packet 4A)"
)zs"),
            kScriptPassed)
      << rig.err.str();
  EXPECT_EQ(rig.SentOfSize(5, 0x35), (std::vector<PacketBytes>{{0x35, 0x13, 0x02, 0x01, 0x01}}));
  EXPECT_EQ(io.ioOptions[0], 0x13);
  EXPECT_EQ(io.ioOptions[3], 0x01);
}

// A line of a script that expects a caption of the packet-masks window.
std::string ExpectCaption(const std::string& box, const std::string& caption) {
  return "expect TForm_PacketMasks." + box + ".text \"" + caption + "\"\n";
}

// The position boxes keep their design captions ("Ouput" in the LLA one) until one of the eight
// boxes changes state; then they follow the double-precision box. No report fills the window: the
// receiver answers neither query.
TEST(PacketMasksConsole, EachOfTheEightBoxesReCaptionsThePositionBoxesAndNoOtherBoxDoes) {
  sim::SimOptions options = QuickConsoleReceiver();
  options.refused = {0x3500, 0x8EA5};
  const std::vector<std::string> recaptioning = {
      "CheckBox_PosDouble", "CheckBox_TimeSynch", "CheckBox_TimeMinimize", "CheckBox_B1Bit2",
      "CheckBox_B1Bit3",    "CheckBox_B1Bit6",    "CheckBox_B1Bit7",       "CheckBox_B2Bit6"};
  for (const std::string& box : recaptioning) {
    ConsoleOnEmulator rig(options);
    const bool isDouble = box == "CheckBox_PosDouble";
    // Checked, then cleared again.
    const std::string click = "click TForm_PacketMasks." + box + "\n";
    const std::string script =
        "open TForm_PacketMasks\nwait 1\n" +
        ExpectCaption("CheckBox_PosLLA", "Ouput LLA (Packet 4A)") + click +
        ExpectCaption("CheckBox_PosXYZ",
                      isDouble ? "Output XYZ ECEF (Packet 83)" : "Output XYZ ECEF (Packet 42)") +
        ExpectCaption("CheckBox_PosLLA",
                      isDouble ? "Output LLA (Packet 84)" : "Output LLA (Packet 4A)") +
        click + ExpectCaption("CheckBox_PosXYZ", "Output XYZ ECEF (Packet 42)") +
        ExpectCaption("CheckBox_PosLLA", "Output LLA (Packet 4A)");
    ASSERT_EQ(rig.Run(script), kScriptPassed) << box << ": " << rig.err.str();
  }

  ConsoleOnEmulator rig(options);
  ASSERT_EQ(rig.Run(R"zs(open TForm_PacketMasks
click TForm_PacketMasks.CheckBox_PosXYZ
click TForm_PacketMasks.CheckBox_PosLLA
click TForm_PacketMasks.CheckBox_TimeType
click TForm_PacketMasks.CheckBox_B1Bit0
click TForm_PacketMasks.CheckBox_B1Bit5
click TForm_PacketMasks.CheckBox_B2Bit7
expect TForm_PacketMasks.CheckBox_PosLLA.text "Ouput LLA (Packet 4A)"
)zs"),
            kScriptPassed)
      << rig.err.str();
}

TEST(PacketMasksConsole, ADoublePrecisionReportReCaptionsThePositionBoxes) {
  ConsoleOnEmulator rig;
  rig.receiver().config.io.ioOptions[0] = 0x12;  // LLA, double precision
  ASSERT_EQ(rig.Run(R"zs(open TForm_PacketMasks
wait 1
expect TForm_PacketMasks.CheckBox_PosDouble.checked true
expect TForm_PacketMasks.CheckBox_PosXYZ.text "Output XYZ ECEF (Packet 83)"
expect TForm_PacketMasks.CheckBox_PosLLA.text "Output LLA (Packet 84)"
)zs"),
            kScriptPassed)
      << rig.err.str();
}

TEST(PacketMasksConsole, TheBroadcastMaskOfTwoBoxes) {
  ConsoleOnEmulator rig;
  rig.ForgetSent();
  ASSERT_EQ(rig.Run(R"zs(open TForm_PacketMasks
wait 1
set TForm_PacketMasks.CheckBox_B2Bit6 false
set TForm_PacketMasks.CheckBox_B1Bit1 true
click TForm_PacketMasks.Button_Set8EA5
)zs"),
            kScriptPassed)
      << rig.err.str();
  EXPECT_EQ(rig.SentOfSize(6, 0x8E, 0xA5),
            (std::vector<PacketBytes>{{0x8E, 0xA5, 0x02, 0x80, 0x00, 0x00}}));
  EXPECT_EQ(rig.receiver().config.io.broadcastMask1, 0x02);
  EXPECT_EQ(rig.receiver().config.io.broadcastMask2, 0x80);
}

// ---- Port B automatic output ------------------------------------------------------------------

TEST(AutoOutputConsole, OpeningShowsTheMaskAndPacket41And5AAloneComeBack) {
  ConsoleOnEmulator rig;
  rig.receiver().config.io.autoOutputMask = 0x0000'0804;  // 4F; 6D, 46, 4B, 82
  rig.ForgetSent();
  ASSERT_EQ(rig.Run(R"zs(click TForm_Main.SetupPortBOutput
wait 1
expect TForm_AutoOut.CheckBox_Bit2.checked true
expect TForm_AutoOut.CheckBox_Bit11.checked true
expect TForm_AutoOut.CheckBox_Bit0.checked false
expect TForm_AutoOut.CheckBox_Bit8.checked false
expect TForm_AutoOut.CheckBox_Bit31.checked false
set TForm_AutoOut.CheckBox_Bit2 false
set TForm_AutoOut.CheckBox_Bit11 false
set TForm_AutoOut.CheckBox_Bit8 true
set TForm_AutoOut.CheckBox_Bit31 true
click TForm_AutoOut.Button_Apply
expect TForm_AutoOut.visible true
close TForm_AutoOut
open TForm_AutoOut
wait 1
expect TForm_AutoOut.CheckBox_Bit8.checked true
expect TForm_AutoOut.CheckBox_Bit31.checked true
expect TForm_AutoOut.CheckBox_Bit2.checked false
set TForm_AutoOut.CheckBox_Bit30 true
click TForm_AutoOut.Button_OK
expect TForm_AutoOut.visible false
)zs"),
            kScriptPassed)
      << rig.err.str();
  EXPECT_EQ(rig.SentOfSize(6, 0x8E, 0x4D),
            (std::vector<PacketBytes>{{0x8E, 0x4D, 0x80, 0x00, 0x01, 0x00},
                                      {0x8E, 0x4D, 0xC0, 0x00, 0x01, 0x00}}));
  EXPECT_EQ(rig.receiver().config.io.autoOutputMask, 0xC000'0100u);
  EXPECT_EQ(rig.SentOfSize(2, 0x8E, 0x4D).size(), 2u) << "one query per activation";
}

// The velocity and position window fills once the receiver is told to send its automatic outputs
// (the broadcast mask's "Auto RXBIN Outputs" and port B's position and velocity), with the reports
// the I/O options choose; double precision switches the position groups to 0x83 and 0x84.
TEST(AutoOutputConsole, TheVelocityAndPositionWindowFillsWithTheReportsTheOptionsChoose) {
  ConsoleOnEmulator rig;
  ASSERT_EQ(rig.Run(R"zs(wait 20
open TForm_VelPos
wait 3
expect TForm_VelPos.Panel_Latitude.text ""
open TForm_PacketMasks
wait 1
set TForm_PacketMasks.CheckBox_B2Bit5 true
set TForm_PacketMasks.CheckBox_PosXYZ true
click TForm_PacketMasks.Button_Set8EA5
click TForm_PacketMasks.Button_Set35
open TForm_AutoOut
wait 1
set TForm_AutoOut.CheckBox_Bit30 true
click TForm_AutoOut.Button_OK
wait 3
)zs"),
            kScriptPassed)
      << rig.err.str();
  const TForm_VelPos& form = rig.app.Form_VelPos;
  const sim::Fix fix = rig.receiver().Position();
  ASSERT_NE(fix.latitude, 0.0);
  EXPECT_EQ(form.Panel_LLAPosition.Hint(), "Single Precision LLA Position: Packet 0x4A");
  EXPECT_NEAR(std::stod(form.Panel_Latitude.Caption()), fix.latitude * 180 / M_PI, 1e-3);
  EXPECT_NEAR(std::stod(form.Panel_Longitude.Caption()), fix.longitude * 180 / M_PI, 1e-3);
  EXPECT_NEAR(std::stod(form.Panel_Altitude.Caption()), fix.altitude, 20);
  EXPECT_EQ(form.Panel_East.Caption(), "0.00");
  EXPECT_NE(form.Panel_PosX.Caption(), "");
  EXPECT_NE(form.Panel_ENUBiasRate.Caption(), "");

  ASSERT_EQ(rig.Run(R"zs(set TForm_PacketMasks.CheckBox_PosDouble true
click TForm_PacketMasks.Button_Set35
wait 3
expect TForm_VelPos.Panel_LLAPosition.hint "Double Precision LLA Position: Packet 0x84"
expect TForm_VelPos.Panel_ECEFPosition.hint "Double Precision ECEF Position: Packet 0x83"
click TForm_VelPos.Button1
expect TForm_VelPos.Panel_Latitude.text " "
)zs"),
            kScriptPassed)
      << rig.err.str();
  EXPECT_EQ(form.Panel_ECEFBias.Caption(), " ");
}

// ---- NMEA output ------------------------------------------------------------------------------

TEST(NmeaOutputConsole, OpeningShowsIntervalAndSentencesAndAnAppliedChangeComesBack) {
  ConsoleOnEmulator rig;
  rig.receiver().config.nmea.mask = 0x101;
  rig.ForgetSent();
  ASSERT_EQ(rig.Run(R"zs(click TForm_Main.SetupNMEAOutpu
wait 1
expect TForm_NMEA.Edit_Interval.text 1
expect TForm_NMEA.CheckBox_GGA.checked true
expect TForm_NMEA.CheckBox_GLL.checked false
expect TForm_NMEA.CheckBox_VTG.checked false
expect TForm_NMEA.CheckBox_GSV.checked false
expect TForm_NMEA.CheckBox_GSA.checked false
expect TForm_NMEA.CheckBox_ZDA.checked false
expect TForm_NMEA.CheckBox_RMC.checked true
set TForm_NMEA.CheckBox_ZDA true
click TForm_NMEA.Button_OK
expect TForm_NMEA.visible false
open TForm_NMEA
wait 1
expect TForm_NMEA.CheckBox_RMC.checked true
set TForm_NMEA.Edit_Interval 5
set TForm_NMEA.CheckBox_GGA false
set TForm_NMEA.CheckBox_VTG true
click TForm_NMEA.Button_Apply
close TForm_NMEA
open TForm_NMEA
wait 1
expect TForm_NMEA.Edit_Interval.text 5
expect TForm_NMEA.CheckBox_GGA.checked false
expect TForm_NMEA.CheckBox_VTG.checked true
)zs"),
            kScriptPassed)
      << rig.err.str() << rig.boxes.str();
  EXPECT_EQ(rig.SentOfSize(7, 0x7A),
            (std::vector<PacketBytes>{{0x7A, 0x00, 0x01, 0x00, 0x00, 0x01, 0x21},
                                      {0x7A, 0x00, 0x05, 0x00, 0x00, 0x01, 0x24}}));
  EXPECT_EQ(rig.receiver().config.nmea.interval, 5);
  EXPECT_EQ(rig.receiver().config.nmea.mask, 0x124u);
  // The interval shown is kept for the segment check.
  EXPECT_EQ(rig.app.segmentReadback.nmeaInterval, 5);
}

TEST(NmeaOutputConsole, AnIntervalTheByteCannotCarryOrNoNumberSendsNothing) {
  ConsoleOnEmulator rig;
  rig.ForgetSent();
  ASSERT_EQ(rig.Run(R"zs(open TForm_NMEA
wait 1
set TForm_NMEA.Edit_Interval 300
click TForm_NMEA.Button_Apply
set TForm_NMEA.Edit_Interval -5
click TForm_NMEA.Button_OK
expect TForm_NMEA.visible true
set TForm_NMEA.Edit_Interval often
click TForm_NMEA.Button_Apply
set TForm_NMEA.Edit_Interval " 255 "
click TForm_NMEA.Button_OK
expect TForm_NMEA.visible false
)zs"),
            kScriptPassed)
      << rig.err.str();
  EXPECT_EQ(rig.SentOfSize(7, 0x7A),
            (std::vector<PacketBytes>{{0x7A, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x21}}));
  EXPECT_EQ(rig.receiver().config.nmea.interval, 255);
  const std::string warning =
      "message box \"Warning\": Output Interval must be a whole number from 0 to 255.";
  EXPECT_EQ(testing::CountOf(rig.boxes.str(), warning), 3) << rig.boxes.str();
}

TEST(NmeaOutputConsole, AWindowTheReceiverHasNotFilledSendsNothing) {
  sim::SimOptions options = QuickConsoleReceiver();
  options.refused.insert(0x7A00);
  ConsoleOnEmulator rig(options);
  rig.ForgetSent();
  ASSERT_EQ(rig.Run(R"zs(open TForm_NMEA
wait 1
expect TForm_NMEA.Edit_Interval.text ""
set TForm_NMEA.CheckBox_GGA true
click TForm_NMEA.Button_OK
expect TForm_NMEA.visible true
)zs"),
            kScriptPassed)
      << rig.err.str();
  EXPECT_TRUE(rig.SentOfSize(7, 0x7A).empty());
  EXPECT_NE(rig.boxes.str().find("Output Interval must be a whole number from 0 to 255."),
            std::string::npos)
      << rig.boxes.str();
  EXPECT_EQ(rig.app.segmentReadback.nmeaInterval, -1);
}

// ---- Varnel port A output ---------------------------------------------------------------------

TEST(VarnelPortAOutputConsole, TheChoicesFollowMaskOneAndGoOutAsTheTwoOptionForms) {
  ConsoleOnEmulator rig(QuickConsoleReceiver(sim::Model::Varnel));
  rig.ForgetSent();
  // Before any report both panels show "At Both Event Input and PPS". The emulator's mask 1 is 0.
  ASSERT_EQ(rig.Run(R"zs(expect TForm_VarnelPortAOut.RadioButton_Both0B.checked true
expect TForm_VarnelPortAOut.RadioButton_BothAD.checked true
wait 2
expect TForm_Main.SetupPortAOutput.visible true
expect TForm_Main.SetupNMEAOutpu.visible false
click TForm_Main.SetupPortAOutput
wait 1
expect TForm_VarnelPortAOut.RadioButton_Request0B.checked true
expect TForm_VarnelPortAOut.RadioButton_Both0B.checked false
expect TForm_VarnelPortAOut.RadioButton_RequestAD.checked true
click TForm_VarnelPortAOut.RadioButton_PPS0B
click TForm_VarnelPortAOut.Button_Apply
close TForm_VarnelPortAOut
open TForm_VarnelPortAOut
wait 1
expect TForm_VarnelPortAOut.RadioButton_PPS0B.checked true
expect TForm_VarnelPortAOut.RadioButton_Request0B.checked false
expect TForm_VarnelPortAOut.RadioButton_RequestAD.checked true
expect TForm_PacketMasks.CheckBox_B1Bit0.checked true
click TForm_VarnelPortAOut.RadioButton_Event0B
click TForm_VarnelPortAOut.RadioButton_BothAD
click TForm_VarnelPortAOut.Button_OK
expect TForm_VarnelPortAOut.visible false
)zs"),
            kScriptPassed)
      << rig.err.str() << rig.boxes.str();
  std::vector<PacketBytes> options;
  for (const PacketBytes& packet : rig.Sent(0x8E)) {
    if (packet.size() == 3 && (packet[1] == 0x0B || packet[1] == 0xAD)) options.push_back(packet);
  }
  EXPECT_EQ(options,
            (std::vector<PacketBytes>{
                {0x8E, 0x0B, 0x01}, {0x8E, 0xAD, 0x00}, {0x8E, 0x0B, 0x02}, {0x8E, 0xAD, 0x03}}));
  EXPECT_EQ(rig.receiver().config.io.broadcastMask1, 0x32);
  EXPECT_EQ(rig.SentOfSize(2, 0x8E, 0xA5).size(), 2u) << "one query per activation";
}

TEST(VarnelPortAOutputConsole, EachPanelReadsItsTwoBitsOfMaskOne) {
  ConsoleOnEmulator rig(QuickConsoleReceiver(sim::Model::Varnel));
  struct Case {
    uint8_t mask1;
    const char* comprehensive;
    const char* utcTime;
  };
  // Bits 2, 3, 6 and 7 are port B's and change nothing here.
  for (const Case& c : {Case{0x11, "PPS0B", "PPSAD"}, Case{0x00, "Request0B", "RequestAD"},
                        Case{0x22, "Event0B", "EventAD"}, Case{0x33, "Both0B", "BothAD"},
                        Case{0xCE, "Event0B", "RequestAD"}, Case{0x21, "PPS0B", "EventAD"}}) {
    rig.receiver().config.io.broadcastMask1 = c.mask1;
    ASSERT_EQ(
        rig.Run(std::string("open TForm_VarnelPortAOut\nwait 1\n") +
                "expect TForm_VarnelPortAOut.RadioButton_" + c.comprehensive + ".checked true\n" +
                "expect TForm_VarnelPortAOut.RadioButton_" + c.utcTime + ".checked true\n"),
        kScriptPassed)
        << "mask 1 = " << int{c.mask1} << ": " << rig.err.str();
    // One button of each panel.
    int checked = 0;
    for (const Control* control : rig.app.Form_VarnelPortAOut.Controls()) {
      if (control->Kind() == ControlKind::RadioButton &&
          static_cast<const RadioButton*>(control)->Checked()) {
        ++checked;
      }
    }
    EXPECT_EQ(checked, 2) << "mask 1 = " << int{c.mask1};
  }
}

// A panel left without a choice (only a script can do that) sends neither option form.
TEST(VarnelPortAOutputConsole, APanelWithoutAChoiceSendsNothing) {
  ConsoleOnEmulator rig(QuickConsoleReceiver(sim::Model::Varnel));
  rig.ForgetSent();
  ASSERT_EQ(rig.Run(R"zs(open TForm_VarnelPortAOut
set TForm_VarnelPortAOut.RadioButton_BothAD false
click TForm_VarnelPortAOut.Button_OK
expect TForm_VarnelPortAOut.visible true
)zs"),
            kScriptPassed)
      << rig.err.str();
  EXPECT_TRUE(rig.SentOfSize(3, 0x8E, 0x0B).empty());
  EXPECT_TRUE(rig.SentOfSize(3, 0x8E, 0xAD).empty());
  EXPECT_NE(rig.boxes.str().find("Super Packet 8F-AD is not set."), std::string::npos)
      << rig.boxes.str();
}

}  // namespace
}  // namespace zelkon
