#include "core/dispatcher.h"

#include <array>

#include "core/monitor.h"
#include "reports/report_types.h"
#include "transfer/recording.h"

namespace zelkon {
namespace {

using Table = std::array<Decoder, 256>;

constexpr Table MakeReportTable() {
  Table t{};
  t[0x40] = DecodeAlmanac;
  t[0x41] = DecodeGpsTime;
  t[0x42] = DecodeEcefPositionSingle;
  t[0x43] = DecodeEcefVelocity;
  t[0x45] = DecodeSoftwareVersion;
  t[0x46] = DecodeHealth;
  t[0x49] = DecodeAlmanacHealth;
  t[0x4A] = DecodeLlaPositionSingle;  // by length, below
  t[0x4B] = DecodeIgnoredStatus;
  t[0x4E] = DecodeTimeAccepted;
  t[0x4F] = DecodeUtcParams;
  t[0x55] = DecodeIoOptions;
  t[0x56] = DecodeEnuVelocity;
  t[0x5A] = DecodeRawMeasurement;
  t[0x5B] = DecodeEphemerisStatus;
  t[0x5C] = DecodeTrackingStatus;
  t[0x6D] = DecodeSatelliteSelection;
  t[0x7B] = DecodeNmeaConfig;
  t[0x83] = DecodeEcefPositionDouble;
  t[0x84] = DecodeLlaPositionDouble;
  t[0xBB] = DecodeReceiverConfig;
  t[0xBC] = DecodePortConfig;
  return t;
}

constexpr Table MakeSuperpacketTable() {
  Table t{};
  t[0x0B] = DecodeComprehensiveTime;
  t[0x15] = DecodeDatum;
  t[0x41] = DecodeManufacturingParams;
  t[0x42] = DecodeProductionParams;
  t[0x4A] = DecodePpsCharacteristics;
  t[0x4B] = DecodeSurveyLimit;
  t[0x4D] = DecodeAutoOutputMask;
  t[0x4E] = DecodePpsOutputOption;
  t[0x4F] = DecodePpsWidth;
  t[0xA5] = DecodeBroadcastMask;
  t[0xA9] = DecodeSelfSurveyParams;
  t[0xAB] = DecodeTimingPrimary;
  t[0xAC] = DecodeTimingSupplemental;
  t[0xAD] = DecodePrimaryUtcTime;
  return t;
}

constexpr Table kReports = MakeReportTable();
constexpr Table kSuperpackets = MakeSuperpacketTable();

constexpr uint8_t kSuperpacketId = 0x8F;
constexpr uint8_t kErrorReportId = 0x5F;
constexpr uint8_t kSegmentStatusSubCode = 0x11;
constexpr uint8_t kLlaOrAltitudeId = 0x4A;
constexpr int kReferenceAltitudeLength = 9;

}  // namespace

Decoder FindDecoder(uint8_t id, const uint8_t* payload, int length, bool engineeringMode) {
  switch (id) {
    case kSuperpacketId:
      // An empty packet carries no sub-code.
      return length >= 1 ? kSuperpackets[payload[0]] : nullptr;
    case kErrorReportId:
      if (length < 1) return nullptr;
      if (payload[0] == kSegmentStatusSubCode) return DecodeSegmentStatus;
      return engineeringMode ? DecodeFatalReport : nullptr;
    case kLlaOrAltitudeId:
      return length == kReferenceAltitudeLength ? DecodeReferenceAltitude : DecodeLlaPositionSingle;
    default:
      return kReports[id];
  }
}

void ReportDispatcher(Monitor& app, const PacketReceiver& receiver) {
  app.Form_Main.Shape_RxLED.SetBrushColor(colours::kGreen);
  app.state.LastPacketMs = app.clock.NowMs();
  const uint8_t id = receiver.Id();
  const uint8_t* payload = receiver.Payload();
  const int length = receiver.PayloadLength();
  PacketOutcome outcome = PacketOutcome::UnknownId;
  if (Decoder decoder = FindDecoder(id, payload, length, app.state.EngineeringMode)) {
    outcome =
        IsWrongLength(id, payload, length) ? PacketOutcome::BadLength : PacketOutcome::Decoded;
    decoder(app, payload, length);
  }
  app.telemetry.CountPacket(id, payload, length, outcome);
  if (app.state.RecordingActive) RecordPacket(app, id, payload, length);
  if (app.resetTest.running) app.resetTest.ResetTestPacketSeen = true;
}

}  // namespace zelkon
