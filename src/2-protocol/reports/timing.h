// The timing superpackets: primary timing (0x8F-AB), supplemental timing (0x8F-AC) and primary UTC
// time (0x8F-AD).
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace zelkon {

class JsonObject;

// 0x8F-AB, 17 bytes.
struct TimingPrimary {
  uint32_t timeOfWeek = 0;  // seconds
  uint16_t week = 0;
  int16_t utcOffset = 0;    // seconds, GPS minus UTC
  uint8_t timingFlags = 0;  // bit 0 set: the calendar fields are UTC; clear: GPS time
  uint8_t seconds = 0;
  uint8_t minutes = 0;
  uint8_t hours = 0;
  uint8_t day = 0;    // of the month
  uint8_t month = 0;  // 1 to 12
  uint16_t year = 0;

  bool CalendarIsUtc() const { return (timingFlags & 0x01) != 0; }
};

// 0x8F-AC, 68 bytes.
struct TimingSupplemental {
  uint8_t receiverMode = 0;        // 0 to 7
  uint8_t selfSurveyProgress = 0;  // percent
  uint16_t minorAlarms = 0;        // bit n: alarm n
  uint8_t receiverStatus = 0;      // 0 to 16
  float ppsOffset = 0;             // local clock (PPS) offset, ns
  float oscillatorOffset = 0;      // ppb
  double latitude = 0;             // radians
  double longitude = 0;            // radians
  double altitude = 0;             // metres
  float quantizationError = 0;     // PPS quantization error, ns
  bool ppsGenerated = false;

  static constexpr uint16_t kNoUsableSatellites = 1U << 3;  // minor alarm bit 3
  static constexpr uint16_t kTestMode = 1U << 8;            // minor alarm bit 8
};

// 0x8F-AD, 22 bytes.
struct PrimaryUtcTime {
  uint16_t eventCount = 0;
  double fraction = 0;  // of the second
  uint8_t hours = 0;
  uint8_t minutes = 0;
  uint8_t seconds = 0;
  uint8_t day = 0;
  uint8_t month = 0;  // 1 to 12
  uint16_t year = 0;
  uint8_t receiverStatus = 0;  // 0 to 13
  uint8_t flags = 0;           // bit 0 UTC available; 4 leap scheduled; 5 pending; 6 warning;
                               // 7 in progress

  static constexpr uint8_t kUtcAvailable = 1U << 0;
  static constexpr uint8_t kLeapInProgress = 1U << 7;
};

std::optional<TimingPrimary> ParseTimingPrimary(std::span<const uint8_t> payload);
std::optional<TimingSupplemental> ParseTimingSupplemental(std::span<const uint8_t> payload);
std::optional<PrimaryUtcTime> ParsePrimaryUtcTime(std::span<const uint8_t> payload);

void AddJson(const TimingPrimary& report, JsonObject& out);
void AddJson(const TimingSupplemental& report, JsonObject& out);
void AddJson(const PrimaryUtcTime& report, JsonObject& out);

}  // namespace zelkon
