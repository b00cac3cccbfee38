// The status, satellite and measurement reports: receiver health (0x46), the raw measurement
// (0x5A) and the ephemeris status (0x5B) of one satellite, the tracking status of one channel
// (0x5C) and the satellite selection (0x6D). Report 0x4B has no struct: its layout is not known.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zelkon {

class JsonObject;

// 0x46, 2 bytes. The second byte is not kept.
struct Health {
  uint8_t status = 0;  // 0 doing fixes, 1 no GPS time, 2 needs initialisation, 3 PDOP too high,
                       // 8 to 11 none to three usable satellites, 12 chosen satellite unusable
};

// 0x5A, 25 bytes: one satellite's measurement.
struct RawMeasurement {
  uint8_t prn = 0;
  float sampleLength = 0;      // milliseconds
  float signalLevel = 0;       // AMU
  float codePhase = 0;         // sixteenths of a chip
  float doppler = 0;           // Hz
  double measurementTime = 0;  // seconds of the week
};

// 0x5B, 16 bytes: the ephemeris the receiver holds for one satellite.
struct EphemerisStatus {
  uint8_t prn = 0;
  float collectionTime = 0;  // seconds of the week
  uint8_t health = 0;
  uint8_t iode = 0;
  float ephemerisTime = 0;  // toe, seconds of the week
  uint8_t fitFlag = 0;      // fit interval flag
  float accuracy = 0;       // URA, metres
};

// 0x5C, 24 bytes: what one receiver channel tracks. The last four bytes are not kept.
struct TrackingStatus {
  uint8_t prn = 0;
  uint8_t channelCode = 0;    // bits 7 to 3: the channel number, from 0
  uint8_t acquisition = 0;    // 0 never acquired, 1 acquired, 2 search re-opened
  uint8_t ephemeris = 0;      // above 0: good ephemeris
  float signalLevel = 0;      // AMU
  float lastMeasurement = 0;  // seconds of the week; 0 while nothing was measured
  float elevation = 0;        // radians
  float azimuth = 0;          // radians, from true north

  int Channel() const { return channelCode >> 3; }
};

// 0x6D, 17 bytes or more: the dilutions of the fix and the satellites selected for it. Byte 0 is
// not kept.
struct SatelliteSelection {
  float pdop = 0;
  float hdop = 0;
  float vdop = 0;
  float tdop = 0;
  std::vector<int8_t> prns;  // as many as the report carries; negative: excluded by the receiver
};

// 0x4B: taken at any length, and nothing of it is read.
struct MachineStatus {};

std::optional<Health> ParseHealth(std::span<const uint8_t> payload);
std::optional<RawMeasurement> ParseRawMeasurement(std::span<const uint8_t> payload);
std::optional<EphemerisStatus> ParseEphemerisStatus(std::span<const uint8_t> payload);
std::optional<TrackingStatus> ParseTrackingStatus(std::span<const uint8_t> payload);
// Any length from 17 bytes: the PRNs are the bytes after the dilutions.
std::optional<SatelliteSelection> ParseSatelliteSelection(std::span<const uint8_t> payload);

void AddJson(const Health& report, JsonObject& out);
void AddJson(const RawMeasurement& report, JsonObject& out);
void AddJson(const EphemerisStatus& report, JsonObject& out);
void AddJson(const TrackingStatus& report, JsonObject& out);
void AddJson(const SatelliteSelection& report, JsonObject& out);

}  // namespace zelkon
