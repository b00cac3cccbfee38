// JSON text: quoted strings and one object written field by field, for the decode tool's report
// objects and the headless run's main-window state.
#pragma once

#include <charconv>
#include <concepts>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace zelkon {

// `text` as a JSON string: quoted, with quotes, backslashes and control characters escaped. Valid
// UTF-8 passes through; each byte that is not part of a UTF-8 character becomes U+FFFD
// (text/utf8.h), so that the string is valid UTF-8 whatever bytes `text` holds.
std::string JsonString(std::string_view text);
// The same, appended to `out`.
void AppendJsonString(std::string& out, std::string_view text);

// One JSON object; the fields come out in the order they are added.
class JsonObject {
 public:
  JsonObject& Add(std::string_view key, std::string_view text);
  JsonObject& Add(std::string_view key, const char* text) {
    return Add(key, std::string_view(text));
  }
  JsonObject& Add(std::string_view key, bool value);
  template <std::integral T>
  JsonObject& Add(std::string_view key, T value) {
    AddKey(key);
    constexpr size_t kDigits = 24;
    char* at = Room(kDigits);
    used_ += static_cast<size_t>(std::to_chars(at, at + kDigits, value).ptr - at);
    return *this;
  }
  // The shortest text that reads back as the same value; null for NaN and infinities, which JSON
  // cannot hold. A float is written as a float, so 3.23f gives 3.23, not 3.2300000190734863.
  JsonObject& Add(std::string_view key, float value);
  JsonObject& Add(std::string_view key, double value);
  JsonObject& Add(std::string_view key, std::span<const int> values);
  // `json` must already be a JSON value.
  JsonObject& AddRaw(std::string_view key, std::string_view json);
  // The fields of `other`, after these.
  JsonObject& Append(const JsonObject& other);

  std::string Text() const {
    std::string text;
    text.reserve(used_ + 2);
    text += '{';
    text.append(data_, used_);
    text += '}';
    return text;
  }

  JsonObject() = default;
  JsonObject(const JsonObject& other) { Write({other.data_, other.used_}); }
  JsonObject& operator=(const JsonObject& other) {
    if (this != &other) {
      used_ = 0;
      Write({other.data_, other.used_});
    }
    return *this;
  }

 private:
  // Where `count` more bytes of the fields go: the body grows to hold them.
  char* Room(size_t count) {
    if (capacity_ - used_ < count) Grow(count);
    return data_ + used_;
  }
  void Grow(size_t count);
  void Put(char c) {
    *Room(1) = c;
    ++used_;
  }
  void Write(std::string_view bytes);
  // `text` as a JSON string.
  void WriteString(std::string_view text);
  template <class T>
  void WriteNumber(T value);
  // `key` as the next field's name, after a comma where fields come before it.
  void AddKey(std::string_view key);

  // The fields written so far are the first used_ bytes of data_: the object's own bytes while
  // they hold them (a report's fields do), else `grown`.
  static constexpr size_t kOwnBytes = 320;
  char own_[kOwnBytes];
  std::unique_ptr<char[]> grown_;
  char* data_ = own_;
  size_t capacity_ = kOwnBytes;
  size_t used_ = 0;
};

}  // namespace zelkon
