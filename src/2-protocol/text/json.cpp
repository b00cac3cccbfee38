#include "text/json.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "text/utf8.h"

namespace zelkon {
namespace {

template <class T>
std::string NumberText(T value) {
  if (!std::isfinite(value)) return "null";
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

}  // namespace

std::string JsonString(std::string_view text) {
  std::string json = "\"";
  json.reserve(text.size() + 2);
  AppendValidUtf8(json, text, [](char c, std::string& out) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  });
  return json + "\"";
}

JsonObject& JsonObject::Add(std::string_view key, std::string_view text) {
  return AddRaw(key, JsonString(text));
}

JsonObject& JsonObject::Add(std::string_view key, bool value) {
  return AddRaw(key, value ? "true" : "false");
}

JsonObject& JsonObject::Add(std::string_view key, float value) {
  return AddRaw(key, NumberText(value));
}

JsonObject& JsonObject::Add(std::string_view key, double value) {
  return AddRaw(key, NumberText(value));
}

JsonObject& JsonObject::Add(std::string_view key, std::span<const int> values) {
  std::string list = "[";
  for (const int value : values) {
    if (list.size() > 1) list += ',';
    list += std::to_string(value);
  }
  return AddRaw(key, list + "]");
}

JsonObject& JsonObject::AddRaw(std::string_view key, std::string_view json) {
  if (!body_.empty()) body_ += ',';
  body_ += JsonString(key);
  body_ += ':';
  body_ += json;
  return *this;
}

JsonObject& JsonObject::Append(const JsonObject& other) {
  if (!body_.empty() && !other.body_.empty()) body_ += ',';
  body_ += other.body_;
  return *this;
}

}  // namespace zelkon
