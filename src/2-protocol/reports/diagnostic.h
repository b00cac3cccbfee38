// The receiver's reports on its own state: the EEPROM segment status (0x5F-11) and the fatal
// error and fatal exception reports (0x5F-FF, 0x5F-FE).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace zelkon {

class JsonObject;

// 0x5F-11, 3 bytes: bit n set means segment n was found corrupted and set to its default.
struct SegmentStatus {
  uint16_t status = 0;
};

// 0x5F-FF or 0x5F-FE, of any length: the receiver's own text, all the bytes after the sub-code.
struct FatalReport {
  bool exception = false;  // 0xFE a fatal exception, 0xFF a fatal error
  std::string text;
};

std::optional<SegmentStatus> ParseSegmentStatus(std::span<const uint8_t> payload);
// Nothing for any other sub-code.
std::optional<FatalReport> ParseFatalReport(std::span<const uint8_t> payload);

void AddJson(const SegmentStatus& report, JsonObject& out);
void AddJson(const FatalReport& report, JsonObject& out);

}  // namespace zelkon
