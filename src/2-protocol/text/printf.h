// printf-style texts, the way every text of the windows is produced.
//
//   Printf("%8.1f%10.1f", signalLevel, lastMeasurement)
//
// gives exactly the text snprintf gives. The format is read when the program is compiled: each
// conversion is checked against the type of its value there (a format that does not match its
// values does not compile), and at run time the text is written from the conversions already read.
// The common conversions (%d %i %u %x %X %o with flags, width, precision and length modifiers; %f
// %F %e %E %g %G; %s; %c; and %%) are written without the C library, whose floating-point
// conversion is slow; a format with anything else (a '#' or '*', positional arguments, %a, %p,
// long double), a value the fast path leaves alone (an infinity, a NaN) or a text longer than its
// buffer goes to vsnprintf whole.
#pragma once

#include <array>
#include <cmath>
#include <concepts>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <type_traits>

namespace zelkon {
namespace printf_format {

enum class Length : uint8_t { kNone, kChar, kShort, kLong, kLongLong, kSize, kMax, kPtrDiff };

// One conversion: "%-08.3ld" is left, zero, width 8, precision 3, kLong, 'd'.
struct Spec {
  bool left = false;
  bool plus = false;
  bool space = false;
  bool zero = false;
  int16_t width = 0;
  int16_t precision = -1;  // none given
  Length length = Length::kNone;
  char conversion = 0;
};

// Widths and precisions the fast path takes; a larger one does not fit its buffer anyway.
inline constexpr int kMaxField = 400;

constexpr bool ReadNumber(const char*& p, int16_t& value) {
  int number = 0;
  while (*p >= '0' && *p <= '9') {
    number = number * 10 + (*p++ - '0');
    if (number > kMaxField) return false;
  }
  value = static_cast<int16_t>(number);
  return true;
}

// Reads the conversion after its '%'; false for one the fast path leaves to the C library: the
// '#' flag, '*' widths and precisions, positional arguments, 'L' and the conversions it does not
// write itself.
constexpr bool ParseSpec(const char*& p, Spec& spec) {
  for (;; ++p) {
    if (*p == '-') {
      spec.left = true;
    } else if (*p == '+') {
      spec.plus = true;
    } else if (*p == ' ') {
      spec.space = true;
    } else if (*p == '0') {
      spec.zero = true;
    } else {
      break;
    }
  }
  if (!ReadNumber(p, spec.width) || *p == '$') return false;
  if (*p == '.') {
    ++p;
    if (!ReadNumber(p, spec.precision)) return false;
  }
  if (*p == 'h') {
    ++p;
    spec.length = Length::kShort;
    if (*p == 'h') {
      ++p;
      spec.length = Length::kChar;
    }
  } else if (*p == 'l') {
    ++p;
    spec.length = Length::kLong;
    if (*p == 'l') {
      ++p;
      spec.length = Length::kLongLong;
    }
  } else if (*p == 'z') {
    ++p;
    spec.length = Length::kSize;
  } else if (*p == 'j') {
    ++p;
    spec.length = Length::kMax;
  } else if (*p == 't') {
    ++p;
    spec.length = Length::kPtrDiff;
  }
  spec.conversion = *p;
  for (const char known : {'d', 'i', 'u', 'x', 'X', 'o', 'f', 'F', 'e', 'E', 'g', 'G', 's', 'c'}) {
    if (spec.conversion == known) {
      ++p;
      return true;
    }
  }
  return false;
}

// A stretch of the format's own text: [begin, end) of it. `escaped` when it holds "%%", which
// stands for one '%'.
struct Literal {
  uint16_t begin = 0;
  uint16_t end = 0;
  bool escaped = false;
};

// The format's text from `p` to the '%' of the next conversion or the end; false for a format
// too long for the offsets.
constexpr bool ReadLiteral(const char* format, const char*& p, Literal& literal) {
  const auto offset = [format](const char* at) { return static_cast<size_t>(at - format); };
  literal.begin = static_cast<uint16_t>(offset(p));
  for (;;) {
    if (*p == '%' && p[1] == '%') {
      literal.escaped = true;
      p += 2;
    } else if (*p == '%' || *p == '\0') {
      break;
    } else {
      ++p;
    }
  }
  literal.end = static_cast<uint16_t>(offset(p));
  return offset(p) <= UINT16_MAX;
}

// One conversion and the text before it.
struct Piece {
  Literal before;
  Spec spec;
};

// The conversions a piece can hold, by their index in the packed piece.
inline constexpr char kConversions[] = "diuxXofFeEgGsc";

// A piece in one 64-bit word, the way a format read at compile time hands its pieces over: a
// word the caller writes whole is read back whole, without the stall of reading a structure
// through loads of other sizes than the stores that wrote it.
//   bits 0-15 literal begin, 16-31 literal end, 32 escaped, 33-36 the flags - + space 0,
//   37-45 width, 46-55 precision + 1, 56-58 length, 59-63 conversion index.
constexpr uint64_t Pack(const Piece& piece) {
  const Spec& spec = piece.spec;
  uint64_t conversion = 0;
  while (kConversions[conversion] != spec.conversion && kConversions[conversion] != '\0')
    ++conversion;
  return uint64_t{piece.before.begin} | uint64_t{piece.before.end} << 16 |
         uint64_t{piece.before.escaped} << 32 | uint64_t{spec.left} << 33 |
         uint64_t{spec.plus} << 34 | uint64_t{spec.space} << 35 | uint64_t{spec.zero} << 36 |
         static_cast<uint64_t>(spec.width) << 37 | static_cast<uint64_t>(spec.precision + 1) << 46 |
         static_cast<uint64_t>(spec.length) << 56 | conversion << 59;
}

constexpr Piece Unpack(uint64_t word) {
  Piece piece;
  piece.before.begin = static_cast<uint16_t>(word);
  piece.before.end = static_cast<uint16_t>(word >> 16);
  piece.before.escaped = (word >> 32 & 1) != 0;
  piece.spec.left = (word >> 33 & 1) != 0;
  piece.spec.plus = (word >> 34 & 1) != 0;
  piece.spec.space = (word >> 35 & 1) != 0;
  piece.spec.zero = (word >> 36 & 1) != 0;
  piece.spec.width = static_cast<int16_t>(word >> 37 & 0x1FF);
  piece.spec.precision = static_cast<int16_t>(static_cast<int>(word >> 46 & 0x3FF) - 1);
  piece.spec.length = static_cast<Length>(word >> 56 & 0x7);
  piece.spec.conversion = kConversions[word >> 59];
  return piece;
}

// One value, as its conversion reads it: integers of every type widened to long long (the
// conversion's length modifier takes back the width it was passed at), float as double.
union Value {
  long long integer;
  double real;
  const char* text;
};

template <class T>
Value ValueOf(T value) {
  if constexpr (std::is_floating_point_v<T>) {
    return Value{.real = static_cast<double>(value)};
  } else if constexpr (std::is_convertible_v<T, const char*>) {
    return Value{.text = value};
  } else if constexpr (std::is_pointer_v<T>) {
    return Value{};  // %p: the library's
  } else if constexpr (std::is_enum_v<T>) {
    return Value{.integer = static_cast<long long>(static_cast<std::underlying_type_t<T>>(value))};
  } else {
    return Value{.integer = static_cast<long long>(value)};
  }
}

constexpr size_t SizeOf(Length length) {
  switch (length) {
    case Length::kLong:
      return sizeof(long);
    case Length::kLongLong:
      return sizeof(long long);
    case Length::kSize:
      return sizeof(size_t);
    case Length::kMax:
      return sizeof(intmax_t);
    case Length::kPtrDiff:
      return sizeof(ptrdiff_t);
    default:
      return sizeof(int);
  }
}

// A value of type T is what the conversion reads: an integer of its length's width once
// promoted as a variadic argument, a float or double, a C string; characters are ints.
template <class T>
constexpr bool Takes(const Spec& spec) {
  using U = std::remove_cv_t<T>;
  switch (spec.conversion) {
    case 'f':
    case 'F':
    case 'e':
    case 'E':
    case 'g':
    case 'G':
      return (std::is_same_v<U, double> || std::is_same_v<U, float>)&&(
          spec.length == Length::kNone || spec.length == Length::kLong);
    case 's':
      return (std::is_same_v<U, const char*> || std::is_same_v<U, char*>)&&spec.length ==
             Length::kNone;
    default:
      break;
  }
  if constexpr (std::is_integral_v<U> || std::is_enum_v<U>) {
    constexpr size_t promoted = sizeof(U) < sizeof(int) ? sizeof(int) : sizeof(U);
    if (spec.conversion == 'c') return promoted == sizeof(int) && spec.length == Length::kNone;
    return promoted == SizeOf(spec.length);
  } else {
    return false;
  }
}

// Not constexpr: reached while a format is read at compile time, it stops the compilation there.
void FormatDoesNotMatchItsValues();

// The text of `format`, read into its pieces (one per value) and the text after the last, with
// the values; false, with `text` untouched, where a value goes to the C library (an infinity, a
// NaN, a text longer than the fast path's buffer).
bool Formatted(std::string& text, const char* format, const uint64_t* pieces, const Value* values,
               size_t count, uint64_t tail);

// vsnprintf's text.
std::string ByLibrary(const char* format, ...);

}  // namespace printf_format

// A format string, read and checked against the types of its values when the program is
// compiled.
template <class... Args>
class PrintfFormat {
 public:
  template <class S>
  requires std::convertible_to<const S&, const char*>
  consteval PrintfFormat(const S& format) : text_(format) {
    const char* p = text_;
    [[maybe_unused]] size_t index = 0;
    printf_format::Piece tail;
    fast_ = (ReadPiece<Args>(p, pieces_[index++]) && ...) &&
            printf_format::ReadLiteral(text_, p, tail.before);
    tail_ = printf_format::Pack(tail);
    if (fast_ && *p != '\0') {
      // A conversion after the last value: one the fast path writes is a fault; anything else (a
      // '%' that ends the format) is the library's.
      printf_format::Spec spec;
      ++p;
      if (printf_format::ParseSpec(p, spec)) printf_format::FormatDoesNotMatchItsValues();
      fast_ = false;
    }
  }

  const char* Text() const { return text_; }
  // Whether the conversions are all written without the C library.
  bool Fast() const { return fast_; }
  const uint64_t* Pieces() const { return pieces_.data(); }
  // The text after the last conversion, as a packed piece.
  uint64_t Tail() const { return tail_; }

 private:
  template <class T>
  consteval bool ReadPiece(const char*& p, uint64_t& packed) {
    printf_format::Piece piece;
    if (!printf_format::ReadLiteral(text_, p, piece.before)) return false;
    if (*p != '%') printf_format::FormatDoesNotMatchItsValues();  // fewer conversions than values
    ++p;
    if (!printf_format::ParseSpec(p, piece.spec)) return false;
    if (!printf_format::Takes<T>(piece.spec)) printf_format::FormatDoesNotMatchItsValues();
    packed = printf_format::Pack(piece);
    return true;
  }

  const char* text_;
  std::array<uint64_t, sizeof...(Args)> pieces_{};
  uint64_t tail_ = 0;
  bool fast_ = false;
};

// The text `format` produces with the given values, exactly as snprintf writes it.
template <class... Args>
std::string Printf(const PrintfFormat<std::type_identity_t<Args>...>& format, Args... values) {
  std::string text;
  if (format.Fast()) {
    const printf_format::Value read[sizeof...(Args) + 1] = {printf_format::ValueOf(values)...};
    if (printf_format::Formatted(text, format.Text(), format.Pieces(), read, sizeof...(Args),
                                 format.Tail())) {
      return text;
    }
  }
  text = printf_format::ByLibrary(format.Text(), values...);
  return text;
}

// The text of a format known only at run time through the fast path alone, in `text`; false,
// with `text` unchanged, where Printf would leave it to vsnprintf. For the test that holds the
// two to the same text.
bool VPrintfWithoutLibc(std::string& text, const char* format, va_list args);

// A value as "%8f" where that shows at least four significant digits (0, and magnitudes from
// 0.001 up), and as "%.6e" below, where the six decimals would show little or nothing of it: an
// almanac's rate of right ascension of -8.125e-9 rad/s reads "-8.125000e-09", not "-0.000000".
inline std::string FixedOrScientific(double value) {
  if (value == 0 || !(std::fabs(value) < 0.001)) return Printf("%8f", value);
  return Printf("%.6e", value);
}

}  // namespace zelkon
