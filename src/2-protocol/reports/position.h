// The position, velocity and time reports: GPS time (0x41), the ECEF and LLA positions in single
// (0x42, 0x4A) and double precision (0x83, 0x84), the ECEF and ENU velocities (0x43, 0x56), the
// reference altitude (0x4A of 9 bytes), the answer to an initial time (0x4E) and the comprehensive
// time report (0x8F-0B).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace zelkon {

class JsonObject;

// 0x41, 10 bytes.
struct GpsTime {
  float timeOfWeek = 0;  // seconds; negative while the receiver has no time
  uint16_t week = 0;
  float utcOffset = 0;  // seconds, GPS minus UTC
};

// 0x42, 16 bytes. The time of the fix that follows is not kept.
struct EcefPositionSingle {
  float x = 0;  // metres
  float y = 0;
  float z = 0;
};

// 0x43, 20 bytes. The time of the fix that follows is not kept.
struct EcefVelocity {
  float x = 0;  // metres per second
  float y = 0;
  float z = 0;
  float clockBiasRate = 0;  // metres per second
};

// 0x4A, 20 bytes. The time of the fix that follows is not kept.
struct LlaPositionSingle {
  float latitude = 0;   // radians
  float longitude = 0;  // radians
  float altitude = 0;   // metres
  float clockBias = 0;  // metres
};

// 0x4A, 9 bytes: the altitude used for 2D fixes.
struct ReferenceAltitude {
  float altitude = 0;  // metres
};

// 0x4E, 1 byte: the receiver's answer to an initial time.
struct TimeAccepted {
  uint8_t answer = 0;  // 'Y': taken; anything else: refused

  bool Accepted() const { return answer == 'Y'; }
};

// 0x56, 20 bytes. The time of the fix that follows is not kept.
struct EnuVelocity {
  float east = 0;  // metres per second
  float north = 0;
  float up = 0;
  float clockBiasRate = 0;  // metres per second
};

// 0x83, 36 bytes. The time of the fix that follows (a SINGLE) is not kept.
struct EcefPositionDouble {
  double x = 0;  // metres
  double y = 0;
  double z = 0;
  double clockBias = 0;  // metres
};

// 0x84, 36 bytes. The time of the fix that follows (a SINGLE) is not kept.
struct LlaPositionDouble {
  double latitude = 0;   // radians
  double longitude = 0;  // radians
  double altitude = 0;   // metres
  double clockBias = 0;  // metres
};

// 0x8F-0B, 74 bytes.
struct ComprehensiveTime {
  uint16_t eventCount = 0;  // 0: the report of a second, not of an event
  double timeOfWeek = 0;    // seconds, GPS or UTC by the sign of utcOffset
  uint8_t day = 0;
  uint8_t month = 0;  // 1 to 12
  uint16_t year = 0;
  int8_t receiverMode = 0;    // 0 2D, 1 3D, 2 single satellite, 3 automatic, 4 DGPS reference,
                              // 5 clock hold, 6 overdetermined clock
  int16_t utcOffset = 0;      // seconds; below 0: timeOfWeek is GPS time, above 0: UTC, 0: unknown
  double clockBias = 0;       // metres
  double clockDriftRate = 0;  // metres per second
  float clockBiasUncertainty = 0;   // metres
  float clockDriftUncertainty = 0;  // metres per second
  double latitude = 0;              // radians
  double longitude = 0;             // radians
  double altitude = 0;              // metres
  // Satellites: above 0 used for fixes, below 0 tracked only (the PRN negated), 0 an empty slot.
  std::array<int8_t, 8> prns = {};
};

std::optional<GpsTime> ParseGpsTime(std::span<const uint8_t> payload);
std::optional<EcefPositionSingle> ParseEcefPositionSingle(std::span<const uint8_t> payload);
std::optional<EcefVelocity> ParseEcefVelocity(std::span<const uint8_t> payload);
std::optional<LlaPositionSingle> ParseLlaPositionSingle(std::span<const uint8_t> payload);
std::optional<ReferenceAltitude> ParseReferenceAltitude(std::span<const uint8_t> payload);
std::optional<TimeAccepted> ParseTimeAccepted(std::span<const uint8_t> payload);
std::optional<EnuVelocity> ParseEnuVelocity(std::span<const uint8_t> payload);
std::optional<EcefPositionDouble> ParseEcefPositionDouble(std::span<const uint8_t> payload);
std::optional<LlaPositionDouble> ParseLlaPositionDouble(std::span<const uint8_t> payload);
std::optional<ComprehensiveTime> ParseComprehensiveTime(std::span<const uint8_t> payload);

void AddJson(const GpsTime& report, JsonObject& out);
void AddJson(const EcefPositionSingle& report, JsonObject& out);
void AddJson(const EcefVelocity& report, JsonObject& out);
void AddJson(const LlaPositionSingle& report, JsonObject& out);
void AddJson(const ReferenceAltitude& report, JsonObject& out);
void AddJson(const TimeAccepted& report, JsonObject& out);
void AddJson(const EnuVelocity& report, JsonObject& out);
void AddJson(const EcefPositionDouble& report, JsonObject& out);
void AddJson(const LlaPositionDouble& report, JsonObject& out);
void AddJson(const ComprehensiveTime& report, JsonObject& out);

}  // namespace zelkon
