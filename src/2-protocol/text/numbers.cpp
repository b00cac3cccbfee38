#include "text/numbers.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace zelkon {
namespace {

constexpr std::string_view kBlanks = " \t";

// The text without the blanks around it, and without a leading plus sign (from_chars knows only
// the minus sign); nothing when a sign follows the plus.
std::optional<std::string_view> Bare(std::string_view text) {
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return std::nullopt;
  text = text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
  if (text.front() == '+') {
    text.remove_prefix(1);
    if (text.empty() || text.front() == '+' || text.front() == '-') return std::nullopt;
  }
  return text;
}

// from_chars over the whole of `text`; nothing when it stops before the end.
template <class T, class... Format>
std::optional<T> Whole(std::string_view text, Format... format) {
  T value{};
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value, format...);
  if (error != std::errc() || stop != end) return std::nullopt;
  return value;
}

}  // namespace

std::optional<double> ParseDecimal(std::string_view text) {
  const std::optional<std::string_view> bare = Bare(text);
  if (!bare) return std::nullopt;
  const std::optional<double> value = Whole<double>(*bare, std::chars_format::general);
  if (!value || !std::isfinite(*value)) return std::nullopt;
  return value;
}

std::optional<int64_t> ParseWhole(std::string_view text) {
  const std::optional<std::string_view> bare = Bare(text);
  if (!bare) return std::nullopt;
  return Whole<int64_t>(*bare, 10);
}

std::string DecimalText(double value) {
  // The longest such texts: the largest double, 309 digits, and the smallest, "0." and 324 digits.
  char text[400];
  const auto [end, error] =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
  if (error != std::errc()) return {};
  return std::string(text, end);
}

}  // namespace zelkon
