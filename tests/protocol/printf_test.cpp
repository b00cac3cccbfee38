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

// Every text held to vsnprintf's: the fast path with formats made at run time, and Printf itself
// (the fast path or the library) with formats read at compile time.
class Comparison {
 public:
  // A format made at run time; `mustBeFast` where the fast path must take it itself.
  template <class... T>
  void Runtime(bool mustBeFast, const std::string& format, T... values) {
    const std::optional<std::string> fast = WithoutLibc(format.c_str(), values...);
    if (fast) ++fastTexts;
    if (!fast && mustBeFast) return Fault(format, "left to the library", values...);
    if (fast) Compare(format, "the fast path", *fast, values...);
  }
  template <class... T>
  void Compiled(PrintfFormat<std::type_identity_t<T>...> format, T... values) {
    Compare(format.Text(), "Printf", Printf(format, values...), values...);
  }

  int fastTexts = 0;
  std::vector<std::string> faults;

 private:
  template <class... T>
  void Compare(const std::string& format, const char* who, const std::string& text, T... values) {
    const std::string expected = Libc(format.c_str(), values...);
    if (text != expected) {
      Fault(format, std::string(who) + " gives \"" + text + "\", vsnprintf \"" + expected + "\"",
            values...);
    }
  }
  template <class... T>
  void Fault(const std::string& format, const std::string& fault, T... values) {
    if (faults.size() < 20)
      faults.push_back(format + " with " + (std::string() + ... + Describe(values)) + ": " + fault);
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
      c.Runtime(std::isfinite(value), format, value);
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
          c.Runtime(true, spec + conversion, i32);
          break;
        case 1:
          c.Runtime(true, spec + "hh" + conversion, i32);
          break;
        case 2:
          c.Runtime(true, spec + "h" + conversion, i32);
          break;
        case 3:
          c.Runtime(true, spec + "l" + conversion, static_cast<long>(value));
          break;
        case 4:
          c.Runtime(true, spec + "ll" + conversion, value);
          break;
        case 5:
          if (isSigned) {
            c.Runtime(true, spec + "z" + conversion, static_cast<ssize_t>(value));
          } else {
            c.Runtime(true, spec + "z" + conversion, static_cast<size_t>(value));
          }
          break;
        case 6:
          c.Runtime(true, spec + "j" + conversion, static_cast<intmax_t>(value));
          break;
        default:
          c.Runtime(true, spec + "t" + conversion, static_cast<ptrdiff_t>(value));
      }
    }
  }

  const std::string longText(300, 'x');
  for (const char* text : {"", "a", "PRN 16", "Grad \xc2\xb0", longText.c_str()}) {
    for (const char* format : {"%s", "%10s", "%-10s", "%.3s", "%8.2s", "%-6.0s", "%.400s"})
      c.Runtime(true, format, text);
  }
  for (const int ch : {int{'A'}, int{' '}, 0, 0xB0, -1}) {
    for (const char* format : {"%c", "%3c", "%-3c"})
      c.Runtime(true, format, ch);
  }

  // Printf itself: the values of each type as the conversion reads them, the program's own
  // compositions with text around the conversions, "%%".
  enum Mode : uint8_t { kSeven = 7 };
  const char name[] = "Grad \xc2\xb0";
  c.Compiled("%hhd|%hhu|%hd|%hu|%d|%u|%x|%X|%o", 300, -1, 70000, -1, INT_MIN, -1, -1, 0xBEEF, 8);
  c.Compiled("%ld|%lu|%lld|%llu|%zu|%zd|%jd|%td", LONG_MIN, -1L, LLONG_MIN, ULLONG_MAX, SIZE_MAX,
             ssize_t{-3}, INTMAX_MAX, ptrdiff_t{-70000});
  c.Compiled("%d %d %u %c%c %d %02X %s|%-12s|", true, int16_t{-32768}, uint16_t{65535}, 'z',
             uint8_t{0xB0}, kSeven, uint8_t{0x0F}, name, name);
  c.Compiled("%3d%4d%5d%4d%8.1f%10.1f%6.1f%7.1f", 16, 3, 1, 1, 19.3f, 58573.934f, 71.19999560647727,
             301.5000135126438);
  c.Compiled("%02d:%02d:%02d UTC", 16, 5, 9);
  c.Compiled("%+d|% d|%-+8.2f|% 08.3f|%-5c|%.0f|%5.3s|%-+4d|", 5, 7, 1.005, -2.5, 'q', 0.5,
             "abcdef", -3);
  c.Compiled("Done: 100%% of %s (%04X) %%", "survey", 0x10A2);
  c.Compiled("%09lld %.9g %.7g %012.9f %.6e %8f", -1234567LL, 0.1, 1e-7f, 59.999999999, -8.125e-9,
             -0.0);
  // Values and formats the fast path leaves to the library: infinities and NaNs, '#', '*',
  // positional arguments, %a, long double, %p, a text longer than its buffer, unusual flags of
  // %s and %c, a null string, a '%' at the end.
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  c.Compiled("%f|%5.1f|%-8e|%+g|%05.2f|% F|%E", inf, -inf, nan, -nan, inf, nan, -inf);
  c.Compiled("%#x %#o %#.0f %#g", 255u, 8u, 3.0, 1.5);
  c.Compiled("%*d|%-*.*f", 6, 42, 9, 2, 3.14159);
  c.Compiled("%2$s %1$s", "b", "a");
  c.Compiled("%a %A", 0.1, -2.5);
  c.Compiled("%Lf %Le", 1.25L, -3.5L);
  c.Compiled("%p", static_cast<void*>(&c));
  c.Compiled("%s%s%s", longText.c_str(), longText.c_str(), "end");
  c.Compiled("%400.300f", 1.0 / 7);
  c.Compiled("%05s|%+c|%.2c", "ab", 'x', 'y');
  c.Compiled("%s", static_cast<const char*>(nullptr));
  c.Compiled("ends with %");

  EXPECT_GT(c.fastTexts, 60000);
  EXPECT_TRUE(c.faults.empty()) << testing::PrintToString(c.faults);
}

}  // namespace
}  // namespace zelkon
