// The system data the receiver holds and reports on request: the almanac of one satellite (0x40),
// the almanac health page (0x49) and the UTC parameters (0x4F).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace zelkon {

class JsonObject;

// 0x40, 39 bytes: the almanac of one satellite. Angles in radians.
struct Almanac {
  uint8_t prn = 0;
  float collectionTime = 0;  // T_zc, s
  uint16_t week = 0;
  float eccentricity = 0;
  float almanacTime = 0;         // T_oa, s
  float inclination = 0;         // i_o, rad
  float rightAscensionRate = 0;  // OMEGA_dot, rad/s
  float sqrtSemiMajorAxis = 0;   // square root of A, m^(1/2)
  float rightAscension = 0;      // OMEGA 0, rad
  float argumentOfPerigee = 0;   // omega, rad
  float meanAnomaly = 0;         // M o, rad
};

inline constexpr int kAlmanacHealthSatellites = 32;

// 0x49, 32 bytes: the almanac health of satellites 1 to 32 (entry 0 is satellite 1; 0 is healthy).
struct AlmanacHealth {
  std::array<uint8_t, kAlmanacHealthSatellites> health{};
};

// 0x4F, 26 bytes: the GPS to UTC correction parameters.
struct UtcParams {
  double a0 = 0;           // s
  float a1 = 0;            // s/s
  uint16_t deltaTls = 0;   // delta_t_LS, s: the leap seconds now
  float tot = 0;           // t_ot, s: the reference time of week
  uint16_t wnT = 0;        // WN_t: the reference week
  uint16_t wnLsf = 0;      // WN_LSF: the week of the next leap second
  uint16_t dn = 0;         // DN: its day of that week
  uint16_t deltaTlsf = 0;  // delta_t_LSF, s: the leap seconds after it
};

std::optional<Almanac> ParseAlmanac(std::span<const uint8_t> payload);
std::optional<AlmanacHealth> ParseAlmanacHealth(std::span<const uint8_t> payload);
std::optional<UtcParams> ParseUtcParams(std::span<const uint8_t> payload);

void AddJson(const Almanac& report, JsonObject& out);
void AddJson(const AlmanacHealth& report, JsonObject& out);
void AddJson(const UtcParams& report, JsonObject& out);

}  // namespace zelkon
