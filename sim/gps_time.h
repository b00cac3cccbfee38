// GPS time for the receiver emulator: seconds since the GPS epoch (6 January 1980 00:00), weeks,
// seconds of the week, and the UTC calendar.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zelkon::sim {

inline constexpr int64_t kSecondsPerWeek = 604800;
inline constexpr int64_t kSecondsPerDay = 86400;

struct Calendar {
  int year = 1980;
  int month = 1;
  int day = 6;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// The calendar of `seconds` counted from the GPS epoch (whatever time scale they are in).
Calendar CalendarOf(int64_t seconds);
// Seconds from the GPS epoch to the given calendar moment (same time scale).
int64_t SecondsOf(const Calendar& calendar);
// "YYYY-MM-DDTHH:MM:SS" (or with a blank instead of T); nothing when malformed.
std::optional<Calendar> ParseCalendar(const std::string& text);
// The PC clock now, as seconds since the GPS epoch in UTC.
double NowUtcSeconds();

}  // namespace zelkon::sim
