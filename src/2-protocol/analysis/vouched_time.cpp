#include "analysis/vouched_time.h"

#include <cmath>

#include "text/printf.h"
#include "text/time_format.h"

#ifndef ZELKON_BUILD_DAY
#error "ZELKON_BUILD_DAY (the build date as days since 1970) is set by the build"
#endif

namespace zelkon {
namespace {

constexpr int64_t kGpsEpochUnixDay = 3657;  // 6 January 1980
constexpr int kRolloverWeeks = 1024;
// The largest UTC offset taken for one: GPS minus UTC grows by at most a second a year.
constexpr double kLargestUtcOffset = 255;
// 0x8F-AC receiver status "Don't have GPS time".
constexpr uint8_t kNoGpsTimeStatus = 1;
// 0x8F-AD receiver status "Approximate Time", "Need Time", "Need Initialization".
constexpr uint8_t kApproximateTimeStatus = 2;
constexpr uint8_t kNeedInitializationStatus = 4;

bool Fresh(const auto& report, int64_t atMs, int64_t nowMs) {
  return report.has_value() && nowMs - atMs <= kFreshEvidenceMs;
}

// Floor division, so that a day before the epoch falls in the week before it.
int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

}  // namespace

WeekWindow WeekWindowFrom(int64_t unixDay) {
  const auto week = static_cast<int>(FloorDiv(unixDay - kGpsEpochUnixDay, 7));
  return {week - 1, week + kRolloverWeeks};
}

WeekWindow BuildWeekWindow() { return WeekWindowFrom(ZELKON_BUILD_DAY); }

TimeReading ReadingOf(const TimingPrimary& report) {
  return {static_cast<double>(report.timeOfWeek), report.week,
          static_cast<double>(report.utcOffset)};
}

TimeReading ReadingOf(const GpsTime& report) {
  return {report.timeOfWeek, report.week, std::trunc(static_cast<double>(report.utcOffset))};
}

TimeVerdict JudgeReceiverTime(const TimeReading& reading, const TimeEvidence& evidence,
                              int64_t nowMs, const WeekWindow& weeks) {
  const bool statusFresh = Fresh(evidence.status, evidence.statusMs, nowMs);
  const bool utcTimeFresh = Fresh(evidence.utcTime, evidence.utcTimeMs, nowMs);
  const auto doubt = [](TimeDoubt d) { return TimeVerdict{d, 0}; };

  // NaN fails every comparison, so a time of week that is no number counts as no time.
  const bool carriesTime =
      reading.timeOfWeek >= 0 && reading.timeOfWeek < 604800 && reading.GpsSeconds() != 0;
  const bool statusHasTime = !statusFresh || evidence.status->receiverStatus != kNoGpsTimeStatus;
  const bool utcTimeHasTime = !utcTimeFresh ||
                              evidence.utcTime->receiverStatus < kApproximateTimeStatus ||
                              evidence.utcTime->receiverStatus > kNeedInitializationStatus;
  if (!carriesTime || !statusHasTime || !utcTimeHasTime) return doubt(TimeDoubt::NoGpsTime);
  if (!statusFresh) return doubt(TimeDoubt::NoStatus);
  if ((evidence.status->minorAlarms & TimingSupplemental::kTestMode) != 0) {
    return doubt(TimeDoubt::TestMode);
  }
  if (reading.week < weeks.earliest || reading.week > weeks.latest) {
    return doubt(TimeDoubt::ImplausibleWeek);
  }
  const bool offsetKnown = reading.utcOffset > 0 && reading.utcOffset <= kLargestUtcOffset;
  const bool utcAvailable =
      !utcTimeFresh || (evidence.utcTime->flags & PrimaryUtcTime::kUtcAvailable) != 0;
  if (!offsetKnown || !utcAvailable) return doubt(TimeDoubt::NoUtcOffset);
  if (utcTimeFresh && (evidence.utcTime->flags & PrimaryUtcTime::kLeapInProgress) != 0) {
    return doubt(TimeDoubt::LeapSecond);
  }
  const double gps = reading.GpsSeconds();
  if (evidence.previousGps && gps <= *evidence.previousGps - 1) {
    return doubt(TimeDoubt::WentBackwards);
  }
  return {TimeDoubt::None, gps - reading.utcOffset};
}

std::string DoubtText(TimeDoubt doubt, const TimeReading& reading) {
  switch (doubt) {
    case TimeDoubt::None:
      return "";
    case TimeDoubt::NoGpsTime:
      return "GPS time is not available yet.";
    case TimeDoubt::NoStatus:
      return "Receiver status is not available yet.";
    case TimeDoubt::TestMode:
      return "The receiver is in a test mode.";
    case TimeDoubt::ImplausibleWeek: {
      const CalendarDate date = GpsDayToDate(reading.week * 7);
      return Printf("GPS week %d (%s %d, %d) is not plausible.", reading.week,
                    MonthName(date.month), date.day, date.year);
    }
    case TimeDoubt::NoUtcOffset:
      return "UTC offset is not available yet.";
    case TimeDoubt::LeapSecond:
      return "A leap second is in progress.";
    case TimeDoubt::WentBackwards:
      return "The receiver's time went backwards.";
  }
  return "";
}

}  // namespace zelkon
