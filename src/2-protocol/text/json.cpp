#include "text/json.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "text/utf8.h"

namespace zelkon {
namespace {

// Room for a short object without growing: the decode tool's report objects, most of the state's.
constexpr size_t kUsualBody = 256;

template <class T>
void AppendNumber(std::string& out, T value) {
  if (!std::isfinite(value)) {
    out += "null";
    return;
  }
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  out.append(text, result.ptr);
}

// A byte that JSON or UTF-8 needs a closer look at: a quote, a backslash, a control character, or
// one of a multi-byte character (or of none).
bool NeedsCare(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte >= 0x80 || c == '"' || c == '\\';
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view text) {
  out += '"';
  size_t plain = 0;
  while (plain < text.size() && !NeedsCare(text[plain]))
    ++plain;
  out.append(text.data(), plain);  // most texts: all of them
  AppendValidUtf8(out, text.substr(plain), [](char c, std::string& to) {
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
  AppendJsonString(body_, text);
  return *this;
}

JsonObject& JsonObject::Add(std::string_view key, bool value) {
  return AddRaw(key, value ? "true" : "false");
}

JsonObject& JsonObject::Add(std::string_view key, float value) {
  AddKey(key);
  AppendNumber(body_, value);
  return *this;
}

JsonObject& JsonObject::Add(std::string_view key, double value) {
  AddKey(key);
  AppendNumber(body_, value);
  return *this;
}

JsonObject& JsonObject::Add(std::string_view key, std::span<const int> values) {
  AddKey(key);
  body_ += '[';
  for (size_t i = 0; i < values.size(); ++i) {
    if (i > 0) body_ += ',';
    char digits[16];
    body_.append(digits, std::to_chars(digits, digits + sizeof digits, values[i]).ptr);
  }
  body_ += ']';
  return *this;
}

JsonObject& JsonObject::AddRaw(std::string_view key, std::string_view json) {
  AddKey(key);
  body_ += json;
  return *this;
}

void JsonObject::AddKey(std::string_view key) {
  if (body_.empty()) {
    body_.reserve(kUsualBody);
  } else {
    body_ += ',';
  }
  AppendJsonString(body_, key);
  body_ += ':';
}

JsonObject& JsonObject::Append(const JsonObject& other) {
  if (!body_.empty() && !other.body_.empty()) body_ += ',';
  body_ += other.body_;
  return *this;
}

}  // namespace zelkon
