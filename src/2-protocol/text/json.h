// JSON text: quoted strings and one object written field by field, for the decode tool's report
// objects and the headless run's main-window state.
#pragma once

#include <charconv>
#include <concepts>
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
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return AddRaw(key, std::string_view(digits, static_cast<size_t>(end - digits)));
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
    text.reserve(body_.size() + 2);
    text += '{';
    text += body_;
    text += '}';
    return text;
  }

 private:
  // `key` as the next field's name, after a comma where fields come before it.
  void AddKey(std::string_view key);

  std::string body_;
};

}  // namespace zelkon
