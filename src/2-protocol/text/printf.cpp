#include "text/printf.h"

#include <sys/types.h>
#include <bit>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace zelkon {
namespace printf_format {
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
  void CopyTo(std::string& text) const { text.assign(buffer_, used_); }

 private:
  static constexpr size_t kCapacity = 512;
  char buffer_[kCapacity + kSlack];
  size_t used_ = 0;
};

// The text of a conversion; `slack` when kSlack bytes may be read from its start whatever its
// size (the conversion's own digits), not for a caller's string.
struct Body {
  const char* data;
  size_t size;
  bool slack;
};

constexpr char kSpaces[kSlack + 1] = "                                ";
constexpr char kZeros[kSlack + 1] = "00000000000000000000000000000000";

// `text` at `to` (kSlack bytes past it writable); returns the end of what was written.
char* Copy(char* to, Body text) {
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

// `sign` (none for 0), `zeros` zeros and `body`, padded to the width: spaces on the right for
// '-', zeros after the sign for '0' (where the conversion honours it), spaces on the left
// otherwise.
[[gnu::always_inline]] inline bool Padded(Text& out, const Spec& spec, bool zeroPad, char sign,
                                          size_t zeros, Body body) {
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

// An integer value as its conversion reads it: at the width of its length modifier, signed or
// not, as va_arg would take it.
long long SignedOf(long long value, Length length) {
  switch (length) {
    case Length::kChar:
      return static_cast<signed char>(value);
    case Length::kShort:
      return static_cast<short>(value);
    case Length::kLong:
      return static_cast<long>(value);
    case Length::kLongLong:
      return value;
    case Length::kSize:
      return static_cast<ssize_t>(value);
    case Length::kMax:
      return static_cast<intmax_t>(value);
    case Length::kPtrDiff:
      return static_cast<ptrdiff_t>(value);
    case Length::kNone:
      break;
  }
  return static_cast<int>(value);
}

unsigned long long UnsignedOf(long long value, Length length) {
  switch (length) {
    case Length::kChar:
      return static_cast<unsigned char>(value);
    case Length::kShort:
      return static_cast<unsigned short>(value);
    case Length::kLong:
      return static_cast<unsigned long>(value);
    case Length::kLongLong:
      return static_cast<unsigned long long>(value);
    case Length::kSize:
      return static_cast<size_t>(value);
    case Length::kMax:
      return static_cast<uintmax_t>(value);
    case Length::kPtrDiff:
      return static_cast<std::make_unsigned_t<ptrdiff_t>>(value);
    case Length::kNone:
      break;
  }
  return static_cast<unsigned>(value);
}

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The decimal digits of `units` (at least one), written backwards so that they end at `end`;
// returns where they begin. Two digits at a time.
char* WholeDigits(char* end, uint64_t units) {
  char* at = end;
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

// %d %i %u %x %X %o. A precision is the least number of digits (0 shows the value 0 as nothing)
// and turns the '0' flag off; unsigned conversions have no sign.
[[gnu::always_inline]] inline bool Integer(Text& out, const Spec& spec, long long value) {
  bool negative = false;
  unsigned long long magnitude;
  int base = 10;
  if (spec.conversion == 'd' || spec.conversion == 'i') {
    const long long read = SignedOf(value, spec.length);
    negative = read < 0;
    magnitude = negative ? 0ULL - static_cast<unsigned long long>(read)
                         : static_cast<unsigned long long>(read);
  } else {
    magnitude = UnsignedOf(value, spec.length);
    if (spec.conversion == 'x' || spec.conversion == 'X') base = 16;
    if (spec.conversion == 'o') base = 8;
  }
  char digits[32 + kSlack];
  char* const end = digits + 32;
  char* begin = end;
  if (spec.precision != 0 || magnitude != 0) {
    if (base == 10) {
      begin = WholeDigits(end, magnitude);
    } else {
      const char* symbols = spec.conversion == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
      const int bits = base == 16 ? 4 : 3;
      do {
        *--begin = symbols[magnitude & static_cast<unsigned>(base - 1)];
        magnitude >>= bits;
      } while (magnitude != 0);
    }
  }
  const auto count = static_cast<size_t>(end - begin);
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
                {begin, count, true});
}

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
[[gnu::always_inline]] inline char* FixedByIntegers(char* end, double value, int precision) {
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
  return WholeDigits(at, units);
}

// %f %F %e %E %g %G of a finite double: std::to_chars gives the digits printf gives, correctly
// rounded. Infinities and NaNs are left to the C library.
[[gnu::always_inline]] inline bool Floating(Text& out, const Spec& spec, double value) {
  if (spec.length != Length::kNone && spec.length != Length::kLong) return false;
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
[[gnu::always_inline]] inline bool Characters(Text& out, const Spec& spec, Value value) {
  if (spec.length != Length::kNone || spec.zero || spec.plus || spec.space) return false;
  if (spec.conversion == 'c') {
    if (spec.precision >= 0) return false;
    const char c[kSlack] = {static_cast<char>(static_cast<unsigned char>(value.integer))};
    return Padded(out, spec, false, 0, 0, {c, 1, true});
  }
  const char* text = value.text;
  if (text == nullptr) return false;
  const size_t length =
      spec.precision < 0 ? std::strlen(text) : strnlen(text, static_cast<size_t>(spec.precision));
  return Padded(out, spec, false, 0, 0, {text, length, false});
}

// The format's own text of `literal`, "%%" as '%'.
[[gnu::always_inline]] inline bool CopyLiteral(Text& out, const char* format, Literal literal) {
  const size_t count = literal.end - literal.begin;
  if (count == 0) return true;
  const char* from = format + literal.begin;
  if (!literal.escaped) {
    char* to = out.Take(count);
    if (to == nullptr) return false;
    std::memcpy(to, from, count);
    return true;
  }
  for (const char* end = format + literal.end; from < end; ++from) {
    char* to = out.Take(1);
    if (to == nullptr) return false;
    *to = *from;
    if (*from == '%') ++from;  // the second of "%%"
  }
  return true;
}

[[gnu::always_inline]] inline bool Convert(Text& out, const Spec& spec, Value value) {
  switch (spec.conversion) {
    case 'd':
    case 'i':
    case 'u':
    case 'x':
    case 'X':
    case 'o':
      return Integer(out, spec, value.integer);
    case 's':
    case 'c':
      return Characters(out, spec, value);
    default:
      return Floating(out, spec, value.real);
  }
}

// The value of a conversion taken from the list, as Printf would have it.
Value ValueFromList(const Spec& spec, va_list* list) {
  switch (spec.conversion) {
    case 's':
      return Value{.text = va_arg(*list, const char*)};
    case 'c':
      return Value{.integer = va_arg(*list, int)};
    case 'd':
    case 'i':
    case 'u':
    case 'x':
    case 'X':
    case 'o':
      switch (spec.length) {
        case Length::kLong:
          return Value{.integer = va_arg(*list, long)};
        case Length::kLongLong:
          return Value{.integer = va_arg(*list, long long)};
        case Length::kSize:
          return Value{.integer = static_cast<long long>(va_arg(*list, size_t))};
        case Length::kMax:
          return Value{.integer = va_arg(*list, intmax_t)};
        case Length::kPtrDiff:
          return Value{.integer = va_arg(*list, ptrdiff_t)};
        default:
          return Value{.integer = va_arg(*list, int)};
      }
    default:
      return Value{.real = va_arg(*list, double)};
  }
}

}  // namespace

bool Formatted(std::string& text, const char* format, const uint64_t* pieces, const Value* values,
               size_t count, uint64_t tail) {
  Text out;
  for (size_t i = 0; i < count; ++i) {
    const Piece piece = Unpack(pieces[i]);
    if (!CopyLiteral(out, format, piece.before) || !Convert(out, piece.spec, values[i])) {
      return false;
    }
  }
  if (!CopyLiteral(out, format, Unpack(tail).before)) return false;
  out.CopyTo(text);
  return true;
}

std::string ByLibrary(const char* format, ...) {
  va_list args;
  va_start(args, format);
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
  va_end(args);
  return text;
}

}  // namespace printf_format

bool VPrintfWithoutLibc(std::string& text, const char* format, va_list args) {
  using namespace printf_format;
  va_list list;
  va_copy(list, args);
  Text out;
  const char* p = format;
  bool done = false;
  for (;;) {
    Literal literal;
    if (!ReadLiteral(format, p, literal) || !CopyLiteral(out, format, literal)) break;
    if (*p == '\0') {
      done = true;
      break;
    }
    ++p;
    Spec spec;
    if (!ParseSpec(p, spec) || !Convert(out, spec, ValueFromList(spec, &list))) break;
  }
  va_end(list);
  if (done) out.CopyTo(text);
  return done;
}

}  // namespace zelkon
