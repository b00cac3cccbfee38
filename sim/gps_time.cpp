#include "sim/gps_time.h"

#include <chrono>
#include <cstdio>

namespace zelkon::sim {
namespace {

using std::chrono::days;
using std::chrono::sys_days;
using std::chrono::year_month_day;

constexpr sys_days kEpoch{std::chrono::year{1980} / std::chrono::January / 6};

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

}  // namespace

Calendar CalendarOf(int64_t seconds) {
  const int64_t dayCount = FloorDiv(seconds, kSecondsPerDay);
  const int64_t secondOfDay = seconds - dayCount * kSecondsPerDay;
  const year_month_day date{kEpoch + days{dayCount}};
  return {static_cast<int>(date.year()),
          static_cast<int>(static_cast<unsigned>(date.month())),
          static_cast<int>(static_cast<unsigned>(date.day())),
          static_cast<int>(secondOfDay / 3600),
          static_cast<int>(secondOfDay / 60 % 60),
          static_cast<int>(secondOfDay % 60)};
}

int64_t SecondsOf(const Calendar& c) {
  const sys_days date{std::chrono::year{c.year} /
                      std::chrono::month{static_cast<unsigned>(c.month)} /
                      std::chrono::day{static_cast<unsigned>(c.day)}};
  return (date - kEpoch).count() * kSecondsPerDay + c.hour * 3600 + c.minute * 60 + c.second;
}

std::optional<Calendar> ParseCalendar(const std::string& text) {
  Calendar c;
  char separator = 0;
  int consumed = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d%n", &c.year, &c.month, &c.day, &separator,
                  &c.hour, &c.minute, &c.second, &consumed) != 7 ||
      static_cast<size_t>(consumed) != text.size() || (separator != 'T' && separator != ' ')) {
    return std::nullopt;
  }
  const year_month_day date{std::chrono::year{c.year} /
                            std::chrono::month{static_cast<unsigned>(c.month)} /
                            std::chrono::day{static_cast<unsigned>(c.day)}};
  if (!date.ok() || c.year < 1980 || c.hour > 23 || c.minute > 59 || c.second > 59) {
    return std::nullopt;
  }
  return c;
}

double NowUtcSeconds() {
  return std::chrono::duration<double>(std::chrono::system_clock::now() - kEpoch).count();
}

}  // namespace zelkon::sim
