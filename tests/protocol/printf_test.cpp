#include "text/printf.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include <sys/types.h>

namespace zelkon {
namespace {

// vsnprintf's text; empty where it fails (a '%' that ends the format), as Printf has it.
std::string Libc(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(nullptr, 0, format, args);
  std::string text(static_cast<size_t>(length < 0 ? 0 : length), '\0');
  if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, again);
  va_end(again);
  va_end(args);
  return text;
}

std::optional<std::string> WithoutLibc(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text;
  const bool done = VPrintfWithoutLibc(text, format, args);
  va_end(args);
  return done ? std::optional(text) : std::nullopt;
}

template <class T>
std::string Describe(T value) {
  if constexpr (std::is_floating_point_v<T>)
    return Libc("%.17Lg ", static_cast<long double>(value));
  if constexpr (std::is_integral_v<T>) return std::to_string(value) + " ";
  return "(pointer) ";
}

// Every text of the fast path held to vsnprintf's, and Printf as a whole (the fast path or the
// library) too.
class Comparison {
 public:
  // A format the fast path must take itself.
  template <class... T>
  void Fast(const std::string& format, T... values) {
    Compare(true, format, values...);
  }
  // A format it may leave to the library.
  template <class... T>
  void Any(const std::string& format, T... values) {
    Compare(false, format, values...);
  }

  int fastTexts = 0;
  std::vector<std::string> faults;

 private:
  template <class... T>
  void Compare(bool mustBeFast, const std::string& format, T... values) {
    const std::string expected = Libc(format.c_str(), values...);
    const std::string printed = Printf(format.c_str(), values...);
    const std::optional<std::string> fast = WithoutLibc(format.c_str(), values...);
    if (fast) ++fastTexts;
    std::string fault;
    if (printed != expected) fault = "Printf gives \"" + printed + "\"";
    if (fast && *fast != expected) fault = "the fast path gives \"" + *fast + "\"";
    if (!fast && mustBeFast) fault = "left to the library";
    if (!fault.empty() && faults.size() < 20) {
      faults.push_back(format + " with " + (std::string() + ... + Describe(values)) + ": " + fault +
                       ", vsnprintf \"" + expected + "\"");
    }
  }
};

std::string Flags(std::mt19937_64& random) {
  std::string flags;
  for (const char flag : {'-', '+', ' ', '0'}) {
    if (random() % 3 == 0) flags += flag;
  }
  return flags;
}

std::string Width(std::mt19937_64& random) {
  static constexpr int kWidths[] = {0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 12, 15, 24, 40};
  const int width = kWidths[random() % std::size(kWidths)];
  return width == 0 ? "" : std::to_string(width);
}

std::string Precision(std::mt19937_64& random, std::initializer_list<int> choices) {
  const int precision = *(choices.begin() + random() % choices.size());
  return precision < 0 ? "" : precision == 100 ? "." : "." + std::to_string(precision);
}

template <class T>
T Pick(std::mt19937_64& random, std::initializer_list<T> choices) {
  return *(choices.begin() + random() % choices.size());
}

std::vector<double> Doubles(std::mt19937_64& random) {
  std::vector<double> values = {0.0,
                                -0.0,
                                0.5,
                                1.5,
                                2.5,
                                -0.5,
                                0.25,
                                0.125,
                                0.375,
                                -0.125,
                                0.05,
                                0.15,
                                2.675,
                                -0.04,
                                -0.004,
                                9.5,
                                99.95,
                                999.9995,
                                1e15 + 0.5,
                                1e16,
                                4503599627370495.5,
                                9007199254740993.0,
                                1e22,
                                1e23,
                                1e300,
                                DBL_MAX,
                                -DBL_MAX,
                                DBL_MIN,
                                DBL_TRUE_MIN,
                                -DBL_TRUE_MIN,
                                1e-310,
                                123456.785,
                                58573.934,
                                0.0999999,
                                1.0 / 3};
  std::uniform_real_distribution<double> unit(-1, 1);
  std::uniform_int_distribution<int> exponent(-40, 40);
  for (int i = 0; i < 3000; ++i)
    values.push_back(unit(random) * std::pow(10.0, exponent(random)));
  // Halfway between two texts at some precision: k/2^n, and decimal ties that binary misses.
  for (int i = 0; i < 3000; ++i) {
    const int n = static_cast<int>(random() % 12) + 1;
    const double k = static_cast<double>(random() % 100000) * 2 + 1;
    values.push_back((random() % 2 ? -1 : 1) * std::ldexp(k, -n));
    values.push_back(static_cast<double>(random() % 100000) / 1000 + 0.0005);
  }
  // Any bits: denormals, huge values, and infinities and NaNs of either sign.
  for (int i = 0; i < 3000; ++i)
    values.push_back(std::bit_cast<double>(random()));
  values.push_back(std::numeric_limits<double>::infinity());
  values.push_back(-std::numeric_limits<double>::infinity());
  values.push_back(std::numeric_limits<double>::quiet_NaN());
  values.push_back(-std::numeric_limits<double>::quiet_NaN());
  return values;
}

TEST(Printf, GivesVsnprintfsTextsByteForByte) {
  std::mt19937_64 random(20240611);
  Comparison c;

  for (const double value : Doubles(random)) {
    for (int i = 0; i < 6; ++i) {
      const std::string format = "%" + Flags(random) + Width(random) +
                                 Precision(random, {-1, 100, 0, 1, 2, 3, 4, 6, 9, 12, 17, 20}) +
                                 Pick(random, {"", "", "", "l"}) +
                                 Pick(random, {'f', 'f', 'F', 'e', 'E', 'g', 'G'});
      if (std::isfinite(value)) {
        c.Fast(format, value);
      } else {
        c.Any(format, value);
      }
    }
  }

  std::vector<long long> integers = {0,         1,   -1,   INT_MIN, INT_MAX, LLONG_MIN,
                                     LLONG_MAX, 255, -128, 65535,   -32768,  1000000};
  for (int i = 0; i < 4000; ++i) {
    integers.push_back(static_cast<long long>(random() >> (random() % 64)) *
                       (random() % 2 ? -1 : 1));
  }
  for (const long long value : integers) {
    for (int i = 0; i < 6; ++i) {
      const std::string spec =
          "%" + Flags(random) + Width(random) + Precision(random, {-1, -1, -1, 100, 0, 1, 3, 12});
      const char conversion = Pick(random, {'d', 'i', 'u', 'x', 'X', 'o'});
      const bool isSigned = conversion == 'd' || conversion == 'i';
      const auto i32 = static_cast<int>(value);
      switch (random() % 8) {
        case 0:
          c.Fast(spec + conversion, i32);
          break;
        case 1:
          c.Fast(spec + "hh" + conversion, i32);
          break;
        case 2:
          c.Fast(spec + "h" + conversion, i32);
          break;
        case 3:
          c.Fast(spec + "l" + conversion, static_cast<long>(value));
          break;
        case 4:
          c.Fast(spec + "ll" + conversion, value);
          break;
        case 5:
          if (isSigned) {
            c.Fast(spec + "z" + conversion, static_cast<ssize_t>(value));
          } else {
            c.Fast(spec + "z" + conversion, static_cast<size_t>(value));
          }
          break;
        case 6:
          c.Fast(spec + "j" + conversion, static_cast<intmax_t>(value));
          break;
        default:
          c.Fast(spec + "t" + conversion, static_cast<ptrdiff_t>(value));
      }
    }
  }

  const std::string longText(300, 'x');
  for (const char* text : {"", "a", "PRN 16", "Grad \xc2\xb0", longText.c_str()}) {
    for (const char* format : {"%s", "%10s", "%-10s", "%.3s", "%8.2s", "%-6.0s", "%.400s"})
      c.Fast(format, text);
  }
  for (const int ch : {int{'A'}, int{' '}, 0, 0xB0, -1}) {
    for (const char* format : {"%c", "%3c", "%-3c"})
      c.Fast(format, ch);
  }

  // The program's own compositions, text around the conversions included.
  c.Fast("%3d%4d%5d%4d", 16, 3, 1, 1);
  c.Fast("%8.1f%10.1f%6.1f%7.1f", 19.3f, 58573.934f, 71.19999560647727, 301.5000135126438);
  c.Fast("%02d:%02d:%02d UTC", 16, 5, 9);
  c.Fast("Done: 100%% of %s (%04X)", "survey", 0x10A2);
  c.Fast("%09lld %zu %llu", -1234567LL, size_t{42}, 18446744073709551615ULL);

  // What the library keeps: '#', '*', positional arguments, %a, long double, %p, a text longer
  // than the working buffer, conversions it does not know, a '%' at the end.
  c.Any("%#x %#o %#.0f %#g", 255u, 8u, 3.0, 1.5);
  c.Any("%*d|%-*.*f", 6, 42, 9, 2, 3.14159);
  c.Any("%2$s %1$s", "b", "a");
  c.Any("%a %A", 0.1, -2.5);
  c.Any("%Lf %Le", 1.25L, -3.5L);
  c.Any("%p", static_cast<void*>(&c));
  c.Any("%s%s%s", longText.c_str(), longText.c_str(), "end");
  c.Any("%400.300f", 1.0 / 7);
  c.Any("%05s|%+c|%.2c", "ab", 'x', 'y');
  c.Any("%s", static_cast<const char*>(nullptr));
  c.Any("ends with %");

  EXPECT_GT(c.fastTexts, 60000);
  EXPECT_TRUE(c.faults.empty()) << testing::PrintToString(c.faults);
}

}  // namespace
}  // namespace zelkon
