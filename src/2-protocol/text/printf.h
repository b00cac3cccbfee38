// printf-style texts, the way every text of the windows is produced.
#pragma once

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <string>

namespace zelkon {

// The text `format` produces with the given values, as snprintf writes it.
[[gnu::format(printf, 1, 2)]] inline std::string Printf(const char* format, ...) {
  char small[256];
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  std::string text;
  if (length < 0) {
    text.clear();
  } else if (static_cast<size_t>(length) < sizeof small) {
    text.assign(small, static_cast<size_t>(length));
  } else {
    text.resize(static_cast<size_t>(length));
    std::vsnprintf(text.data(), text.size() + 1, format, again);
  }
  va_end(again);
  return text;
}

// A value as "%8f" where that shows at least four significant digits (0, and magnitudes from
// 0.001 up), and as "%.6e" below, where the six decimals would show little or nothing of it: an
// almanac's rate of right ascension of -8.125e-9 rad/s reads "-8.125000e-09", not "-0.000000".
inline std::string FixedOrScientific(double value) {
  if (value == 0 || !(std::fabs(value) < 0.001)) return Printf("%8f", value);
  return Printf("%.6e", value);
}

}  // namespace zelkon
