#include "reports/system_data.h"

#include <span>
#include <vector>

#include "link/codec.h"
#include "reports/report_types.h"
#include "text/angles.h"

namespace zelkon {
namespace {

namespace almanac {
constexpr int kLength = 39;
constexpr int kPrn = 0;
constexpr int kCollectionTime = 1;
constexpr int kWeek = 5;
constexpr int kEccentricity = 7;
constexpr int kAlmanacTime = 11;
constexpr int kInclination = 15;
constexpr int kRightAscensionRate = 19;
constexpr int kSqrtSemiMajorAxis = 23;
constexpr int kRightAscension = 27;
constexpr int kArgumentOfPerigee = 31;
constexpr int kMeanAnomaly = 35;
}  // namespace almanac

namespace health {
constexpr int kLength = kAlmanacHealthSatellites;
}  // namespace health

namespace utc {
constexpr int kLength = 26;
constexpr int kA0 = 0;
constexpr int kA1 = 8;
constexpr int kDeltaTls = 12;
constexpr int kTot = 14;
constexpr int kWnT = 18;
constexpr int kWnLsf = 20;
constexpr int kDn = 22;
constexpr int kDeltaTlsf = 24;
}  // namespace utc

constexpr ReportType kTypes[] = {
    Row<ParseAlmanac>({0x40}, almanac::kLength, "almanac"),
    Row<ParseAlmanacHealth>({0x49}, health::kLength, "almanacHealth"),
    Row<ParseUtcParams>({0x4F}, utc::kLength, "utcParams"),
};

}  // namespace

std::span<const ReportType> SystemDataReportTypes() { return kTypes; }

std::optional<Almanac> ParseAlmanac(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace almanac;
  if (length != kLength) return std::nullopt;
  Almanac r;
  r.prn = p[kPrn];
  r.collectionTime = ReadSingle(p + kCollectionTime);
  r.week = ReadU16(p + kWeek);
  r.eccentricity = ReadSingle(p + kEccentricity);
  r.almanacTime = ReadSingle(p + kAlmanacTime);
  r.inclination = ReadSingle(p + kInclination);
  r.rightAscensionRate = ReadSingle(p + kRightAscensionRate);
  r.sqrtSemiMajorAxis = ReadSingle(p + kSqrtSemiMajorAxis);
  r.rightAscension = ReadSingle(p + kRightAscension);
  r.argumentOfPerigee = ReadSingle(p + kArgumentOfPerigee);
  r.meanAnomaly = ReadSingle(p + kMeanAnomaly);
  return r;
}

std::optional<AlmanacHealth> ParseAlmanacHealth(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  if (length != health::kLength) return std::nullopt;
  AlmanacHealth r;
  for (int i = 0; i < kAlmanacHealthSatellites; ++i)
    r.health[static_cast<size_t>(i)] = p[i];
  return r;
}

std::optional<UtcParams> ParseUtcParams(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace utc;
  if (length != kLength) return std::nullopt;
  UtcParams r;
  r.a0 = ReadDouble(p + kA0);
  r.a1 = ReadSingle(p + kA1);
  r.deltaTls = ReadU16(p + kDeltaTls);
  r.tot = ReadSingle(p + kTot);
  r.wnT = ReadU16(p + kWnT);
  r.wnLsf = ReadU16(p + kWnLsf);
  r.dn = ReadU16(p + kDn);
  r.deltaTlsf = ReadU16(p + kDeltaTlsf);
  return r;
}

// The semi-major axis is written in metres: the square of a float is exact in a double, so the
// report's square root can be had back from it.
void AddJson(const Almanac& r, JsonObject& out) {
  const double sqrtA = r.sqrtSemiMajorAxis;
  out.Add("prn", r.prn)
      .Add("collectionTimeS", r.collectionTime)
      .Add("week", r.week)
      .Add("eccentricity", r.eccentricity)
      .Add("almanacTimeS", r.almanacTime)
      .Add("inclinationDeg", DegreesOf(r.inclination))
      .Add("rightAscensionRateDegps", DegreesOf(r.rightAscensionRate))
      .Add("semiMajorAxisM", sqrtA * sqrtA)
      .Add("rightAscensionDeg", DegreesOf(r.rightAscension))
      .Add("argumentOfPerigeeDeg", DegreesOf(r.argumentOfPerigee))
      .Add("meanAnomalyDeg", DegreesOf(r.meanAnomaly));
}

void AddJson(const AlmanacHealth& r, JsonObject& out) {
  const std::vector<int> health(r.health.begin(), r.health.end());
  out.Add("health", std::span<const int>(health));
}

void AddJson(const UtcParams& r, JsonObject& out) {
  out.Add("a0S", r.a0)
      .Add("a1", r.a1)
      .Add("deltaTlsS", r.deltaTls)
      .Add("totS", r.tot)
      .Add("wnT", r.wnT)
      .Add("wnLsf", r.wnLsf)
      .Add("dn", r.dn)
      .Add("deltaTlsfS", r.deltaTlsf);
}

}  // namespace zelkon
