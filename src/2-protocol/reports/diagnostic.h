// The receiver's reports on its own state: the EEPROM segment status (0x5F-11).
#pragma once

#include <cstdint>
#include <optional>

namespace zelkon {

class JsonObject;

// 0x5F-11, 3 bytes: bit n set means segment n was found corrupted and set to its default.
struct SegmentStatus {
  uint16_t status = 0;
};

std::optional<SegmentStatus> ParseSegmentStatus(const uint8_t* payload, int length);

void AddJson(const SegmentStatus& report, JsonObject& out);

}  // namespace zelkon
