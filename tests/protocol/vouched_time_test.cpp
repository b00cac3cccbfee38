#include "analysis/vouched_time.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace zelkon {
namespace {

// Built on Thursday 10 December 2026 (day 20797 since 1970), in GPS week 2448.
const WeekWindow kWeeks = WeekWindowFrom(20797);
constexpr int64_t kNowMs = 100000;

TEST(VouchedTime, TheWeeksFromAWeekBeforeTheBuildToARolloverAfter) {
  EXPECT_EQ(kWeeks.earliest, 2447);
  EXPECT_EQ(kWeeks.latest, 2448 + 1024);
  EXPECT_EQ(WeekWindowFrom(3657).earliest, -1);  // built on the GPS epoch
  EXPECT_EQ(WeekWindowFrom(3656).earliest, -2);  // the day before falls in the week before
}

TEST(VouchedTime, EachDoubtWithItsReason) {
  const TimeReading good{3600, 2450, 18};
  TimeEvidence fresh;
  fresh.status = TimingSupplemental{};
  fresh.statusMs = kNowMs - kFreshEvidenceMs;
  fresh.utcTime = PrimaryUtcTime{};
  fresh.utcTime->flags = PrimaryUtcTime::kUtcAvailable;
  fresh.utcTimeMs = kNowMs;

  struct Case {
    const char* what;
    TimeReading reading;
    TimeEvidence evidence;
    const char* reason;
  };
  TimeEvidence noTime = fresh, stale = fresh, testMode = fresh, needTime = fresh;
  noTime.status->receiverStatus = 1;
  stale.statusMs = kNowMs - kFreshEvidenceMs - 1;
  testMode.status->minorAlarms = TimingSupplemental::kTestMode | (1U << 7);
  needTime.utcTime->receiverStatus = 3;
  TimeEvidence noUtc = fresh, leap = fresh, staleUtc = fresh, back = fresh, within = fresh;
  noUtc.utcTime->flags = 0x30;  // leap scheduled and pending, no UTC
  leap.utcTime->flags = PrimaryUtcTime::kUtcAvailable | PrimaryUtcTime::kLeapInProgress;
  staleUtc.utcTime->flags = 0;
  staleUtc.utcTimeMs = kNowMs - kFreshEvidenceMs - 1;
  back.previousGps = good.GpsSeconds() + 1;
  within.previousGps = good.GpsSeconds() + 0.9;
  const Case cases[] = {
      {"vouched", good, fresh, ""},
      {"0x41 without time", {-1, 0, 0}, fresh, "GPS time is not available yet."},
      {"0x8F-AB without time", {0, 0, 0}, fresh, "GPS time is not available yet."},
      {"no number", {std::nan(""), 2450, 18}, fresh, "GPS time is not available yet."},
      {"beyond the week", {604800, 2450, 18}, fresh, "GPS time is not available yet."},
      {"status 1", good, noTime, "GPS time is not available yet."},
      {"0x8F-AD Need Time", good, needTime, "GPS time is not available yet."},
      {"no status", good, TimeEvidence{}, "Receiver status is not available yet."},
      {"stale status", good, stale, "Receiver status is not available yet."},
      {"test mode", good, testMode, "The receiver is in a test mode."},
      {"week 0", {86400, 0, 18}, fresh, "GPS week 0 (Jan 6, 1980) is not plausible."},
      {"10-bit rollover",
       {3600, 2450 - 1024, 18},
       fresh,
       "GPS week 1426 (May 6, 2007) is not plausible."},
      {"before the window",
       {3600, 2446, 18},
       fresh,
       "GPS week 2446 (Nov 22, 2026) is not plausible."},
      {"first week", {3600, 2447, 18}, fresh, ""},
      {"last week", {3600, 3472, 18}, fresh, ""},
      {"beyond the window",
       {3600, 3473, 18},
       fresh,
       "GPS week 3473 (Jul 29, 2046) is not plausible."},
      {"offset 0", {3600, 2450, 0}, fresh, "UTC offset is not available yet."},
      {"offset below 0", {3600, 2450, -18}, fresh, "UTC offset is not available yet."},
      {"offset 256", {3600, 2450, 256}, fresh, "UTC offset is not available yet."},
      {"UTC not available", good, noUtc, "UTC offset is not available yet."},
      {"stale 0x8F-AD", good, staleUtc, ""},
      {"leap second", good, leap, "A leap second is in progress."},
      {"backwards", good, back, "The receiver's time went backwards."},
      {"under a second back", good, within, ""},
  };
  for (const Case& c : cases) {
    const TimeVerdict verdict = JudgeReceiverTime(c.reading, c.evidence, kNowMs, kWeeks);
    EXPECT_EQ(DoubtText(verdict.doubt, c.reading), c.reason) << c.what;
    EXPECT_EQ(verdict.Vouched(), *c.reason == '\0') << c.what;
    if (verdict.Vouched()) {
      EXPECT_EQ(verdict.utcSeconds, c.reading.GpsSeconds() - 18) << c.what;
    }
  }
}

TEST(VouchedTime, ReadingsOfTheTwoTimeReports) {
  const TimeReading primary =
      ReadingOf(TimingPrimary{.timeOfWeek = 7, .week = 2450, .utcOffset = 18});
  EXPECT_EQ(primary.GpsSeconds(), 2450 * 604800.0 + 7);
  EXPECT_EQ(primary.utcOffset, 18);
  const TimeReading gps = ReadingOf(GpsTime{.timeOfWeek = 7.5f, .week = 2450, .utcOffset = 18.9f});
  EXPECT_EQ(gps.GpsSeconds(), 2450 * 604800.0 + 7.5);
  EXPECT_EQ(gps.utcOffset, 18);  // cut to whole seconds
}

}  // namespace
}  // namespace zelkon
