#include "reports/config.h"

#include "link/codec.h"
#include "reports/report_types.h"
#include "text/angles.h"

namespace zelkon {
namespace {

namespace io {
constexpr int kLength = 4;
constexpr int kPosition = 0;
constexpr int kVelocity = 1;
constexpr int kTiming = 2;
constexpr int kAuxiliary = 3;
}  // namespace io

namespace nmea {
constexpr int kLength = 6;
constexpr int kInterval = 1;
constexpr int kMask = 2;
}  // namespace nmea

namespace receiver {
constexpr int kLength = 43;
constexpr int kMode = 1;
constexpr int kDgpsMode = 2;
constexpr int kDynamics = 3;
constexpr int kElevationMask = 5;
constexpr int kSignalLevelMask = 9;
constexpr int kPdopMask = 13;
constexpr int kPdopSwitch = 17;
constexpr int kDgpsAgeLimit = 21;
}  // namespace receiver

namespace port {
constexpr int kLength = 10;
constexpr int kPort = 0;
constexpr int kBaud = 1;  // the input rate; byte 2, the output rate, is not kept
constexpr int kDataBits = 3;
constexpr int kParity = 4;
constexpr int kStopBits = 5;
constexpr int kInput = 7;
constexpr int kOutput = 8;
}  // namespace port

namespace datum {
constexpr int kLength = 43;
constexpr int kIndex = 1;
}  // namespace datum

namespace pps {
constexpr int kLength = 16;
constexpr int kSwitch = 1;
constexpr int kTimeBase = 2;
constexpr int kPolarity = 3;
constexpr int kOffset = 4;
constexpr int kBiasThreshold = 12;
}  // namespace pps

// 0x8F-4B and 0x8F-4D: one U32 after the sub-code.
namespace word {
constexpr int kLength = 5;
constexpr int kValue = 1;
}  // namespace word

namespace option {
constexpr int kLength = 2;
constexpr int kOption = 1;
}  // namespace option

namespace width {
constexpr int kLength = 9;
constexpr int kWidth = 1;
}  // namespace width

namespace broadcast {
constexpr int kLength = 5;
constexpr int kMask1 = 1;
constexpr int kMask2 = 2;
}  // namespace broadcast

namespace survey {
constexpr int kLength = 11;
constexpr int kEnable = 1;
constexpr int kSave = 2;
constexpr int kLimit = 3;
}  // namespace survey

constexpr ReportType kTypes[] = {
    Row<ParseIoOptions>({0x55}, io::kLength, "ioOptions"),
    Row<ParseNmeaConfig>({0x7B}, nmea::kLength, "nmeaConfig"),
    Row<ParseReceiverConfig>({0xBB}, receiver::kLength, "receiverConfig"),
    Row<ParsePortConfig>({0xBC}, port::kLength, "portConfig"),
    Row<ParseDatumIndex>({0x8F, 0x15}, datum::kLength, "datum"),
    Row<ParsePpsCharacteristics>({0x8F, 0x4A}, pps::kLength, "ppsCharacteristics"),
    Row<ParseSurveyLimit>({0x8F, 0x4B}, word::kLength, "surveyLimit"),
    Row<ParseAutoOutputMask>({0x8F, 0x4D}, word::kLength, "autoOutputMask"),
    Row<ParsePpsOutputOption>({0x8F, 0x4E}, option::kLength, "ppsOutputOption"),
    Row<ParsePpsWidth>({0x8F, 0x4F}, width::kLength, "ppsWidth"),
    Row<ParseBroadcastMask>({0x8F, 0xA5}, broadcast::kLength, "broadcastMask"),
    Row<ParseSelfSurveyParams>({0x8F, 0xA9}, survey::kLength, "selfSurveyParams"),
};

}  // namespace

std::span<const ReportType> ConfigReportTypes() { return kTypes; }

std::optional<IoOptions> ParseIoOptions(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace io;
  if (length != kLength) return std::nullopt;
  return IoOptions{p[kPosition], p[kVelocity], p[kTiming], p[kAuxiliary]};
}

std::optional<NmeaConfig> ParseNmeaConfig(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace nmea;
  if (length != kLength) return std::nullopt;
  return NmeaConfig{p[kInterval], ReadU32(p + kMask)};
}

std::optional<ReceiverConfig> ParseReceiverConfig(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace receiver;
  if (length != kLength) return std::nullopt;
  ReceiverConfig r;
  r.receiverMode = p[kMode];
  r.dgpsMode = p[kDgpsMode];
  r.dynamicsCode = p[kDynamics];
  r.elevationMaskRad = ReadSingle(p + kElevationMask);
  r.signalLevelMask = ReadSingle(p + kSignalLevelMask);
  r.pdopMask = ReadSingle(p + kPdopMask);
  r.pdopSwitch = ReadSingle(p + kPdopSwitch);
  r.dgpsAgeLimit = p[kDgpsAgeLimit];
  return r;
}

std::optional<PortSettings> ParsePortConfig(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace port;
  if (length != kLength) return std::nullopt;
  PortSettings s;
  s.portIndex = p[kPort];
  s.baudCode = p[kBaud];
  s.dataBitsCode = p[kDataBits];
  s.parityCode = p[kParity];
  s.stopBitsCode = p[kStopBits];
  s.inputProtocol = p[kInput];
  s.outputProtocol = p[kOutput];
  return s;
}

std::optional<DatumIndex> ParseDatumIndex(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace datum;
  if (length != kLength) return std::nullopt;
  return DatumIndex{ReadU16(p + kIndex)};
}

std::optional<PpsCharacteristics> ParsePpsCharacteristics(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace pps;
  if (length != kLength) return std::nullopt;
  PpsCharacteristics c;
  c.driverSwitch = p[kSwitch];
  c.timeBase = p[kTimeBase];
  c.polarity = p[kPolarity];
  c.offsetSeconds = ReadDouble(p + kOffset);
  c.biasThresholdMetres = ReadSingle(p + kBiasThreshold);
  return c;
}

std::optional<SurveyLimit> ParseSurveyLimit(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace word;
  if (length != kLength) return std::nullopt;
  return SurveyLimit{ReadU32(p + kValue)};
}

std::optional<AutoOutputMask> ParseAutoOutputMask(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace word;
  if (length != kLength) return std::nullopt;
  return AutoOutputMask{ReadU32(p + kValue)};
}

std::optional<PpsOutputOption> ParsePpsOutputOption(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace option;
  if (length != kLength) return std::nullopt;
  return PpsOutputOption{p[kOption]};
}

std::optional<PpsWidth> ParsePpsWidth(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace width;
  if (length != kLength) return std::nullopt;
  return PpsWidth{ReadDouble(p + kWidth)};
}

std::optional<BroadcastMask> ParseBroadcastMask(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace broadcast;
  if (length != kLength) return std::nullopt;
  return BroadcastMask{p[kMask1], p[kMask2]};
}

std::optional<SelfSurveyParams> ParseSelfSurveyParams(std::span<const uint8_t> payload) {
  const uint8_t* p = payload.data();
  const int length = static_cast<int>(payload.size());
  using namespace survey;
  if (length != kLength) return std::nullopt;
  SelfSurveyParams s;
  s.enable = p[kEnable];
  s.save = p[kSave];
  s.limit = ReadU32(p + kLimit);
  return s;
}

void AddJson(const IoOptions& r, JsonObject& out) {
  out.Add("position", r.position)
      .Add("velocity", r.velocity)
      .Add("timing", r.timing)
      .Add("auxiliary", r.auxiliary);
}

void AddJson(const NmeaConfig& r, JsonObject& out) {
  out.Add("intervalS", r.intervalSeconds).Add("sentenceMask", r.sentenceMask);
}

void AddJson(const ReceiverConfig& r, JsonObject& out) {
  out.Add("receiverMode", r.receiverMode)
      .Add("dgpsMode", r.dgpsMode)
      .Add("dynamicsCode", r.dynamicsCode)
      .Add("elevationMaskDeg", DegreesOf(r.elevationMaskRad))
      .Add("signalLevelMaskAmu", r.signalLevelMask)
      .Add("pdopMask", r.pdopMask)
      .Add("pdopSwitch", r.pdopSwitch)
      .Add("dgpsAgeLimitS", r.dgpsAgeLimit);
}

void AddJson(const PortSettings& r, JsonObject& out) {
  out.Add("port", r.portIndex)
      .Add("baudCode", r.baudCode)
      .Add("dataBitsCode", r.dataBitsCode)
      .Add("parityCode", r.parityCode)
      .Add("stopBitsCode", r.stopBitsCode)
      .Add("inputProtocol", r.inputProtocol)
      .Add("outputProtocol", r.outputProtocol);
}

void AddJson(const DatumIndex& r, JsonObject& out) { out.Add("datumIndex", r.index); }

void AddJson(const PpsCharacteristics& r, JsonObject& out) {
  out.Add("driverSwitch", r.driverSwitch)
      .Add("timeBase", r.timeBase)
      .Add("polarity", r.polarity)
      .Add("offsetS", r.offsetSeconds)
      .Add("biasThresholdM", r.biasThresholdMetres);
}

void AddJson(const SurveyLimit& r, JsonObject& out) { out.Add("limit", r.limit); }

void AddJson(const AutoOutputMask& r, JsonObject& out) { out.Add("mask", r.mask); }

void AddJson(const PpsOutputOption& r, JsonObject& out) {
  out.Add("option", r.option).Add("evenSecondOnly", (r.option & 0x80) != 0);
}

void AddJson(const PpsWidth& r, JsonObject& out) { out.Add("widthS", r.widthSeconds); }

void AddJson(const BroadcastMask& r, JsonObject& out) {
  out.Add("mask1", r.mask1).Add("mask2", r.mask2);
}

void AddJson(const SelfSurveyParams& r, JsonObject& out) {
  out.Add("enable", r.enable).Add("save", r.save).Add("limit", r.limit);
}

}  // namespace zelkon
