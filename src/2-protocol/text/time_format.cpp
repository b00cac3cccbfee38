#include "text/time_format.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "text/printf.h"

namespace zelkon {

const char* const DayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const MonthNames[13] = {"???", "Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

namespace {

constexpr int kFirstYear = 1980;
constexpr int kTableYears = 56;     // 1980 .. 2035
constexpr int kEpochDayOfYear = 5;  // the GPS epoch is 6 January 1980
constexpr int32_t kDaysPer400Years = 146097;
constexpr double kSecondsPerWeek = 604800.0;
constexpr double kSecondsPerDay = 86400.0;
constexpr int32_t kWholeSecondsPerDay = 86400;
constexpr int32_t kWholeSecondsPerWeek = 7 * kWholeSecondsPerDay;
constexpr int64_t kNanosecondsPerSecond = 1000000000;
constexpr int64_t kMilliArcSecondsPerDegree = 3600 * 1000;
constexpr double kLargestSplitDegrees = 2147483647.0;  // the degrees must fit an int
constexpr const char* kNoTimeYet = "<No time yet>";
constexpr const char* kBadTime = "<Bad time>";

// Days of each year counted from the GPS epoch: 1980 from 6 January, every later year whole.
constexpr int32_t YearLengths[kTableYears] = {
    361, 365, 365, 365, 366, 365, 365, 365, 366, 365, 365, 365, 366, 365,  // 1980 .. 1993
    365, 365, 366, 365, 365, 365, 366, 365, 365, 365, 366, 365, 365, 365,  // 1994 .. 2007
    366, 365, 365, 365, 366, 365, 365, 365, 366, 365, 365, 365, 366, 365,  // 2008 .. 2021
    365, 365, 366, 365, 365, 365, 366, 365, 365, 365, 366, 365, 365, 365,  // 2022 .. 2035
};
constexpr uint8_t LeapYearFlags[kTableYears] = {
    1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0,
    1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0,
};
constexpr int32_t MonthLengths[2][12] = {
    {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
    {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
};

// Years outside the tables follow the Gregorian rules.
constexpr bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}
constexpr int32_t DaysInYear(int year) { return IsLeapYear(year) ? 366 : 365; }

// Walks the months of one year; `dayOfYear` counts from 1 January.
CalendarDate MonthAndDay(int year, int32_t dayOfYear, bool leap) {
  const int32_t* lengths = MonthLengths[leap ? 1 : 0];
  int month = 0;
  while (month < 11 && dayOfYear >= lengths[month]) {
    dayOfYear -= lengths[month];
    ++month;
  }
  return {year, month + 1, static_cast<int>(dayOfYear) + 1};
}

// The truncated day count of `seconds`, or nothing when it is no number or beyond 32 bits.
std::optional<int32_t> DayCount(double seconds) {
  const double days = std::trunc(seconds * (1.0 / kSecondsPerDay));
  if (!(days >= std::numeric_limits<int32_t>::min() &&
        days <= std::numeric_limits<int32_t>::max())) {
    return std::nullopt;
  }
  return static_cast<int32_t>(days);
}

}  // namespace

int TruncToInt(double value) {
  if (std::isnan(value)) return 0;
  if (value <= std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  if (value >= std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  return static_cast<int>(value);
}

const char* MonthName(int month) { return month >= 1 && month <= 12 ? MonthNames[month] : "???"; }

std::string WeekTimeText(float seconds, bool timeOnly) {
  float x = seconds;
  if (x == -1.0f) return kNoTimeYet;
  if (x < 0) x += static_cast<float>(kSecondsPerWeek);
  if (!(x >= 0 && x < static_cast<float>(kSecondsPerWeek))) return kBadTime;  // NaN too
  // Rounded once to the whole second shown (half to even, as the seconds always were), then split:
  // 3599.7 s is 01:00:00, and the last half second of the week is Sunday's midnight.
  auto total = static_cast<int32_t>(std::nearbyint(static_cast<double>(x)));
  if (total == kWholeSecondsPerWeek) total = 0;
  const int32_t day = total / kWholeSecondsPerDay;
  const int32_t hour = total / 3600 % 24;
  const int32_t minute = total / 60 % 60;
  const int32_t second = total % 60;
  if (timeOnly) return Printf("%02d:%02d:%02d", hour, minute, second);
  return Printf("%s %02d:%02d:%02d", DayNames[day], hour, minute, second);
}

std::string TimeOfDayText(double seconds) {
  double x = seconds;
  if (x == -1.0) return kNoTimeYet;
  if (x < 0) x += kSecondsPerWeek;
  if (!(x >= 0 && x < kSecondsPerWeek)) return kBadTime;  // NaN too
  // Rounded once to the nanosecond shown, then split: the fraction of the second is exact, so a
  // fraction that rounds up to a whole second carries into the seconds, minutes and hours.
  const double whole = std::floor(x);
  auto second = static_cast<int64_t>(whole);
  auto nanoseconds = static_cast<int64_t>(std::nearbyint((x - whole) * kNanosecondsPerSecond));
  if (nanoseconds == kNanosecondsPerSecond) {
    ++second;
    nanoseconds = 0;
  }
  return Printf("%d:%02d:%02d.%09lld", static_cast<int>(second / 3600 % 24),
                static_cast<int>(second / 60 % 60), static_cast<int>(second % 60),
                static_cast<long long>(nanoseconds));
}

CalendarDate GpsDayToDate(int32_t gpsDay) {
  if (gpsDay < 0) {
    // Before the epoch: whole years back from 1 January 1980.
    int64_t dayOfYear = int64_t{gpsDay} + kEpochDayOfYear;
    int year = kFirstYear;
    if (dayOfYear < -kDaysPer400Years) {
      const int64_t cycles = -dayOfYear / kDaysPer400Years;
      dayOfYear += cycles * kDaysPer400Years;
      year -= static_cast<int>(cycles * 400);
    }
    while (dayOfYear < 0) {
      --year;
      dayOfYear += DaysInYear(year);
    }
    return MonthAndDay(year, static_cast<int32_t>(dayOfYear), IsLeapYear(year));
  }

  int32_t days = gpsDay;
  int index = 0;
  while (index < kTableYears && YearLengths[index] <= days) {
    days -= YearLengths[index];
    ++index;
  }
  if (index < kTableYears) {
    if (index == 0) days += kEpochDayOfYear;
    return MonthAndDay(kFirstYear + index, days, LeapYearFlags[index] != 0);
  }

  // After 2035.
  int year = kFirstYear + kTableYears;
  year += days / kDaysPer400Years * 400;
  days %= kDaysPer400Years;
  while (days >= DaysInYear(year)) {
    days -= DaysInYear(year);
    ++year;
  }
  return MonthAndDay(year, days, IsLeapYear(year));
}

std::string GpsDateText(double gpsSeconds) {
  const std::optional<int32_t> days = DayCount(gpsSeconds);
  if (!days) return kBadTime;
  const CalendarDate date = GpsDayToDate(*days);
  return Printf(" %s %d, %d", MonthNames[date.month], date.day, date.year);
}

std::string LatLonText(double degrees, bool degreesMinutesSeconds) {
  if (!degreesMinutesSeconds) return Printf("%.6f", degrees);
  // Rounded once to the thousandth of an arc-second shown, then split, so 37.99999999 degrees is
  // 38° 0' 0.000. The sign goes on the degrees only, and only when they are not 0.
  const double magnitude = std::fabs(degrees);
  if (!(magnitude < kLargestSplitDegrees)) {  // NaN, infinities and beyond the degrees' range
    return Printf("%d\u00B0 0' %.3f", TruncToInt(degrees), degrees - degrees);
  }
  const auto total = static_cast<int64_t>(std::nearbyint(magnitude * kMilliArcSecondsPerDegree));
  int deg = static_cast<int>(total / kMilliArcSecondsPerDegree);
  if (degrees < 0) deg = -deg;
  const auto min = static_cast<int>(total / 60000 % 60);
  const auto thousandths = static_cast<int>(total % 60000);
  return Printf("%d\u00B0 %d' %d.%03d", deg, min, thousandths / 1000, thousandths % 1000);
}

}  // namespace zelkon
