#include "text/printf.h"

#include <sys/types.h>
#include <bit>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace zelkon {
namespace {

// Bytes a write may run past what it takes, and a copy may read past its text: the pieces are a
// few bytes each, and a copy of a fixed size takes neither a call nor a loop whose end the
// processor must guess.
constexpr size_t kSlack = 32;

// The text being formatted, in a buffer of fixed size; a write that does not fit fails, and the
// whole text is then left to vsnprintf.
class Text {
 public:
  // Where the next `count` bytes go, now counted as written; nullptr when they do not fit. Up to
  // kSlack bytes after them may be written too.
  char* Take(size_t count) {
    if (count > kCapacity - used_) return nullptr;
    char* at = buffer_ + used_;
    used_ += count;
    return at;
  }
  std::string String() const { return std::string(buffer_, used_); }

 private:
  static constexpr size_t kCapacity = 512;
  char buffer_[kCapacity + kSlack];
  size_t used_ = 0;
};

// The text of a conversion; `slack` when kSlack bytes may be read from its start whatever its
// size (the conversion's own digits), not for a caller's string.
struct Piece {
  const char* data;
  size_t size;
  bool slack;
};

constexpr char kSpaces[kSlack + 1] = "                                ";
constexpr char kZeros[kSlack + 1] = "00000000000000000000000000000000";

// `count` bytes of `text` at `to` (kSlack of it writable); returns the end of what was written.
char* Copy(char* to, Piece text) {
  if (text.slack && text.size <= kSlack) {
    std::memcpy(to, text.data, kSlack);
  } else {
    std::memcpy(to, text.data, text.size);
  }
  return to + text.size;
}

// `count` times the character `run` is made of.
char* Fill(char* to, const char (&run)[kSlack + 1], size_t count) {
  if (count <= kSlack) {
    std::memcpy(to, run, kSlack);
  } else {
    std::memset(to, run[0], count);
  }
  return to + count;
}

// The values still to be formatted, taken by the helpers from the one list.
struct Args {
  va_list* list;
};

enum class Length { kNone, kChar, kShort, kLong, kLongLong, kSize, kMax, kPtrDiff };

// One conversion: "%-08.3ld" is left, zero, width 8, precision 3, kLong, 'd'.
struct Spec {
  bool left = false;
  bool plus = false;
  bool space = false;
  bool zero = false;
  int width = 0;
  int precision = -1;  // none given
  Length length = Length::kNone;
  char conversion = 0;
};

// Widths and precisions the fast path takes; a larger one does not fit the buffer anyway.
constexpr int kMaxField = 400;

bool ReadNumber(const char*& p, int& value) {
  value = 0;
  while (*p >= '0' && *p <= '9') {
    value = value * 10 + (*p++ - '0');
    if (value > kMaxField) return false;
  }
  return true;
}

// Reads the conversion after its '%'; false for one the fast path leaves to the C library: the
// '#' flag, '*' widths and precisions, positional arguments, 'L' and conversions it does not know.
bool ParseSpec(const char*& p, Spec& spec) {
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
  switch (*p) {
    case 'h':
      ++p;
      spec.length = Length::kShort;
      if (*p == 'h') {
        ++p;
        spec.length = Length::kChar;
      }
      break;
    case 'l':
      ++p;
      spec.length = Length::kLong;
      if (*p == 'l') {
        ++p;
        spec.length = Length::kLongLong;
      }
      break;
    case 'z':
      ++p;
      spec.length = Length::kSize;
      break;
    case 'j':
      ++p;
      spec.length = Length::kMax;
      break;
    case 't':
      ++p;
      spec.length = Length::kPtrDiff;
      break;
    default:
      break;
  }
  spec.conversion = *p;
  if (spec.conversion == '\0') return false;
  ++p;
  return true;
}

// `sign` (none for 0), `zeros` zeros and `body`, padded to the width: spaces on the right for
// '-', zeros after the sign for '0' (where the conversion honours it), spaces on the left
// otherwise.
[[gnu::always_inline]] inline bool Padded(Text& out, const Spec& spec, bool zeroPad, char sign,
                                          size_t zeros, Piece body) {
  const size_t length = (sign != 0) + zeros + body.size;
  const size_t pad = static_cast<size_t>(spec.width) > length ? spec.width - length : 0;
  char* to = out.Take(length + pad);
  if (to == nullptr) return false;
  if (!spec.left && !zeroPad) to = Fill(to, kSpaces, pad);
  *to = sign;
  to += sign != 0;
  to = Fill(to, kZeros, zeroPad ? zeros + pad : zeros);
  to = Copy(to, body);
  if (spec.left) Fill(to, kSpaces, pad);
  return true;
}

long long SignedArg(Args& args, Length length) {
  switch (length) {
    case Length::kChar:
      return static_cast<signed char>(va_arg(*args.list, int));
    case Length::kShort:
      return static_cast<short>(va_arg(*args.list, int));
    case Length::kLong:
      return va_arg(*args.list, long);
    case Length::kLongLong:
      return va_arg(*args.list, long long);
    case Length::kSize:
      return va_arg(*args.list, ssize_t);
    case Length::kMax:
      return va_arg(*args.list, intmax_t);
    case Length::kPtrDiff:
      return va_arg(*args.list, ptrdiff_t);
    case Length::kNone:
      break;
  }
  return va_arg(*args.list, int);
}

unsigned long long UnsignedArg(Args& args, Length length) {
  switch (length) {
    case Length::kChar:
      return static_cast<unsigned char>(va_arg(*args.list, unsigned));
    case Length::kShort:
      return static_cast<unsigned short>(va_arg(*args.list, unsigned));
    case Length::kLong:
      return va_arg(*args.list, unsigned long);
    case Length::kLongLong:
      return va_arg(*args.list, unsigned long long);
    case Length::kSize:
      return va_arg(*args.list, size_t);
    case Length::kMax:
      return va_arg(*args.list, uintmax_t);
    case Length::kPtrDiff:
      return static_cast<std::make_unsigned_t<ptrdiff_t>>(va_arg(*args.list, ptrdiff_t));
    case Length::kNone:
      break;
  }
  return va_arg(*args.list, unsigned);
}

// %d %i %u %x %X %o. A precision is the least number of digits (0 shows the value 0 as nothing)
// and turns the '0' flag off; unsigned conversions have no sign.
[[gnu::always_inline]] inline bool Integer(Text& out, const Spec& spec, Args& args) {
  bool negative = false;
  unsigned long long magnitude;
  int base = 10;
  if (spec.conversion == 'd' || spec.conversion == 'i') {
    const long long value = SignedArg(args, spec.length);
    negative = value < 0;
    magnitude = negative ? 0ULL - static_cast<unsigned long long>(value)
                         : static_cast<unsigned long long>(value);
  } else {
    magnitude = UnsignedArg(args, spec.length);
    if (spec.conversion == 'x' || spec.conversion == 'X') base = 16;
    if (spec.conversion == 'o') base = 8;
  }
  char digits[32 + kSlack];
  char* end = digits;
  if (spec.precision != 0 || magnitude != 0) {
    end = std::to_chars(digits, digits + sizeof digits, magnitude, base).ptr;
  }
  if (spec.conversion == 'X') {
    for (char* c = digits; c < end; ++c) {
      if (*c >= 'a') *c = static_cast<char>(*c - 'a' + 'A');
    }
  }
  const auto count = static_cast<size_t>(end - digits);
  const size_t zeros = spec.precision > 0 && static_cast<size_t>(spec.precision) > count
                           ? spec.precision - count
                           : 0;
  const bool isSigned = base == 10 && spec.conversion != 'u';
  char sign = 0;
  if (negative) {
    sign = '-';
  } else if (isSigned && spec.plus) {
    sign = '+';
  } else if (isSigned && spec.space) {
    sign = ' ';
  }
  return Padded(out, spec, spec.zero && !spec.left && spec.precision < 0, sign, zeros,
                {digits, count, true});
}

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

constexpr uint64_t kPowersOfTen[] = {1,
                                     10,
                                     100,
                                     1000,
                                     10000,
                                     100000,
                                     1000000,
                                     10000000,
                                     100000000,
                                     1000000000,
                                     10000000000,
                                     100000000000,
                                     1000000000000,
                                     10000000000000,
                                     100000000000000,
                                     1000000000000000,
                                     10000000000000000,
                                     100000000000000000,
                                     1000000000000000000};

// |value| with `precision` decimals (at most 18) as "%.*f" writes it, when |value| * 10^precision
// rounds to less than 2^64: the double is m * 2^e exactly, so m * 10^precision * 2^e is divided
// in integers and rounded to nearest, a tie to even, as the C library rounds. The text ends at
// `end`; returns where it begins, or nullptr for a value out of that range.
char* FixedByIntegers(char* end, double value, int precision) {
  const auto bits = std::bit_cast<uint64_t>(value);
  const auto biased = static_cast<int>(bits >> 52 & 0x7FF);
  const uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
  const uint64_t mantissa = biased == 0 ? fraction : fraction | uint64_t{1} << 52;
  const int exponent = (biased == 0 ? 1 : biased) - 1075;
  using U128 = unsigned __int128;
  const U128 scaled = U128{mantissa} * kPowersOfTen[precision];  // below 2^113
  U128 rounded;
  if (exponent >= 0) {
    if (exponent > 63) return nullptr;
    rounded = scaled << exponent;
    if (rounded >> exponent != scaled) return nullptr;
  } else if (-exponent >= 128) {
    rounded = 0;  // below half a unit of the last decimal
  } else {
    const int shift = -exponent;
    rounded = scaled >> shift;
    const U128 rest = scaled & ((U128{1} << shift) - 1);
    const U128 half = U128{1} << (shift - 1);
    if (rest > half || (rest == half && (rounded & 1) != 0)) ++rounded;
  }
  if (rounded >> 64 != 0) return nullptr;
  // The digits from the last, two at a time: the decimals, the point, then the whole number.
  auto units = static_cast<uint64_t>(rounded);
  char* at = end;
  int decimals = precision;
  for (; decimals >= 2; decimals -= 2) {
    at -= 2;
    std::memcpy(at, kDigitPairs + 2 * (units % 100), 2);
    units /= 100;
  }
  if (decimals == 1) {
    *--at = static_cast<char>('0' + units % 10);
    units /= 10;
  }
  if (precision > 0) *--at = '.';
  for (; units >= 100; units /= 100) {
    at -= 2;
    std::memcpy(at, kDigitPairs + 2 * (units % 100), 2);
  }
  if (units >= 10) {
    at -= 2;
    std::memcpy(at, kDigitPairs + 2 * units, 2);
  } else {
    *--at = static_cast<char>('0' + units);
  }
  return at;
}

// %f %F %e %E %g %G of a finite double: std::to_chars gives the digits printf gives, correctly
// rounded. Infinities and NaNs are left to the C library.
[[gnu::always_inline]] inline bool Floating(Text& out, const Spec& spec, Args& args) {
  if (spec.length != Length::kNone && spec.length != Length::kLong) return false;
  const double value = va_arg(*args.list, double);
  if (!std::isfinite(value)) return false;
  std::chars_format format = std::chars_format::fixed;
  if (spec.conversion == 'e' || spec.conversion == 'E') format = std::chars_format::scientific;
  if (spec.conversion == 'g' || spec.conversion == 'G') format = std::chars_format::general;
  const int precision = spec.precision < 0 ? 6 : spec.precision;
  char digits[512 + kSlack];
  char* begin = nullptr;
  char* end = nullptr;
  if (format == std::chars_format::fixed && precision <= 18) {
    end = digits + 512;
    begin = FixedByIntegers(end, std::fabs(value), precision);
  }
  if (begin == nullptr) {
    const auto result = std::to_chars(digits, digits + 512, std::fabs(value), format, precision);
    if (result.ec != std::errc()) return false;
    begin = digits;
    end = result.ptr;
  }
  if (spec.conversion == 'E' || spec.conversion == 'G') {
    for (char* c = begin; c < end; ++c) {
      if (*c == 'e') *c = 'E';
    }
  }
  char sign = 0;
  if (std::signbit(value)) {
    sign = '-';
  } else if (spec.plus) {
    sign = '+';
  } else if (spec.space) {
    sign = ' ';
  }
  return Padded(out, spec, spec.zero && !spec.left, sign, 0,
                {begin, static_cast<size_t>(end - begin), true});
}

// %s and %c, padded with spaces; a precision cuts %s. Anything unusual goes to the library.
bool Characters(Text& out, const Spec& spec, Args& args) {
  if (spec.length != Length::kNone || spec.zero || spec.plus || spec.space) return false;
  if (spec.conversion == 'c') {
    if (spec.precision >= 0) return false;
    const char c[kSlack] = {static_cast<char>(static_cast<unsigned char>(va_arg(*args.list, int)))};
    return Padded(out, spec, false, 0, 0, {c, 1, true});
  }
  const char* text = va_arg(*args.list, const char*);
  if (text == nullptr) return false;
  const size_t length =
      spec.precision < 0 ? std::strlen(text) : strnlen(text, static_cast<size_t>(spec.precision));
  return Padded(out, spec, false, 0, 0, {text, length, false});
}

// The whole text, or false where any part of it is left to the C library.
bool Format(Text& out, const char* format, Args& args) {
  const char* p = format;
  for (;;) {
    const char* literal = p;
    while (*p != '%' && *p != '\0')
      ++p;
    if (p != literal) {
      const auto count = static_cast<size_t>(p - literal);
      char* to = out.Take(count);
      if (to == nullptr) return false;
      std::memcpy(to, literal, count);
    }
    if (*p == '\0') return true;
    ++p;
    if (*p == '%') {
      ++p;
      char* to = out.Take(1);
      if (to == nullptr) return false;
      *to = '%';
      continue;
    }
    Spec spec;
    if (!ParseSpec(p, spec)) return false;
    bool written = false;
    switch (spec.conversion) {
      case 'd':
      case 'i':
      case 'u':
      case 'x':
      case 'X':
      case 'o':
        written = Integer(out, spec, args);
        break;
      case 'f':
      case 'F':
      case 'e':
      case 'E':
      case 'g':
      case 'G':
        written = Floating(out, spec, args);
        break;
      case 's':
      case 'c':
        written = Characters(out, spec, args);
        break;
      default:
        break;
    }
    if (!written) return false;
  }
}

std::string VPrintfByLibc(const char* format, va_list args) {
  char small[256];
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(small, sizeof small, format, args);
  std::string text;
  if (length >= 0 && static_cast<size_t>(length) < sizeof small) {
    text.assign(small, static_cast<size_t>(length));
  } else if (length >= 0) {
    text.resize(static_cast<size_t>(length));
    std::vsnprintf(text.data(), text.size() + 1, format, again);
  }
  va_end(again);
  return text;
}

}  // namespace

bool VPrintfWithoutLibc(std::string& text, const char* format, va_list args) {
  Text out;
  va_list work;
  va_copy(work, args);
  Args values{&work};
  const bool done = Format(out, format, values);
  va_end(work);
  if (done) text = out.String();
  return done;
}

// The list is started here rather than copied from a caller's: a copy of the list just written
// stalls the processor on every call.
std::string Printf(const char* format, ...) {
  Text out;
  va_list list;
  va_start(list, format);
  Args values{&list};
  const bool done = Format(out, format, values);
  va_end(list);
  if (done) return out.String();
  va_start(list, format);
  std::string text = VPrintfByLibc(format, list);
  va_end(list);
  return text;
}

}  // namespace zelkon
