// printf-style texts, the way every text of the windows is produced.
#pragma once

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <string>

namespace zelkon {

// The text `format` produces with the given values, exactly as vsnprintf writes it. The common
// conversions (%d %i %u %x %X %o with flags, width, precision and length modifiers; %f %F %e %E %g
// %G; %s; %c; %%) are formatted here without the C library, whose floating-point conversion is
// slow; anything else (a '#' or '*', positional arguments, %a, %p, long double, a value that does
// not fit the working buffer) is handed to vsnprintf whole.
[[gnu::format(printf, 1, 2)]] std::string Printf(const char* format, ...);

// The text of the conversions Printf formats itself, in `text`; false, with `text` unchanged,
// where the format is left to vsnprintf.
bool VPrintfWithoutLibc(std::string& text, const char* format, va_list args);

// A value as "%8f" where that shows at least four significant digits (0, and magnitudes from
// 0.001 up), and as "%.6e" below, where the six decimals would show little or nothing of it: an
// almanac's rate of right ascension of -8.125e-9 rad/s reads "-8.125000e-09", not "-0.000000".
inline std::string FixedOrScientific(double value) {
  if (value == 0 || !(std::fabs(value) < 0.001)) return Printf("%8f", value);
  return Printf("%.6e", value);
}

}  // namespace zelkon
