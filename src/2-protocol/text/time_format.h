// The texts of GPS time, dates and geodetic angles, shared by the windows.
#pragma once

#include <cstdint>
#include <string>

#include "text/angles.h"

namespace zelkon {

extern const char* const DayNames[7];     // "Sun" .. "Sat"
extern const char* const MonthNames[13];  // "???", "Jan" .. "Dec"

// MonthNames[month] for 1..12, "???" for anything else.
const char* MonthName(int month);

// A value truncated toward zero; NaN gives 0 and values beyond int saturate, so a report field
// holding anything at all can be shown.
int TruncToInt(double value);

// Seconds of the GPS week as "HH:MM:SS" (timeOnly) or "Day HH:MM:SS"; "<No time yet>" for
// exactly -1, "<Bad time>" outside one week either side.
std::string WeekTimeText(float seconds, bool timeOnly);

// "H:MM:SS.sssssssss" of seconds of the week or of the day; the same two special texts.
std::string TimeOfDayText(double seconds);

struct CalendarDate {
  int year;
  int month;  // 1..12
  int day;    // 1..31
};
// The date of a day count from the GPS epoch (day 0 is 6 January 1980). The tables cover 1980 to
// 2035; later years, and days before the epoch, follow the Gregorian rules.
CalendarDate GpsDayToDate(int32_t gpsDay);

// " Mon D, YYYY" (with a leading blank) of seconds since 6 January 1980 00:00; the day count is
// truncated toward zero. "<Bad time>" when the day count is no number or does not fit 32 bits.
std::string GpsDateText(double gpsSeconds);

// One angle in degrees: "%.6f", or degrees, minutes and seconds ("37° 30' 0.000").
std::string LatLonText(double degrees, bool degreesMinutesSeconds);

}  // namespace zelkon
