#include "reports/timing.h"

#include "link/codec.h"
#include "reports/report_types.h"
#include "text/angles.h"

namespace zelkon {
namespace {

namespace primary {
constexpr int kLength = 17;
constexpr int kTimeOfWeek = 1;
constexpr int kWeek = 5;
constexpr int kUtcOffset = 7;
constexpr int kTimingFlags = 9;
constexpr int kSeconds = 10;
constexpr int kMinutes = 11;
constexpr int kHours = 12;
constexpr int kDay = 13;
constexpr int kMonth = 14;
constexpr int kYear = 15;
}  // namespace primary

namespace supplemental {
constexpr int kLength = 68;
constexpr int kReceiverMode = 1;
constexpr int kSelfSurveyProgress = 3;
constexpr int kMinorAlarms = 10;
constexpr int kReceiverStatus = 12;
constexpr int kPpsOffset = 16;
constexpr int kOscillatorOffset = 20;
constexpr int kLatitude = 36;
constexpr int kLongitude = 44;
constexpr int kAltitude = 52;
constexpr int kQuantizationError = 60;
constexpr int kPpsGenerated = 64;
}  // namespace supplemental

namespace utc {
constexpr int kLength = 22;
constexpr int kEventCount = 1;
constexpr int kFraction = 3;
constexpr int kHours = 11;
constexpr int kMinutes = 12;
constexpr int kSeconds = 13;
constexpr int kDay = 14;
constexpr int kMonth = 15;
constexpr int kYear = 16;
constexpr int kReceiverStatus = 18;
constexpr int kFlags = 19;
}  // namespace utc

constexpr ReportType kTypes[] = {
    Row<ParseTimingPrimary>({0x8F, 0xAB}, primary::kLength, "timingPrimary"),
    Row<ParseTimingSupplemental>({0x8F, 0xAC}, supplemental::kLength, "timingSupplemental"),
    Row<ParsePrimaryUtcTime>({0x8F, 0xAD}, utc::kLength, "primaryUtcTime"),
};

}  // namespace

std::span<const ReportType> TimingReportTypes() { return kTypes; }

std::optional<TimingPrimary> ParseTimingPrimary(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace primary;
  if (length != kLength) return std::nullopt;
  TimingPrimary r;
  r.timeOfWeek = ReadU32(p + kTimeOfWeek);
  r.week = ReadU16(p + kWeek);
  r.utcOffset = ReadI16(p + kUtcOffset);
  r.timingFlags = p[kTimingFlags];
  r.seconds = p[kSeconds];
  r.minutes = p[kMinutes];
  r.hours = p[kHours];
  r.day = p[kDay];
  r.month = p[kMonth];
  r.year = ReadU16(p + kYear);
  return r;
}

std::optional<TimingSupplemental> ParseTimingSupplemental(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace supplemental;
  if (length != kLength) return std::nullopt;
  TimingSupplemental r;
  r.receiverMode = p[kReceiverMode];
  r.selfSurveyProgress = p[kSelfSurveyProgress];
  r.minorAlarms = ReadU16(p + kMinorAlarms);
  r.receiverStatus = p[kReceiverStatus];
  r.ppsOffset = ReadSingle(p + kPpsOffset);
  r.oscillatorOffset = ReadSingle(p + kOscillatorOffset);
  r.latitude = ReadDouble(p + kLatitude);
  r.longitude = ReadDouble(p + kLongitude);
  r.altitude = ReadDouble(p + kAltitude);
  r.quantizationError = ReadSingle(p + kQuantizationError);
  r.ppsGenerated = p[kPpsGenerated] != 0;
  return r;
}

std::optional<PrimaryUtcTime> ParsePrimaryUtcTime(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace utc;
  if (length != kLength) return std::nullopt;
  PrimaryUtcTime r;
  r.eventCount = ReadU16(p + kEventCount);
  r.fraction = ReadDouble(p + kFraction);
  r.hours = p[kHours];
  r.minutes = p[kMinutes];
  r.seconds = p[kSeconds];
  r.day = p[kDay];
  r.month = p[kMonth];
  r.year = ReadU16(p + kYear);
  r.receiverStatus = p[kReceiverStatus];
  r.flags = p[kFlags];
  return r;
}

void AddJson(const TimingPrimary& r, JsonObject& out) {
  out.Add("timeOfWeekS", r.timeOfWeek)
      .Add("week", r.week)
      .Add("utcOffsetS", r.utcOffset)
      .Add("timingFlags", r.timingFlags)
      .Add("calendarIsUtc", r.CalendarIsUtc())
      .Add("year", r.year)
      .Add("month", r.month)
      .Add("day", r.day)
      .Add("hours", r.hours)
      .Add("minutes", r.minutes)
      .Add("seconds", r.seconds);
}

void AddJson(const TimingSupplemental& r, JsonObject& out) {
  out.Add("receiverMode", r.receiverMode)
      .Add("selfSurveyPercent", r.selfSurveyProgress)
      .Add("minorAlarms", r.minorAlarms)
      .Add("receiverStatus", r.receiverStatus)
      .Add("ppsOffsetNs", r.ppsOffset)
      .Add("oscillatorOffsetPpb", r.oscillatorOffset)
      .Add("latitudeDeg", DegreesOf(r.latitude))
      .Add("longitudeDeg", DegreesOf(r.longitude))
      .Add("altitudeM", r.altitude)
      .Add("quantizationErrorNs", r.quantizationError)
      .Add("ppsGenerated", r.ppsGenerated);
}

void AddJson(const PrimaryUtcTime& r, JsonObject& out) {
  out.Add("eventCount", r.eventCount)
      .Add("year", r.year)
      .Add("month", r.month)
      .Add("day", r.day)
      .Add("hours", r.hours)
      .Add("minutes", r.minutes)
      .Add("seconds", r.seconds)
      .Add("fractionS", r.fraction)
      .Add("receiverStatus", r.receiverStatus)
      .Add("flags", r.flags);
}

}  // namespace zelkon
