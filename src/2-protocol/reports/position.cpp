#include "reports/position.h"

#include "link/codec.h"
#include "reports/report_types.h"
#include "text/angles.h"

namespace zelkon {
namespace {

namespace gps_time {
constexpr int kLength = 10;
constexpr int kTimeOfWeek = 0;
constexpr int kWeek = 4;
constexpr int kUtcOffset = 6;
}  // namespace gps_time

namespace ecef_single {
constexpr int kLength = 16;
constexpr int kX = 0;
constexpr int kY = 4;
constexpr int kZ = 8;
}  // namespace ecef_single

// The ECEF (0x43) and ENU (0x56) velocities share their layout.
namespace velocity {
constexpr int kLength = 20;
constexpr int kFirst = 0;   // x or east
constexpr int kSecond = 4;  // y or north
constexpr int kThird = 8;   // z or up
constexpr int kClockBiasRate = 12;
}  // namespace velocity

namespace lla_single {
constexpr int kLength = 20;
constexpr int kLatitude = 0;
constexpr int kLongitude = 4;
constexpr int kAltitude = 8;
constexpr int kClockBias = 12;
}  // namespace lla_single

namespace reference_altitude {
constexpr int kLength = 9;
constexpr int kAltitude = 0;
}  // namespace reference_altitude

namespace time_accepted {
constexpr int kLength = 1;
constexpr int kAnswer = 0;
}  // namespace time_accepted

namespace ecef_double {
constexpr int kLength = 36;
constexpr int kX = 0;
constexpr int kY = 8;
constexpr int kZ = 16;
constexpr int kClockBias = 24;
}  // namespace ecef_double

namespace lla_double {
constexpr int kLength = 36;
constexpr int kLatitude = 0;
constexpr int kLongitude = 8;
constexpr int kAltitude = 16;
constexpr int kClockBias = 24;
}  // namespace lla_double

namespace comprehensive {
constexpr int kLength = 74;
constexpr int kEventCount = 1;
constexpr int kTimeOfWeek = 3;
constexpr int kDay = 11;
constexpr int kMonth = 12;
constexpr int kYear = 13;
constexpr int kReceiverMode = 15;
constexpr int kUtcOffset = 16;
constexpr int kClockBias = 18;
constexpr int kClockDriftRate = 26;
constexpr int kClockBiasUncertainty = 34;
constexpr int kClockDriftUncertainty = 38;
constexpr int kLatitude = 42;
constexpr int kLongitude = 50;
constexpr int kAltitude = 58;
constexpr int kPrns = 66;
}  // namespace comprehensive

constexpr ReportType kTypes[] = {
    Row<ParseGpsTime>({0x41}, gps_time::kLength, "gpsTime"),
    Row<ParseEcefPositionSingle>({0x42}, ecef_single::kLength, "ecefPositionSingle"),
    Row<ParseEcefVelocity>({0x43}, velocity::kLength, "ecefVelocity"),
    Row<ParseLlaPositionSingle>({0x4A}, lla_single::kLength, "llaPositionSingle"),
    Row<ParseReferenceAltitude>({0x4A}, reference_altitude::kLength, "referenceAltitude"),
    Row<ParseTimeAccepted>({0x4E}, time_accepted::kLength, "timeAccepted"),
    Row<ParseEnuVelocity>({0x56}, velocity::kLength, "enuVelocity"),
    Row<ParseEcefPositionDouble>({0x83}, ecef_double::kLength, "ecefPositionDouble"),
    Row<ParseLlaPositionDouble>({0x84}, lla_double::kLength, "llaPositionDouble"),
    Row<ParseComprehensiveTime>({0x8F, 0x0B}, comprehensive::kLength, "comprehensiveTime"),
};

}  // namespace

std::span<const ReportType> PositionReportTypes() { return kTypes; }

std::optional<GpsTime> ParseGpsTime(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace gps_time;
  if (length != kLength) return std::nullopt;
  GpsTime r;
  r.timeOfWeek = ReadSingle(p + kTimeOfWeek);
  r.week = ReadU16(p + kWeek);
  r.utcOffset = ReadSingle(p + kUtcOffset);
  return r;
}

std::optional<EcefPositionSingle> ParseEcefPositionSingle(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace ecef_single;
  if (length != kLength) return std::nullopt;
  EcefPositionSingle r;
  r.x = ReadSingle(p + kX);
  r.y = ReadSingle(p + kY);
  r.z = ReadSingle(p + kZ);
  return r;
}

std::optional<EcefVelocity> ParseEcefVelocity(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace velocity;
  if (length != kLength) return std::nullopt;
  EcefVelocity r;
  r.x = ReadSingle(p + kFirst);
  r.y = ReadSingle(p + kSecond);
  r.z = ReadSingle(p + kThird);
  r.clockBiasRate = ReadSingle(p + kClockBiasRate);
  return r;
}

std::optional<LlaPositionSingle> ParseLlaPositionSingle(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace lla_single;
  if (length != kLength) return std::nullopt;
  LlaPositionSingle r;
  r.latitude = ReadSingle(p + kLatitude);
  r.longitude = ReadSingle(p + kLongitude);
  r.altitude = ReadSingle(p + kAltitude);
  r.clockBias = ReadSingle(p + kClockBias);
  return r;
}

std::optional<ReferenceAltitude> ParseReferenceAltitude(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace reference_altitude;
  if (length != kLength) return std::nullopt;
  ReferenceAltitude r;
  r.altitude = ReadSingle(p + kAltitude);
  return r;
}

std::optional<TimeAccepted> ParseTimeAccepted(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace time_accepted;
  if (length != kLength) return std::nullopt;
  TimeAccepted r;
  r.answer = p[kAnswer];
  return r;
}

std::optional<EnuVelocity> ParseEnuVelocity(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace velocity;
  if (length != kLength) return std::nullopt;
  EnuVelocity r;
  r.east = ReadSingle(p + kFirst);
  r.north = ReadSingle(p + kSecond);
  r.up = ReadSingle(p + kThird);
  r.clockBiasRate = ReadSingle(p + kClockBiasRate);
  return r;
}

std::optional<EcefPositionDouble> ParseEcefPositionDouble(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace ecef_double;
  if (length != kLength) return std::nullopt;
  EcefPositionDouble r;
  r.x = ReadDouble(p + kX);
  r.y = ReadDouble(p + kY);
  r.z = ReadDouble(p + kZ);
  r.clockBias = ReadDouble(p + kClockBias);
  return r;
}

std::optional<LlaPositionDouble> ParseLlaPositionDouble(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace lla_double;
  if (length != kLength) return std::nullopt;
  LlaPositionDouble r;
  r.latitude = ReadDouble(p + kLatitude);
  r.longitude = ReadDouble(p + kLongitude);
  r.altitude = ReadDouble(p + kAltitude);
  r.clockBias = ReadDouble(p + kClockBias);
  return r;
}

std::optional<ComprehensiveTime> ParseComprehensiveTime(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace comprehensive;
  if (length != kLength) return std::nullopt;
  ComprehensiveTime r;
  r.eventCount = ReadU16(p + kEventCount);
  r.timeOfWeek = ReadDouble(p + kTimeOfWeek);
  r.day = p[kDay];
  r.month = p[kMonth];
  r.year = ReadU16(p + kYear);
  r.receiverMode = static_cast<int8_t>(p[kReceiverMode]);
  r.utcOffset = ReadI16(p + kUtcOffset);
  r.clockBias = ReadDouble(p + kClockBias);
  r.clockDriftRate = ReadDouble(p + kClockDriftRate);
  r.clockBiasUncertainty = ReadSingle(p + kClockBiasUncertainty);
  r.clockDriftUncertainty = ReadSingle(p + kClockDriftUncertainty);
  r.latitude = ReadDouble(p + kLatitude);
  r.longitude = ReadDouble(p + kLongitude);
  r.altitude = ReadDouble(p + kAltitude);
  for (size_t i = 0; i < r.prns.size(); ++i) {
    r.prns[i] = static_cast<int8_t>(p[kPrns + static_cast<int>(i)]);
  }
  return r;
}

void AddJson(const GpsTime& r, JsonObject& out) {
  out.Add("timeOfWeekS", r.timeOfWeek).Add("week", r.week).Add("utcOffsetS", r.utcOffset);
}

void AddJson(const EcefPositionSingle& r, JsonObject& out) {
  out.Add("xM", r.x).Add("yM", r.y).Add("zM", r.z);
}

void AddJson(const EcefVelocity& r, JsonObject& out) {
  out.Add("velocityXMps", r.x)
      .Add("velocityYMps", r.y)
      .Add("velocityZMps", r.z)
      .Add("clockBiasRateMps", r.clockBiasRate);
}

void AddJson(const LlaPositionSingle& r, JsonObject& out) {
  out.Add("latitudeDeg", DegreesOf(r.latitude))
      .Add("longitudeDeg", DegreesOf(r.longitude))
      .Add("altitudeM", r.altitude)
      .Add("clockBiasM", r.clockBias);
}

void AddJson(const ReferenceAltitude& r, JsonObject& out) { out.Add("altitudeM", r.altitude); }

void AddJson(const TimeAccepted& r, JsonObject& out) { out.Add("accepted", r.Accepted()); }

void AddJson(const EnuVelocity& r, JsonObject& out) {
  out.Add("velocityEastMps", r.east)
      .Add("velocityNorthMps", r.north)
      .Add("velocityUpMps", r.up)
      .Add("clockBiasRateMps", r.clockBiasRate);
}

void AddJson(const EcefPositionDouble& r, JsonObject& out) {
  out.Add("xM", r.x).Add("yM", r.y).Add("zM", r.z).Add("clockBiasM", r.clockBias);
}

void AddJson(const LlaPositionDouble& r, JsonObject& out) {
  out.Add("latitudeDeg", DegreesOf(r.latitude))
      .Add("longitudeDeg", DegreesOf(r.longitude))
      .Add("altitudeM", r.altitude)
      .Add("clockBiasM", r.clockBias);
}

void AddJson(const ComprehensiveTime& r, JsonObject& out) {
  std::array<int, 8> prns = {};
  for (size_t i = 0; i < prns.size(); ++i)
    prns[i] = r.prns[i];
  out.Add("eventCount", r.eventCount)
      .Add("timeOfWeekS", r.timeOfWeek)
      .Add("year", r.year)
      .Add("month", r.month)
      .Add("day", r.day)
      .Add("receiverMode", r.receiverMode)
      .Add("utcOffsetS", r.utcOffset)
      .Add("clockBiasM", r.clockBias)
      .Add("clockDriftRateMps", r.clockDriftRate)
      .Add("clockBiasUncertaintyM", r.clockBiasUncertainty)
      .Add("clockDriftUncertaintyMps", r.clockDriftUncertainty)
      .Add("latitudeDeg", DegreesOf(r.latitude))
      .Add("longitudeDeg", DegreesOf(r.longitude))
      .Add("altitudeM", r.altitude)
      .Add("prns", prns);
}

}  // namespace zelkon
