#include "text/time_format.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "main/main_display.h"
#include "support/test_rig.h"

namespace zelkon {
namespace {

constexpr double kDay = 86400.0;

TEST(WeekTime, TextsOfTheWeek) {
  struct Case {
    float seconds;
    bool timeOnly;
    const char* text;
  };
  const Case cases[] = {
      {-1.0f, false, "<No time yet>"},
      {-1.0f, true, "<No time yet>"},
      {-10.0f, false, "Sat 23:59:50"},  // the previous week
      {604800.0f, false, "<Bad time>"},
      {-604801.0f, false, "<Bad time>"},
      {-604800.0f, false, "Sun 00:00:00"},
      {0.0f, false, "Sun 00:00:00"},
      {0.0f, true, "00:00:00"},
      {5 * 86400.0f + 3661.0f, false, "Fri 01:01:01"},
      {3723.75f, true, "01:02:04"},  // the seconds are rounded, not cut
      {604799.0f, false, "Sat 23:59:59"},
      // Rounding carries into the minutes, hours, day and past the week's end.
      {3599.7f, true, "01:00:00"},
      {86399.6f, false, "Mon 00:00:00"},
      {604799.6f, false, "Sun 00:00:00"},
      {std::numeric_limits<float>::quiet_NaN(), false, "<Bad time>"},
      {std::numeric_limits<float>::infinity(), true, "<Bad time>"},
      {-std::numeric_limits<float>::infinity(), true, "<Bad time>"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WeekTimeText(c.seconds, c.timeOnly), c.text) << c.seconds;
  }
}

TEST(WeekTime, TimeOfDayWithNineDecimals) {
  struct Case {
    double seconds;
    const char* text;
  };
  const Case cases[] = {
      {3723.5, "1:02:03.500000000"},
      {0.0, "0:00:00.000000000"},
      {25 * 3600.0 + 0.25, "1:00:00.250000000"},  // the hour of the day
      {-1.0, "<No time yet>"},
      {-0.5, "23:59:59.500000000"},
      {3599.9999999997, "1:00:00.000000000"},    // the rounding carries
      {604799.9999999999, "0:00:00.000000000"},  // past the week's end
      {59.9999999994, "0:00:59.999999999"},
      {604800.0, "<Bad time>"},
      {-604800.5, "<Bad time>"},
      {std::nan(""), "<Bad time>"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TimeOfDayText(c.seconds), c.text) << c.seconds;
  }
}

TEST(GpsDate, DatesBeginWithABlank) {
  EXPECT_EQ(GpsDateText(0.0), " Jan 6, 1980");
  EXPECT_EQ(GpsDateText(360 * kDay + kDay - 1), " Dec 31, 1980");
  EXPECT_EQ(GpsDateText(361 * kDay), " Jan 1, 1981");
  EXPECT_EQ(GpsDateText(1400 * 604800.0), " Nov 5, 2006");
  EXPECT_EQ(GpsDateText(8820 * kDay + 43200), " Feb 29, 2004");
}

// Every day from before the epoch to well past the tables, against the standard calendar.
TEST(GpsDate, EveryDayMatchesTheGregorianCalendar) {
  using namespace std::chrono;
  const sys_days epoch{year{1980} / January / 6};
  const auto check = [&](int32_t day) {
    const year_month_day expected{epoch + days{day}};
    const CalendarDate date = GpsDayToDate(day);
    ASSERT_EQ(date.year, static_cast<int>(expected.year())) << day;
    ASSERT_EQ(date.month, static_cast<int>(static_cast<unsigned>(expected.month()))) << day;
    ASSERT_EQ(date.day, static_cast<int>(static_cast<unsigned>(expected.day()))) << day;
  };
  for (int32_t day = -1500; day <= 80000; ++day)
    check(day);  // 1975 .. 2199: 2000 is a leap year, 2100 is not
  for (int32_t day = 150000; day <= 160000; ++day)
    check(day);  // around 2400, a leap year
  // The far ends of the day count, within the standard calendar's years.
  for (int32_t day : {-4000000, -146098, -146097, -146096, 4000000, 11000000}) {
    check(day);
  }
}

TEST(GpsDate, DayCountsBeyondThirtyTwoBitsOrNoNumberAreBad) {
  EXPECT_EQ(GpsDateText(std::nan("")), "<Bad time>");
  EXPECT_EQ(GpsDateText(1e300), "<Bad time>");
  EXPECT_EQ(GpsDateText(-1e300), "<Bad time>");
  EXPECT_EQ(GpsDateText(std::numeric_limits<double>::infinity()), "<Bad time>");
  // The largest day counts still give a date, and quickly.
  const CalendarDate last = GpsDayToDate(std::numeric_limits<int32_t>::max());
  EXPECT_GT(last.year, 5000000);
  const CalendarDate first = GpsDayToDate(std::numeric_limits<int32_t>::min());
  EXPECT_LT(first.year, -5000000);
  // Within the first day before the epoch the count truncates to day 0.
  EXPECT_EQ(GpsDateText(-1.0), " Jan 6, 1980");
  EXPECT_EQ(GpsDateText(-kDay), " Jan 5, 1980");
  EXPECT_EQ(GpsDateText(-7 * kDay), " Dec 30, 1979");
}

TEST(LatLon, DecimalAndDegreesMinutesSeconds) {
  struct Case {
    double degrees;
    bool dms;
    const char* text;
  };
  const Case cases[] = {
      {37.5, false, "37.500000"},
      {-122.25, false, "-122.250000"},
      {37.5, true, "37\u00B0 30' 0.000"},
      {-122.25, true, "-122\u00B0 15' 0.000"},
      {-0.5, true, "0\u00B0 30' 0.000"},  // no sign between -1 and 0
      {12.3456, true, "12\u00B0 20' 44.160"},
      // Rounded once, then split: the seconds and minutes carry.
      {37.99999999, true, "38\u00B0 0' 0.000"},
      {-0.9999999999, true, "-1\u00B0 0' 0.000"},
      {10.5 + 59.9994 / 3600, true, "10\u00B0 30' 59.999"},
      {std::nan(""), true, "0\u00B0 0' nan"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LatLonText(c.degrees, c.dms), c.text) << c.degrees;
  }
  EXPECT_EQ(std::string("\u00B0"), "\xC2\xB0");  // UTF-8
}

TEST(LatLon, MainWindowPanelsFollowTheChosenStyle) {
  testing::TestRig rig;
  FormatLatLon(rig.app, 37.5, -0.5);
  EXPECT_EQ(rig.app.Form_Main.Panel_Latitude.Caption(), "37.500000");
  EXPECT_EQ(rig.app.Form_Main.Panel_Longitude.Caption(), "-0.500000");
  rig.app.state.LatLonDegMin = true;
  FormatLatLon(rig.app, 37.5, -0.5);
  EXPECT_EQ(rig.app.Form_Main.Panel_Latitude.Caption(), "37\u00B0 30' 0.000");
  EXPECT_EQ(rig.app.Form_Main.Panel_Longitude.Caption(), "0\u00B0 30' 0.000");
}

TEST(TimeFormat, MonthNamesAndTruncation) {
  EXPECT_STREQ(MonthName(1), "Jan");
  EXPECT_STREQ(MonthName(12), "Dec");
  EXPECT_STREQ(MonthName(0), "???");
  EXPECT_STREQ(MonthName(13), "???");
  EXPECT_STREQ(MonthName(-1), "???");

  EXPECT_EQ(TruncToInt(-2.7), -2);
  EXPECT_EQ(TruncToInt(2.7), 2);
  EXPECT_EQ(TruncToInt(std::nan("")), 0);
  EXPECT_EQ(TruncToInt(1e20), std::numeric_limits<int>::max());
  EXPECT_EQ(TruncToInt(-1e20), std::numeric_limits<int>::min());
}

}  // namespace
}  // namespace zelkon
