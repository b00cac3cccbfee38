#include "reports/status.h"

#include "link/codec.h"
#include "reports/report_types.h"
#include "text/angles.h"

namespace zelkon {
namespace {

namespace health {
constexpr int kLength = 2;
constexpr int kStatus = 0;
}  // namespace health

namespace raw {
constexpr int kLength = 25;
constexpr int kPrn = 0;
constexpr int kSampleLength = 1;
constexpr int kSignalLevel = 5;
constexpr int kCodePhase = 9;
constexpr int kDoppler = 13;
constexpr int kMeasurementTime = 17;
}  // namespace raw

namespace ephemeris {
constexpr int kLength = 16;
constexpr int kPrn = 0;
constexpr int kCollectionTime = 1;
constexpr int kHealth = 5;
constexpr int kIode = 6;
constexpr int kEphemerisTime = 7;
constexpr int kFitFlag = 11;
constexpr int kAccuracy = 12;
}  // namespace ephemeris

namespace tracking {
constexpr int kLength = 24;
constexpr int kPrn = 0;
constexpr int kChannelCode = 1;
constexpr int kAcquisition = 2;
constexpr int kEphemeris = 3;
constexpr int kSignalLevel = 4;
constexpr int kLastMeasurement = 8;
constexpr int kElevation = 12;
constexpr int kAzimuth = 16;
}  // namespace tracking

namespace selection {
constexpr int kLength = 17;  // without PRNs
constexpr int kPdop = 1;
constexpr int kHdop = 5;
constexpr int kVdop = 9;
constexpr int kTdop = 13;
constexpr int kPrns = 17;
}  // namespace selection

constexpr ReportType kTypes[] = {
    Row<ParseHealth>({0x46}, health::kLength, "health"),
    UnreadRow<MachineStatus>({0x4B}, "machineStatus"),
    Row<ParseRawMeasurement>({0x5A}, raw::kLength, "rawMeasurement"),
    Row<ParseEphemerisStatus>({0x5B}, ephemeris::kLength, "ephemerisStatus"),
    Row<ParseTrackingStatus>({0x5C}, tracking::kLength, "trackingStatus"),
    Row<ParseSatelliteSelection>({0x6D}, selection::kLength, "satelliteSelection",
                                 Lengths::AtLeast),
};

}  // namespace

std::span<const ReportType> StatusReportTypes() { return kTypes; }

std::optional<Health> ParseHealth(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace health;
  if (length != kLength) return std::nullopt;
  Health r;
  r.status = p[kStatus];
  return r;
}

std::optional<RawMeasurement> ParseRawMeasurement(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace raw;
  if (length != kLength) return std::nullopt;
  RawMeasurement r;
  r.prn = p[kPrn];
  r.sampleLength = ReadSingle(p + kSampleLength);
  r.signalLevel = ReadSingle(p + kSignalLevel);
  r.codePhase = ReadSingle(p + kCodePhase);
  r.doppler = ReadSingle(p + kDoppler);
  r.measurementTime = ReadDouble(p + kMeasurementTime);
  return r;
}

std::optional<EphemerisStatus> ParseEphemerisStatus(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace ephemeris;
  if (length != kLength) return std::nullopt;
  EphemerisStatus r;
  r.prn = p[kPrn];
  r.collectionTime = ReadSingle(p + kCollectionTime);
  r.health = p[kHealth];
  r.iode = p[kIode];
  r.ephemerisTime = ReadSingle(p + kEphemerisTime);
  r.fitFlag = p[kFitFlag];
  r.accuracy = ReadSingle(p + kAccuracy);
  return r;
}

std::optional<TrackingStatus> ParseTrackingStatus(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace tracking;
  if (length != kLength) return std::nullopt;
  TrackingStatus r;
  r.prn = p[kPrn];
  r.channelCode = p[kChannelCode];
  r.acquisition = p[kAcquisition];
  r.ephemeris = p[kEphemeris];
  r.signalLevel = ReadSingle(p + kSignalLevel);
  r.lastMeasurement = ReadSingle(p + kLastMeasurement);
  r.elevation = ReadSingle(p + kElevation);
  r.azimuth = ReadSingle(p + kAzimuth);
  return r;
}

std::optional<SatelliteSelection> ParseSatelliteSelection(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace selection;
  if (length < kLength) return std::nullopt;
  SatelliteSelection r;
  r.pdop = ReadSingle(p + kPdop);
  r.hdop = ReadSingle(p + kHdop);
  r.vdop = ReadSingle(p + kVdop);
  r.tdop = ReadSingle(p + kTdop);
  r.prns.reserve(static_cast<size_t>(length - kPrns));
  for (int i = kPrns; i < length; ++i)
    r.prns.push_back(static_cast<int8_t>(p[i]));
  return r;
}

void AddJson(const Health& r, JsonObject& out) { out.Add("status", r.status); }

void AddJson(const RawMeasurement& r, JsonObject& out) {
  out.Add("prn", r.prn)
      .Add("sampleLengthMs", r.sampleLength)
      .Add("signalLevelAmu", r.signalLevel)
      .Add("codePhase", r.codePhase)
      .Add("dopplerHz", r.doppler)
      .Add("measurementTimeS", r.measurementTime);
}

void AddJson(const EphemerisStatus& r, JsonObject& out) {
  out.Add("prn", r.prn)
      .Add("collectionTimeS", r.collectionTime)
      .Add("health", r.health)
      .Add("iode", r.iode)
      .Add("ephemerisTimeS", r.ephemerisTime)
      .Add("fitFlag", r.fitFlag)
      .Add("accuracyM", r.accuracy);
}

void AddJson(const TrackingStatus& r, JsonObject& out) {
  out.Add("prn", r.prn)
      .Add("channel", r.Channel())
      .Add("acquisition", r.acquisition)
      .Add("ephemeris", r.ephemeris)
      .Add("signalLevelAmu", r.signalLevel)
      .Add("lastMeasurementS", r.lastMeasurement)
      .Add("elevationDeg", DegreesOf(r.elevation))
      .Add("azimuthDeg", DegreesOf(r.azimuth));
}

void AddJson(const SatelliteSelection& r, JsonObject& out) {
  const std::vector<int> prns(r.prns.begin(), r.prns.end());
  out.Add("pdop", r.pdop)
      .Add("hdop", r.hdop)
      .Add("vdop", r.vdop)
      .Add("tdop", r.tdop)
      .Add("prns", std::span<const int>(prns));
}

}  // namespace zelkon
