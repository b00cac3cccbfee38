#include "core/port_setup.h"
#include "main/port_follow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/poll_loop.h"
#include "support/test_rig.h"

namespace zelkon {
namespace {

using testing::PacketBytes;
using testing::TestRig;

std::vector<uint8_t> Text(const std::string& text) { return {text.begin(), text.end()}; }

PacketBytes PortCommand(uint8_t baud, uint8_t parity, uint8_t stop) {
  return {0xBC, 0x01, baud, baud, 0x03, parity, stop, 0x00, 0x02, 0x02, 0x00};
}

class StartupPort : public ::testing::Test {
 protected:
  // Main-window creation, then the one TimerBreak tick of a run.
  void StartAndTick(const std::vector<uint8_t>& waitingBytes = {}) {
    ASSERT_TRUE(rig.Start());
    rig.port.Receive(waitingBytes);
    TimerBreakTick(rig.app);
  }
  TestRig rig;
};

TEST_F(StartupPort, FirstTickSendsPortBSettingsAlignsThePcAndStartsThePollLoop) {
  StartAndTick();
  const TForm_Main& f = rig.app.Form_Main;
  EXPECT_EQ(rig.port.SentPackets(), (std::vector<PacketBytes>{PortCommand(7, 1, 0)}));
  EXPECT_EQ(rig.port.configured,
            (std::vector<LineSettings>{{9600, 8, Parity::Odd, 1}, {9600, 8, Parity::Odd, 1}}));
  EXPECT_EQ(f.Panel_Serial.Caption(), "COM1 9600, 8-Odd-1");
  EXPECT_FALSE(f.TimerBreak.Enabled());
  EXPECT_TRUE(f.Timer_RXBIN.Enabled());
  EXPECT_EQ(rig.app.polling.BreakCountdown, -1);
  EXPECT_TRUE(rig.app.state.LinkReady);
  // 1000 ms, the send's 100 ms, 200 ms, then three settling pauses around the reprogramming.
  EXPECT_EQ(rig.clock.Sleeps(),
            (std::vector<int64_t>{kStartupWaitMs, kSendWaitMs, kCommandPauseMs, kPortSettleMs,
                                  kPortSettleMs, kPortSettleMs}));
}

TEST_F(StartupPort, CapturedSettingsTextIsSentAndFollowedByThePc) {
  StartAndTick(Text("\r\n$PR;A,0,B,4800,8,1,N,2,2\r\n"));
  EXPECT_EQ(rig.port.SentPackets(),
            (std::vector<PacketBytes>{PortCommand(7, 1, 0), PortCommand(6, 0, 0)}));
  EXPECT_EQ(rig.port.configured.back(), (LineSettings{4800, 8, Parity::None, 1}));
  EXPECT_EQ(rig.app.Form_Main.Panel_Serial.Caption(), "COM1 4800, 8-None-1");
  const auto& text = rig.app.polling.BreakResponseText;
  EXPECT_EQ(std::string(text.begin(), text.begin() + 5), "PR;A,");
}

TEST_F(StartupPort, CaptureWithoutSettingsRepeatsNineSixHundredOddOne) {
  StartAndTick(Text("PROMPT>"));  // no ';': nothing read from it
  EXPECT_EQ(rig.port.SentPackets(),
            (std::vector<PacketBytes>{PortCommand(7, 1, 0), PortCommand(7, 1, 0)}));
  EXPECT_EQ(rig.port.configured.size(), 3u);
  EXPECT_EQ(rig.port.configured.back(), (LineSettings{9600, 8, Parity::Odd, 1}));
}

TEST_F(StartupPort, UnreadableDataBitsFallBackToNineSixHundredOddOneWhateverTheRate) {
  StartAndTick(Text("PR;A,0,B,4800,6,2,E,"));
  EXPECT_EQ(rig.port.SentPackets().back(), PortCommand(7, 1, 0));
  EXPECT_EQ(rig.port.configured.back(), (LineSettings{9600, 8, Parity::Odd, 1}));
}

TEST_F(StartupPort, SevenBitReceiverIsStillSetToEightBitsAndTwoStopBitsAreKept) {
  StartAndTick(Text("PR;A,1,B,19200,7,2,E,"));
  EXPECT_EQ(rig.port.SentPackets().back(), PortCommand(8, 2, 1));
  EXPECT_EQ(rig.port.configured.back(), (LineSettings{19200, 8, Parity::Even, 2}));
}

TEST_F(StartupPort, CapturedBytesAreNeverDecoded) {
  std::vector<uint8_t> bytes = testing::Frame({0x46, 0x00, 0x00});
  const auto text = Text("PR;A,0,B,9600,8,1,O,");
  bytes.insert(bytes.end(), text.begin(), text.end());
  StartAndTick(bytes);
  EXPECT_EQ(rig.app.Form_Main.Shape_RxLED.BrushColor(), colours::kGrey);
  PollTick(rig.app);  // the poll loop finds nothing left of them either
  EXPECT_EQ(rig.app.Form_Main.Shape_RxLED.BrushColor(), colours::kGrey);
}

TEST_F(StartupPort, ApplyShowsTheSettingsAndHoldsSendingOffWhileThePortIsReprogrammed) {
  ASSERT_TRUE(rig.Start());
  rig.app.Form_Main.TimerBreak.SetEnabled(true);
  bool linkReadyAtDrain = true;
  rig.port.onDrain = [&] { linkReadyAtDrain = rig.app.state.LinkReady; };

  ApplyPortSettings(rig.app, PortSettings{1, 8, 3, 2, 1, 2, 2}, rig.app.Form_Main.Panel_Serial);
  EXPECT_FALSE(linkReadyAtDrain);
  EXPECT_TRUE(rig.app.state.LinkReady);
  EXPECT_FALSE(rig.app.Form_Main.TimerBreak.Enabled());
  EXPECT_EQ(rig.app.Form_Main.Panel_Serial.Caption(), "COM1 19200, 8-Even-2");
  EXPECT_EQ(rig.port.configured.back(), (LineSettings{19200, 8, Parity::Even, 2}));
  EXPECT_TRUE(rig.port.Writes().empty());

  ApplyPortSettings(rig.app, PortSettings{1, 0, 3, 1, 0, 2, 2}, rig.app.Form_Main.Panel_Serial);
  EXPECT_EQ(rig.app.Form_Main.Panel_Serial.Caption(), "COM1 0000, 8-Odd-1");
  EXPECT_EQ(rig.port.configured.back().baudRate, 9600);
}

TEST(MainFormCreate, OpensThePortAndArmsTheStartupSetup) {
  TestRig rig;
  rig.app.state.EngineeringMode = true;
  ASSERT_TRUE(rig.Start(3));
  const Monitor& app = rig.app;
  EXPECT_EQ(rig.port.openedPath, "/dev/ttyS2");
  EXPECT_EQ(app.Title, "3 Zelkon");
  EXPECT_EQ(app.Form_Main.Panel_Serial.Caption(), "COM3 9600, 8-Odd-1");
  EXPECT_TRUE(app.state.LinkReady);
  EXPECT_EQ(app.polling.StartupCountdown, 5);
  EXPECT_TRUE(app.Form_Main.TimerBreak.Enabled());
  EXPECT_FALSE(app.Form_Main.Timer_RXBIN.Enabled());
  EXPECT_TRUE(app.Form_Main.ViewDiagnostics.Visible());
  EXPECT_TRUE(app.Form_Main.ViewTestModes.Visible());
  EXPECT_TRUE(rig.port.Writes().empty());
}

TEST(MainFormCreate, ADevicePathStandsInForThePortNumber) {
  TestRig rig;
  rig.app.state.DevicePath = "/dev/ttyUSB0";
  ASSERT_TRUE(rig.app.MainFormCreate());
  EXPECT_EQ(rig.port.openedPath, "/dev/ttyUSB0");
  EXPECT_EQ(rig.app.Title, "/dev/ttyUSB0 Zelkon");
  EXPECT_EQ(rig.app.Form_Main.Panel_Serial.Caption(), "/dev/ttyUSB0 9600, 8-Odd-1");
  EXPECT_FALSE(rig.app.Form_Main.ViewDiagnostics.Visible());
}

TEST(MainFormCreate, APortThatCannotBeOpenedIsReportedAndNothingIsSent) {
  TestRig rig;
  rig.port.failOpen = true;
  rig.dialogs.Answer(Answer::Ok);
  EXPECT_FALSE(rig.Start(7));
  ASSERT_EQ(rig.dialogs.Boxes().size(), 1u);
  EXPECT_EQ(rig.dialogs.Boxes()[0].text, "Could not initialize COM7.");
  EXPECT_EQ(rig.dialogs.Boxes()[0].caption, "Serial Port Error");
  EXPECT_EQ(rig.dialogs.Boxes()[0].buttons, Buttons::Ok);
  EXPECT_EQ(rig.app.Title, "Corvane Receiver Monitor");
  EXPECT_FALSE(rig.app.state.LinkReady);
  EXPECT_FALSE(rig.app.Form_Main.TimerBreak.Enabled());
  EXPECT_TRUE(rig.port.Writes().empty());
}

}  // namespace
}  // namespace zelkon
