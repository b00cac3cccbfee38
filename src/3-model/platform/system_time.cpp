#include "platform/system_time.h"

#include <ctime>

namespace zelkon {

UtcTime PosixSystemTime::NowUtc() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  std::tm tm{};
  ::gmtime_r(&now.tv_sec, &tm);
  return UtcTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

bool PosixSystemTime::SetUtc(const UtcTime& time) {
  std::tm tm{};
  tm.tm_year = time.year - 1900;
  tm.tm_mon = time.month - 1;
  tm.tm_mday = time.day;
  tm.tm_hour = time.hour;
  tm.tm_min = time.minute;
  tm.tm_sec = time.second;
  const time_t seconds = ::timegm(&tm);
  if (seconds == static_cast<time_t>(-1)) return false;
  const timespec value{seconds, 0};
  return ::clock_settime(CLOCK_REALTIME, &value) == 0;
}

}  // namespace zelkon
