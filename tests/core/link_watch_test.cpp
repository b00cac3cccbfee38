// A port whose device hangs up: closed and said once, the display cleared, nothing sent, and opened
// again once a second until the device is back, then the start-up port set-up as at launch.
#include "core/link_watch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/metrics_publisher.h"
#include "core/poll_loop.h"
#include "support/test_rig.h"

namespace zelkon {
namespace {

using testing::PacketBytes;
using testing::TestRig;

const PacketBytes kStartupPortSettings{0xBC, 0x01, 0x07, 0x07, 0x03, 0x01,
                                       0x00, 0x00, 0x02, 0x02, 0x00};

class LinkWatch : public ::testing::Test {
 protected:
  void SetUp() override {
    rig.systemTime.now = UtcTime{2026, 12, 10, 5, 40, 12};
    ASSERT_TRUE(rig.Start());
    rig.loop.RunFor(3000);  // start-up set-up done, polling
    ASSERT_TRUE(f().Timer_RXBIN.Enabled());
  }
  TForm_Main& f() { return rig.app.Form_Main; }
  std::string Log() { return rig.app.Form_Message.Memo_Pad.Text(); }
  TestRig rig;
};

TEST_F(LinkWatch, AHangUpClosesThePortClearsTheDisplayAndIsSaidOnce) {
  // Nothing has come since polling began: the receiver is said to be silent, until the port is
  // lost, which shows its own state.
  rig.loop.RunFor(2000);
  ASSERT_GT(rig.app.polling.SilentSeconds, 0);
  f().Panel_TOW.SetCaption("318000");
  f().Panel_Mode.SetCaption("Overdetermined Clock");
  f().Panel_SV[0].SetCaption("14");
  rig.app.state.TrackCountdown[0] = 3;
  rig.port.ClearWrites();
  rig.port.failOpen = true;  // the device is not back yet
  rig.port.hungUp = true;
  rig.dialogs.Answer(Answer::Ok);
  const int opensBefore = rig.port.opens;

  rig.loop.RunFor(200);
  EXPECT_FALSE(rig.port.isOpen);
  EXPECT_TRUE(rig.app.linkLoss.PortLost);
  EXPECT_EQ(f().Panel_TOW.Caption(), "");
  EXPECT_EQ(f().Panel_Mode.Caption(), "");
  EXPECT_EQ(f().Panel_Serial.Caption(), "COM1 lost");
  EXPECT_EQ(rig.app.polling.SilentSeconds, 0);
  EXPECT_EQ(f().Panel_Hint.Caption(), "");
  EXPECT_EQ(f().Shape_RxLED.BrushColor(), colours::kGrey);
  // The fake receiver sent nothing before it went: the log said so first.
  EXPECT_EQ(Log(),
            "2026-12-10T05:40:12Z receiver silent: no data for 3 s\r\n"
            "2026-12-10T05:40:12Z serial port COM1 lost\r\n");
  ASSERT_EQ(rig.dialogs.Boxes().size(), 1u);
  EXPECT_EQ(rig.dialogs.Boxes()[0].caption, "Serial Port Error");
  EXPECT_EQ(rig.dialogs.Boxes()[0].text,
            "Lost COM1: the device hung up or went away. It is opened again as soon as it "
            "returns.");

  // Ten seconds without the device: one attempt a second, nothing sent, nothing said again, and
  // the satellite rows age out as for a silent receiver.
  rig.loop.RunFor(10000);
  EXPECT_EQ(rig.port.opens - opensBefore, 10);
  EXPECT_EQ(rig.port.openedPath, "/dev/ttyS0");
  EXPECT_TRUE(rig.port.Writes().empty());
  EXPECT_EQ(rig.dialogs.Boxes().size(), 1u);
  EXPECT_EQ(f().Panel_SV[0].Caption(), "0");
  EXPECT_EQ(Log(),
            "2026-12-10T05:40:12Z receiver silent: no data for 3 s\r\n"
            "2026-12-10T05:40:12Z serial port COM1 lost\r\n");
}

TEST_F(LinkWatch, TheReturningDeviceGetsTheStartupPortSetupAndPollingResumes) {
  rig.dialogs.Answer(Answer::Ok);
  rig.port.hungUp = true;
  rig.loop.RunFor(200);
  ASSERT_TRUE(rig.app.linkLoss.PortLost);
  rig.port.hungUp = false;  // plugged in again
  rig.port.ClearWrites();
  rig.port.configured.clear();
  rig.systemTime.now.minute = 41;

  rig.loop.RunFor(1000);  // the next attempt opens it
  EXPECT_TRUE(rig.port.isOpen);
  EXPECT_FALSE(rig.app.linkLoss.PortLost);
  EXPECT_EQ(f().Panel_Serial.Caption(), "COM1 9600, 8-Odd-1");
  EXPECT_EQ(Log(),
            "2026-12-10T05:40:12Z serial port COM1 lost\r\n"
            "2026-12-10T05:41:12Z serial port COM1 open again\r\n");

  rig.loop.RunFor(3000);
  const std::vector<PacketBytes> sent = rig.port.SentPackets();
  ASSERT_GE(sent.size(), 4u);
  EXPECT_EQ(sent[0], kStartupPortSettings);
  // Opened at 9600 8-Odd-1, then aligned with what was just sent to the receiver.
  EXPECT_EQ(rig.port.configured,
            (std::vector<LineSettings>{{9600, 8, Parity::Odd, 1}, {9600, 8, Parity::Odd, 1}}));
  // The start-up queries ask again which receiver this is.
  EXPECT_NE(std::find(sent.begin(), sent.end(), PacketBytes{0x1F}), sent.end());
  EXPECT_NE(std::find(sent.begin(), sent.end(), PacketBytes{0x8E, 0x42}), sent.end());
  EXPECT_TRUE(f().Timer_RXBIN.Enabled());
  EXPECT_FALSE(f().TimerBreak.Enabled());
}

TEST_F(LinkWatch, ASecondLossWhileTheBoxIsOpenAddsNoBox) {
  // The operator is away: the first box stays open while the device comes back and goes again.
  bool flapped = false;
  rig.dialogs.Answer(Answer::Ok);
  rig.dialogs.Answer(Answer::Ok);
  rig.dialogs.whileOpen = [&](const testing::ScriptedDialogs::Shown&) {
    if (flapped) return;
    flapped = true;
    rig.port.hungUp = false;
    rig.loop.RunFor(1200);
    ASSERT_TRUE(rig.port.isOpen);
    rig.port.hungUp = true;  // and gone again
    rig.port.failOpen = true;
    rig.loop.RunFor(3000);
    EXPECT_TRUE(rig.app.linkLoss.PortLost);
  };
  rig.port.hungUp = true;
  rig.loop.RunFor(400);
  EXPECT_TRUE(flapped);
  EXPECT_EQ(rig.dialogs.Boxes().size(), 1u);
  // Every loss and return is logged.
  const std::string log = Log();
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 3);

  rig.loop.RunFor(2000);  // a later loss, with no box open, is said again
  rig.port.hungUp = false;
  rig.port.failOpen = false;
  rig.loop.RunFor(4000);
  ASSERT_FALSE(rig.app.linkLoss.PortLost);
  rig.loop.RunFor(10000);  // steady again
  rig.port.hungUp = true;
  rig.loop.RunFor(400);
  EXPECT_EQ(rig.dialogs.Boxes().size(), 2u);
}

TEST_F(LinkWatch, ADeviceThatHangsUpAsSoonAsItIsOpenedIsTriedLessAndLessOften) {
  rig.dialogs.Answer(Answer::Ok);
  rig.port.hungUp = true;  // opens, then hangs up at once, again and again
  const int opensBefore = rig.port.opens;
  rig.loop.RunFor(120000);

  // Waits of 1, 2, 4, 8, 16, then 30 s: attempts at 1, 3, 7, 15, 31, 61 and 91 s instead of one
  // a second, and one box for all of them.
  EXPECT_EQ(rig.port.opens - opensBefore, 7);
  EXPECT_EQ(rig.dialogs.Boxes().size(), 1u);
  const std::string log = Log();
  // Fifteen lines of the port, and one of a receiver silent from the start, said once.
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 16);
  EXPECT_EQ(log.find("receiver silent"), log.rfind("receiver silent"));
  EXPECT_NE(log.find("serial port COM1 lost again; next attempt in 2 s\r\n"), std::string::npos);
  EXPECT_NE(log.find("serial port COM1 lost again; next attempt in 30 s\r\n"), std::string::npos);
  EXPECT_EQ(log.find("next attempt in 60 s"), std::string::npos);

  // Once it stays up for ten seconds, a later loss is back to one attempt a second.
  rig.port.hungUp = false;
  rig.loop.RunFor(30000);
  ASSERT_FALSE(rig.app.linkLoss.PortLost);
  rig.loop.RunFor(10000);
  rig.dialogs.Answer(Answer::Ok);
  rig.port.hungUp = true;
  rig.port.failOpen = true;
  rig.loop.RunFor(200);
  ASSERT_TRUE(rig.app.linkLoss.PortLost);
  EXPECT_TRUE(Log().ends_with("serial port COM1 lost\r\n")) << Log();
  EXPECT_EQ(rig.dialogs.Boxes().size(), 2u);
  const int opensAfterSteadyLoss = rig.port.opens;
  rig.loop.RunFor(5000);
  EXPECT_EQ(rig.port.opens - opensAfterSteadyLoss, 5);
}

TEST_F(LinkWatch, TheMetricsShowThePortGoneAndCountTheLosses) {
  MetricsPublisher publisher;
  PublishMetricsAfterEveryPollTick(rig.app, publisher);
  auto has = [&](const std::string& sample) {
    return publisher.Text().find(sample + "\n") != std::string::npos;
  };
  EXPECT_TRUE(has(R"(zelkon_port_open{device="COM1"} 1)")) << publisher.Text();
  EXPECT_TRUE(has(R"(zelkon_port_losses_total{device="COM1"} 0)"));

  rig.dialogs.Answer(Answer::Ok);
  rig.port.hungUp = true;
  rig.port.failOpen = true;
  rig.loop.RunFor(2000);
  EXPECT_TRUE(has(R"(zelkon_port_open{device="COM1"} 0)")) << publisher.Text();
  EXPECT_TRUE(has(R"(zelkon_port_losses_total{device="COM1"} 1)"));

  rig.port.hungUp = false;
  rig.port.failOpen = false;
  rig.loop.RunFor(4000);
  EXPECT_TRUE(has(R"(zelkon_port_open{device="COM1"} 1)")) << publisher.Text();
  EXPECT_TRUE(has(R"(zelkon_port_losses_total{device="COM1"} 1)"));
}

}  // namespace
}  // namespace zelkon
