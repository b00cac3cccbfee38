// The receiver as the PC's time source, through the script console against the emulator on virtual
// time: a sample a second while the receiver vouches for its time, none before it has time, while
// it is silent or in a test mode, and the leap second announced until it has passed.
#include <gtest/gtest.h>

#include <string>

#include "e2e/console_rig.h"
#include "support/recording_time_feed.h"

namespace zelkon {
namespace {

using testing::ConsoleOnEmulator;
using testing::QuickConsoleReceiver;

constexpr int64_t kSecondNs = 1'000'000'000;

TEST(ReferenceClockConsole, SamplesOnlyWhileTheReceiverVouchesWithTheLeapAnnouncedUntilItPasses) {
  sim::SimOptions options = QuickConsoleReceiver();
  options.leapIn = 30;
  // The UTC offset comes 10 s after the first fix (3 s after power-on).
  options.utcSeconds = 10;
  // A time a few weeks after the program was built, which the monitor can believe.
  ConsoleOnEmulator rig(options, (BuildWeekWindow().earliest + 3) * 604800.0 + 3.2 * 86400);
  testing::RecordingTimeFeed feed;
  rig.app.referenceClocks.Add(feed);
  const auto& samples = feed.samples;

  // Without the UTC offset the receiver's UTC second is not known.
  ASSERT_EQ(rig.Run("wait 6\n"), kScriptPassed) << rig.err.str();
  EXPECT_TRUE(samples.empty());
  ASSERT_EQ(rig.Run("wait 12\n"), kScriptPassed);
  ASSERT_GE(samples.size(), 4u);
  for (size_t i = 1; i < samples.size(); ++i) {
    EXPECT_EQ(samples[i].referenceNs - samples[i - 1].referenceNs, kSecondNs) << i;
    EXPECT_EQ(samples[i].referenceNs % kSecondNs, 0);
    EXPECT_GT(samples[i].receivedNs, samples[i - 1].receivedNs);
    // The leap second 30 s after start is announced (within the day).
    EXPECT_EQ(samples[i].leap, LeapIndicator::Insert) << i;
  }
  const size_t beforeSilence = samples.size();

  // A silent receiver gives nothing; its return, samples again. A daemon that does not take them
  // is said once.
  rig.port.muted = true;
  feed.refusal = "no daemon listens at /run/chrony.test.sock";
  ASSERT_EQ(rig.Run("wait 4\n"), kScriptPassed);
  EXPECT_EQ(samples.size(), beforeSilence);
  rig.port.muted = false;
  ASSERT_EQ(rig.Run("wait 3\n"), kScriptPassed);
  feed.refusal.clear();
  ASSERT_EQ(rig.Run("wait 3\n"), kScriptPassed);
  EXPECT_GT(samples.size(), beforeSilence);
  const std::string log = rig.app.Form_Message.Memo_Pad.Text();
  EXPECT_EQ(testing::CountOf(log, "reference clock sock:/run/chrony.test.sock: no daemon listens at "
                                  "/run/chrony.test.sock; tried again every second"),
            1)
      << log;
  EXPECT_EQ(testing::CountOf(log, "reference clock sock:/run/chrony.test.sock: samples taken again"),
            1);

  // Past the leap: the offset grew by a second, the seconds go on without a repeat, and nothing
  // is announced any more.
  ASSERT_EQ(rig.Run("wait 12\n"), kScriptPassed);
  const TimeSample& last = samples.back();
  EXPECT_EQ(last.leap, LeapIndicator::None);
  for (size_t i = 1; i < samples.size(); ++i)
    EXPECT_GT(samples[i].referenceNs, samples[i - 1].referenceNs) << i;
  EXPECT_EQ(rig.app.telemetry.Primary()->utcOffset, 19);

  // A test mode's time is whatever the test set: no samples.
  rig.app.state.EngineeringMode = true;
  const size_t beforeTest = samples.size();
  ASSERT_EQ(rig.Run("open TForm_Test\nclick TForm_Test.Button_SetWeek\nwait 4\n"), kScriptPassed)
      << rig.err.str();
  EXPECT_LE(samples.size(), beforeTest + 1);  // the second under way when it was sent
  ASSERT_EQ(rig.Run("click TForm_Test.Button_EndTest\nwait 4\n"), kScriptPassed);
  EXPECT_GT(samples.size(), beforeTest + 1);
}

}  // namespace
}  // namespace zelkon
