#include "text/json.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "text/utf8.h"

namespace zelkon {
namespace {

// The bytes JSON or UTF-8 needs a closer look at: a quote, a backslash, a control character, and
// those of a multi-byte character (or of none).
constexpr std::array<bool, 256> kNeedsCare = [] {
  std::array<bool, 256> care{};
  for (size_t byte = 0; byte < care.size(); ++byte)
    care[byte] = byte < 0x20 || byte >= 0x80 || byte == '"' || byte == '\\';
  return care;
}();

// Whether any of the eight bytes of `word` needs care: one below 0x20 or from 0x80 up, a quote or
// a backslash. Each test looks at all eight bytes at once and is exact for the word as a whole.
bool NeedsCare(uint64_t word) {
  constexpr uint64_t kOnes = 0x0101010101010101;
  constexpr uint64_t kHigh = 0x8080808080808080;
  const auto hasZero = [](uint64_t v) { return (v - kOnes) & ~v & kHigh; };
  const uint64_t below = (word - kOnes * 0x20) & ~word & kHigh;
  return ((below | (word & kHigh) | hasZero(word ^ (kOnes * '"')) |
           hasZero(word ^ (kOnes * '\\'))) != 0);
}

template <class T>
T Load(const char* at) {
  T value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

// The bytes of `text` as one word to test, whole words of it with overlaps: all 8 bytes of a short
// text are covered by two 4-byte loads (4 to 7 bytes) or three single bytes (1 to 3), the bytes
// left over filled with a letter.
uint64_t ShortWord(std::string_view text) {
  const char* p = text.data();
  const size_t n = text.size();
  if (n >= 4) return Load<uint32_t>(p) | uint64_t{Load<uint32_t>(p + n - 4)} << 32;
  constexpr uint64_t kLetters = 0x6161616161000000;  // "aaaaa" above three bytes
  return static_cast<unsigned char>(p[0]) | uint64_t{static_cast<unsigned char>(p[n / 2])} << 8 |
         uint64_t{static_cast<unsigned char>(p[n - 1])} << 16 | kLetters;
}

// The length of the start of `text` that is written as it is: eight bytes at a time, the last
// eight (overlapping) for the rest, and byte by byte only from where a byte needs care.
[[gnu::always_inline]] inline size_t PlainLength(std::string_view text) {
  size_t plain = 0;
  if (text.size() >= 8) {
    while (plain + 8 <= text.size() && !NeedsCare(Load<uint64_t>(text.data() + plain)))
      plain += 8;
    if (plain == text.size() ||
        (plain + 8 > text.size() && !NeedsCare(Load<uint64_t>(text.data() + text.size() - 8)))) {
      return text.size();
    }
  } else if (text.empty() || !NeedsCare(ShortWord(text))) {
    return text.size();
  }
  while (plain < text.size() && !kNeedsCare[static_cast<unsigned char>(text[plain])])
    ++plain;
  return plain;
}

// Appends `text` escaped and as valid UTF-8.
void AppendValid(std::string& out, std::string_view text) {
  AppendValidUtf8(out, text, [](char c, std::string& to) {
    switch (c) {
      case '"':
        to += "\\\"";
        break;
      case '\\':
        to += "\\\\";
        break;
      case '\n':
        to += "\\n";
        break;
      case '\r':
        to += "\\r";
        break;
      case '\t':
        to += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
          to += escaped;
        } else {
          to += c;
        }
    }
  });
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view text) {
  out += '"';
  const size_t plain = PlainLength(text);
  out.append(text.data(), plain);  // most texts: all of them
  if (plain < text.size()) AppendValid(out, text.substr(plain));
  out += '"';
}

std::string JsonString(std::string_view text) {
  std::string json;
  json.reserve(text.size() + 2);
  AppendJsonString(json, text);
  return json;
}

JsonObject& JsonObject::Add(std::string_view key, std::string_view text) {
  AddKey(key);
  WriteString(text);
  return *this;
}

JsonObject& JsonObject::Add(std::string_view key, bool value) {
  return AddRaw(key, value ? "true" : "false");
}

JsonObject& JsonObject::Add(std::string_view key, float value) {
  AddKey(key);
  WriteNumber(value);
  return *this;
}

JsonObject& JsonObject::Add(std::string_view key, double value) {
  AddKey(key);
  WriteNumber(value);
  return *this;
}

JsonObject& JsonObject::Add(std::string_view key, std::span<const int> values) {
  AddKey(key);
  Put('[');
  for (size_t i = 0; i < values.size(); ++i) {
    if (i > 0) Put(',');
    constexpr size_t kDigits = 12;
    char* at = Room(kDigits);
    used_ += static_cast<size_t>(std::to_chars(at, at + kDigits, values[i]).ptr - at);
  }
  Put(']');
  return *this;
}

JsonObject& JsonObject::AddRaw(std::string_view key, std::string_view json) {
  AddKey(key);
  Write(json);
  return *this;
}

JsonObject& JsonObject::Append(const JsonObject& other) {
  if (used_ > 0 && other.used_ > 0) Put(',');
  Write(std::string_view(other.data_, other.used_));
  return *this;
}

void JsonObject::Grow(size_t count) {
  const size_t capacity = std::max(2 * capacity_, used_ + count);
  auto grown = std::make_unique_for_overwrite<char[]>(capacity);
  std::memcpy(grown.get(), data_, used_);
  grown_ = std::move(grown);
  data_ = grown_.get();
  capacity_ = capacity;
}

void JsonObject::Write(std::string_view bytes) {
  if (bytes.empty()) return;
  std::memcpy(Room(bytes.size()), bytes.data(), bytes.size());
  used_ += bytes.size();
}

void JsonObject::WriteString(std::string_view text) {
  if (PlainLength(text) == text.size()) {
    char* at = Room(text.size() + 2);
    *at = '"';
    if (!text.empty()) std::memcpy(at + 1, text.data(), text.size());
    at[text.size() + 1] = '"';
    used_ += text.size() + 2;
  } else {
    std::string escaped;
    AppendJsonString(escaped, text);
    Write(escaped);
  }
}

template <class T>
void JsonObject::WriteNumber(T value) {
  if (!std::isfinite(value)) {
    Write("null");
    return;
  }
  constexpr size_t kLongest = 32;
  char* at = Room(kLongest);
  used_ += static_cast<size_t>(std::to_chars(at, at + kLongest, value).ptr - at);
}

void JsonObject::AddKey(std::string_view key) {
  if (PlainLength(key) == key.size()) {  // the names of fields: in one piece with the punctuation
    char* const start = Room(key.size() + 4);
    char* at = start;
    if (used_ > 0) *at++ = ',';
    *at++ = '"';
    if (!key.empty()) std::memcpy(at, key.data(), key.size());
    at += key.size();
    *at++ = '"';
    *at++ = ':';
    used_ += static_cast<size_t>(at - start);
    return;
  }
  if (used_ > 0) Put(',');
  WriteString(key);
  Put(':');
}

}  // namespace zelkon
