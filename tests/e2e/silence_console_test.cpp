// A receiver that stops sending, driven through the script console against the emulator on virtual
// time: the status bar, the Rx LED, the headless line and the metrics say so, and stop saying so at
// its first packet.
#include <gtest/gtest.h>

#include <string>

#include "core/headless.h"
#include "core/metrics_publisher.h"
#include "core/silence_watch.h"
#include "e2e/console_rig.h"

namespace zelkon {
namespace {

using testing::ConsoleOnEmulator;

// The value of the receiver-silent gauge on the metrics page, "" without one.
std::string SilentGauge(const MetricsPublisher& metrics) {
  const std::string text = metrics.Text();
  const size_t at = text.find("\nzelkon_receiver_silent{");
  if (at == std::string::npos) return "";
  const size_t value = text.find("} ", at) + 2;
  return text.substr(value, text.find('\n', value) - value);
}

TEST(SilentReceiver, IsSaidInTheStatusBarLedHeadlessLineAndMetricsUntilItsFirstPacket) {
  ConsoleOnEmulator rig;
  ASSERT_TRUE(rig.opened);
  MetricsPublisher metrics;
  PublishMetricsAfterEveryPollTick(rig.app, metrics);
  TForm_Main& main = rig.app.Form_Main;
  ASSERT_EQ(rig.Run("wait 5\n"), kScriptPassed) << rig.err.str();
  EXPECT_EQ(SilentGauge(metrics), "0");
  // The mouse was last on the firmware version.
  main.Panel_Hint.SetCaption("Firmware Version");

  rig.port.muted = true;
  ASSERT_EQ(rig.Run("wait 2.6\n"
                    "expect TForm_Main.Panel_Hint.text Firmware Version\n"
                    "wait 1.4\n"
                    "expect TForm_Main.Shape_RxLED.colour #FF0000\n"),
            kScriptPassed)
      << rig.err.str();
  // Whole seconds since the last packet, which came by a second after the mute.
  const int32_t silent = rig.app.polling.SilentSeconds;
  EXPECT_TRUE(silent == 3 || silent == 4) << silent;
  EXPECT_EQ(main.Panel_Hint.Caption(), SilenceNotice(silent));
  EXPECT_NE(MainWindowJson(rig.app).find("\"silentSeconds\":" + std::to_string(silent)),
            std::string::npos);
  EXPECT_EQ(SilentGauge(metrics), "1");
  // The count grows; a hint the mouse brings up stands for three seconds, then the notice is back.
  main.Panel_Hint.SetCaption("Serial Activity");
  ASSERT_EQ(rig.Run("wait 2.8\n"
                    "expect TForm_Main.Panel_Hint.text Serial Activity\n"
                    "wait 0.4\n"
                    "expect TForm_Main.Shape_RxLED.colour #FF0000\n"),
            kScriptPassed)
      << rig.err.str();
  const int32_t later = rig.app.polling.SilentSeconds;
  EXPECT_TRUE(later == silent + 3 || later == silent + 4) << silent << " then " << later;
  EXPECT_EQ(main.Panel_Hint.Caption(), SilenceNotice(later));
  // The display clears as for any silence of six seconds.
  EXPECT_EQ(main.Panel_Time.Caption(), "");

  // The first packet ends it: the status bar shows what it showed before the notice, the LED
  // blinks again and the time comes back.
  rig.port.muted = false;
  ASSERT_EQ(rig.Run("wait 1.2\n"
                    "expect TForm_Main.Panel_Hint.text Serial Activity\n"),
            kScriptPassed)
      << rig.err.str();
  EXPECT_NE(main.Shape_RxLED.BrushColor(), colours::kRed);
  EXPECT_EQ(rig.app.polling.SilentSeconds, 0);
  EXPECT_NE(MainWindowJson(rig.app).find("\"silentSeconds\":0,"), std::string::npos);
  EXPECT_EQ(SilentGauge(metrics), "0");
  ASSERT_EQ(rig.Run("wait 2\n"), kScriptPassed);
  EXPECT_FALSE(main.Panel_Time.Caption().empty());
}

}  // namespace
}  // namespace zelkon
