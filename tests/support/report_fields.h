// Helpers of the report parser tests: an emulator packet through a parser or through ReportJson,
// and the fields of one JSON object.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "reports/report_types.h"
#include "sim/packet.h"

namespace zelkon::testing {

template <auto Parse>
auto ParsePacket(const sim::Packet& packet) {
  return Parse(std::span<const uint8_t>(packet.payload));
}

inline std::string PacketJson(const sim::Packet& packet) {
  return ReportJson(packet.id, packet.payload);
}

// The raw text of a field's value in one JSON object ("12.5", "true", "\"gpsTime\"", "[1,-2]");
// "" when the object has no such field.
inline std::string FieldText(const std::string& json, const std::string& key) {
  const std::string quoted = "\"" + key + "\":";
  const size_t at = json.find(quoted);
  if (at == std::string::npos) return "";
  const size_t start = at + quoted.size();
  const size_t end =
      json[start] == '[' ? json.find(']', start) + 1 : json.find_first_of(",}", start);
  return json.substr(start, end - start);
}

// A numeric field; a float or double written by ReportJson reads back as the same value.
inline double FieldNumber(const std::string& json, const std::string& key) {
  const std::string text = FieldText(json, key);
  EXPECT_FALSE(text.empty()) << key << " missing in " << json;
  return std::strtod(text.c_str(), nullptr);
}

// The parser of a report takes exactly its length: one byte less or more, or nothing, does not
// parse, and the JSON then names no report and keeps the payload instead.
template <auto Parse>
void ExpectExactLengthOnly(const sim::Packet& packet) {
  SCOPED_TRACE(::testing::Message() << "report 0x" << std::hex << int{packet.id} << " of "
                                    << std::dec << packet.payload.size() << " bytes");
  std::vector<uint8_t> bytes = packet.payload;
  const size_t length = bytes.size();
  bytes.push_back(0);
  const std::span<const uint8_t> all(bytes);
  EXPECT_TRUE(Parse(all.first(length)));
  EXPECT_FALSE(Parse(all.first(length - 1)));
  EXPECT_FALSE(Parse(all.first(length + 1)));
  EXPECT_FALSE(Parse(all.first(0)));
  for (const size_t wrong : {length - 1, length + 1}) {
    const std::string json = ReportJson(packet.id, all.first(wrong));
    EXPECT_EQ(FieldText(json, "parsed"), "false") << json;
    EXPECT_EQ(FieldText(json, "report"), "") << json;
    EXPECT_NE(FieldText(json, "payload"), "") << json;
  }
}

}  // namespace zelkon::testing
