#include "commands/commands.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "link/codec.h"

namespace zelkon {
namespace {

constexpr uint8_t kSuperpacket = 0x8E;

// Sends the id and the given payload bytes, each cut to 8 bits.
template <typename... Bytes>
void SendBytes(CommandSender& out, uint8_t id, Bytes... payload) {
  const uint8_t packet[] = {id, static_cast<uint8_t>(payload)...};
  out.SendCommand(packet);
}

// A command with a payload of `PayloadSize` bytes, zero until written. Offsets count payload bytes
// from 0, so they read like the command's field layout; the id sits in front of them.
template <std::size_t PayloadSize>
class Packet {
 public:
  explicit Packet(uint8_t id) { bytes_[0] = id; }

  uint8_t* Field(std::size_t offset) { return bytes_.data() + 1 + offset; }
  void SetU8(std::size_t offset, int value) { *Field(offset) = static_cast<uint8_t>(value); }
  void SetU16(std::size_t offset, int value) {
    WriteU16(static_cast<uint16_t>(value), Field(offset));
  }
  void SetU32(std::size_t offset, uint32_t value) { WriteU32(value, Field(offset)); }
  void SetSingle(std::size_t offset, float value) { WriteSingle(value, Field(offset)); }
  void SetDouble(std::size_t offset, double value) { WriteDouble(value, Field(offset)); }

  void SendTo(CommandSender& out) const { out.SendCommand(bytes_); }

 private:
  std::array<uint8_t, 1 + PayloadSize> bytes_{};
};

// 0x8E superpacket whose only field after the sub-code is one U32.
void SendSuperU32(CommandSender& out, uint8_t subCode, uint32_t value) {
  Packet<5> p(kSuperpacket);
  p.SetU8(0, subCode);
  p.SetU32(1, value);
  p.SendTo(out);
}

// Three SINGLE fields: the accurate-position commands 0x31 and 0x32.
void SendThreeSingles(CommandSender& out, uint8_t id, float a, float b, float c) {
  Packet<12> p(id);
  p.SetSingle(0, a);
  p.SetSingle(4, b);
  p.SetSingle(8, c);
  p.SendTo(out);
}

}  // namespace

// ---- Queries ---------------------------------------------------------------------------------

void SendSoftwareVersionQuery(CommandSender& out) { SendBytes(out, 0x1F); }
void SendAlmanacQuery(CommandSender& out, int prn) { SendBytes(out, 0x20, prn); }
void SendTimeQuery(CommandSender& out) { SendBytes(out, 0x21); }
void SendSatelliteSelectionQuery(CommandSender& out) { SendBytes(out, 0x24); }
void SendHealthQuery(CommandSender& out) { SendBytes(out, 0x26); }
void SendAlmanacHealthQuery(CommandSender& out) { SendBytes(out, 0x29); }
void SendAltitudeQuery(CommandSender& out) { SendBytes(out, 0x2A); }
void SendUtcParamsQuery(CommandSender& out) { SendBytes(out, 0x2F); }
void SendIoOptionsQuery(CommandSender& out) { SendBytes(out, 0x35); }
void SendRawMeasurementQuery(CommandSender& out, int prn) { SendBytes(out, 0x3A, prn); }
void SendEphemerisStatusQuery(CommandSender& out, int prn) { SendBytes(out, 0x3B, prn); }
void SendTrackingStatusQuery(CommandSender& out) { SendBytes(out, 0x3C, 0x00); }
void SendSegmentStatusQuery(CommandSender& out) { SendBytes(out, 0x3F, 0x11); }
void SendNmeaQuery(CommandSender& out) { SendBytes(out, 0x7A, 0x00); }
void SendReceiverConfigQuery(CommandSender& out) { SendBytes(out, 0xBB, 0x00); }
void SendPortConfigQuery(CommandSender& out, int port) { SendBytes(out, 0xBC, port); }
void SendComprehensiveTimeQuery(CommandSender& out) { SendBytes(out, kSuperpacket, 0x0B); }
void SendDatumQuery(CommandSender& out) { SendBytes(out, kSuperpacket, 0x15); }
void SendManufacturingParamsQuery(CommandSender& out) { SendBytes(out, kSuperpacket, 0x41); }
void SendProductionParamsQuery(CommandSender& out) { SendBytes(out, kSuperpacket, 0x42); }
void SendPpsCharacteristicsQuery(CommandSender& out) { SendBytes(out, kSuperpacket, 0x4A); }
void SendSurveyLimitQuery(CommandSender& out) { SendBytes(out, kSuperpacket, 0x4B); }
void SendAutoOutputMaskQuery(CommandSender& out) { SendBytes(out, kSuperpacket, 0x4D); }
void SendPpsOutputOptionQuery(CommandSender& out) { SendBytes(out, kSuperpacket, 0x4E); }
void SendPpsWidthQuery(CommandSender& out) { SendBytes(out, kSuperpacket, 0x4F); }
void SendBroadcastMaskQuery(CommandSender& out) { SendBytes(out, kSuperpacket, 0xA5); }
void SendSelfSurveyParamsQuery(CommandSender& out) { SendBytes(out, kSuperpacket, 0xA9); }
void SendTimingPacketsQuery(CommandSender& out) { SendBytes(out, kSuperpacket, 0xAB, 0x02); }
void SendPrimaryUtcTimeQuery(CommandSender& out) { SendBytes(out, kSuperpacket, 0xAD); }

// ---- Resets and actions ----------------------------------------------------------------------

void SendReset(CommandSender& out, ResetCode code) { SendBytes(out, 0x1E, code); }
void SendWarmReset(CommandSender& out) { SendBytes(out, 0x25); }
void SendSaveSegments(CommandSender& out) { SendBytes(out, kSuperpacket, 0x26); }
void SendRevertSegment(CommandSender& out, int segment) {
  SendBytes(out, kSuperpacket, 0x45, segment);
}
void SendRestartSelfSurvey(CommandSender& out) { SendBytes(out, kSuperpacket, 0xA6, 0x00); }
void SendSiCode(CommandSender& out, int code) { SendBytes(out, kSuperpacket, 0xAF, code); }

void SendProductType(CommandSender& out, uint32_t code) {
  Packet<6> p(kSuperpacket);
  p.SetU8(0, 0x0C);
  p.SetU8(1, 0x02);
  p.SetU32(2, code);
  p.SendTo(out);
}

void SendExitTestMode(CommandSender& out) { SendBytes(out, kSuperpacket, 0xA4, 0x00); }

// ---- Settings --------------------------------------------------------------------------------

void SendAltitude(CommandSender& out, float metres) {
  Packet<4> p(0x2A);
  p.SetSingle(0, metres);
  p.SendTo(out);
}

void SendCancelAltitude(CommandSender& out) { SendBytes(out, 0x2A, 0xFF); }

void SendInitialTime(CommandSender& out, float timeOfWeek, int week) {
  Packet<6> p(0x2E);
  p.SetSingle(0, timeOfWeek);
  p.SetU16(4, week);
  p.SendTo(out);
}

void SendEcefPosition(CommandSender& out, float x, float y, float z) {
  SendThreeSingles(out, 0x31, x, y, z);
}

void SendLlaPosition(CommandSender& out, float latitudeRad, float longitudeRad, float altitude) {
  SendThreeSingles(out, 0x32, latitudeRad, longitudeRad, altitude);
}

void SendOneSatellite(CommandSender& out, int prn) { SendBytes(out, 0x34, prn); }

void SendIoOptions(CommandSender& out, const IoOptions& options) {
  SendBytes(out, 0x35, options.position, options.velocity, options.timing, options.auxiliary);
}

void SendSystemDataRequest(CommandSender& out, int blockType, int prn) {
  SendBytes(out, 0x38, 0x01, blockType, prn);
}

void SendSystemDataLoad(CommandSender& out, int blockType, int prn, std::span<const uint8_t> data) {
  // The data length travels as a U8: a length that does not fit is not sent at all rather than
  // sent cut, which would make the receiver read a different block.
  constexpr size_t kMaxData = 255;
  if (data.size() > kMaxData) return;
  std::array<uint8_t, 5 + kMaxData> packet{};
  packet[0] = 0x38;
  packet[1] = 0x02;
  packet[2] = static_cast<uint8_t>(blockType);
  packet[3] = static_cast<uint8_t>(prn);
  packet[4] = static_cast<uint8_t>(data.size());
  std::copy(data.begin(), data.end(), packet.begin() + 5);
  out.SendCommand(std::span(packet).first(5 + data.size()));
}

void SendNmeaSettings(CommandSender& out, int intervalSeconds, uint32_t messageMask) {
  Packet<6> p(0x7A);
  p.SetU8(0, 0x00);
  p.SetU8(1, intervalSeconds);
  p.SetU32(2, messageMask);
  p.SendTo(out);
}

void SendReceiverConfig(CommandSender& out, const ReceiverConfig& config) {
  Packet<43> p(0xBB);
  p.SetU8(0, 0x00);
  p.SetU8(1, config.receiverMode);
  p.SetU8(2, config.dgpsMode);
  p.SetU8(3, config.dynamicsCode);
  p.SetU8(4, 0x01);
  p.SetSingle(5, config.elevationMaskRad);
  p.SetSingle(9, config.signalLevelMask);
  p.SetSingle(13, config.pdopMask);
  p.SetSingle(17, config.pdopSwitch);
  p.SetU8(21, config.dgpsAgeLimit);
  // Offsets 22..26 stay 0x00.
  std::fill(p.Field(27), p.Field(27) + 16, uint8_t{0xFF});
  p.SendTo(out);
}

void SendPortSettings(CommandSender& out, const PortSettings& settings) {
  SendBytes(out, 0xBC, settings.portIndex, settings.baudCode, settings.baudCode,
            settings.dataBitsCode, settings.parityCode, settings.stopBitsCode, 0x00,
            settings.inputProtocol, settings.outputProtocol, 0x00);
}

void SendDatum(CommandSender& out, int datumIndex) {
  Packet<3> p(kSuperpacket);
  p.SetU8(0, 0x15);
  p.SetU16(1, datumIndex);
  p.SendTo(out);
}

void SendPpsCharacteristics(CommandSender& out, int driverSwitch, int timeBase, int polarity,
                            double offsetSeconds, float biasThresholdMetres) {
  Packet<16> p(kSuperpacket);
  p.SetU8(0, 0x4A);
  p.SetU8(1, driverSwitch);
  p.SetU8(2, timeBase);
  p.SetU8(3, polarity);
  p.SetDouble(4, offsetSeconds);
  p.SetSingle(12, biasThresholdMetres);
  p.SendTo(out);
}

void SendSurveyLimit(CommandSender& out, uint32_t limit) { SendSuperU32(out, 0x4B, limit); }
void SendAutoOutputMask(CommandSender& out, uint32_t mask) { SendSuperU32(out, 0x4D, mask); }

void SendPpsOutputOption(CommandSender& out, int option) {
  SendBytes(out, kSuperpacket, 0x4E, option);
}

void SendPpsWidth(CommandSender& out, double seconds) {
  Packet<9> p(kSuperpacket);
  p.SetU8(0, 0x4F);
  p.SetDouble(1, seconds);
  p.SendTo(out);
}

void SendOutputOption(CommandSender& out, uint8_t subCode, int when) {
  SendBytes(out, kSuperpacket, subCode, when);
}

void SendUserTime(CommandSender& out, int week, uint32_t timeOfWeek) {
  Packet<8> p(kSuperpacket);
  p.SetU8(0, 0xA4);
  p.SetU8(1, 0x01);
  p.SetU16(2, week);
  p.SetU32(4, timeOfWeek);
  p.SendTo(out);
}

void SendTestUtcParams(CommandSender& out, const TestUtcParams& params) {
  Packet<24> p(kSuperpacket);
  p.SetU8(0, 0xA4);
  p.SetU8(1, 0x03);
  p.SetSingle(2, params.a0);
  p.SetSingle(6, params.a1);
  p.SetU16(10, params.deltaTls);  // I16: the same 16 bits, two's complement
  p.SetU32(12, params.tot);
  p.SetU16(16, params.wnT);
  p.SetU16(18, params.wnLsf);
  p.SetU16(20, params.dn);
  p.SetU16(22, params.deltaTlsf);  // I16
  p.SendTo(out);
}

void SendBroadcastMask(CommandSender& out, uint8_t mask1, uint8_t mask2) {
  SendBytes(out, kSuperpacket, 0xA5, mask1, mask2, 0x00, 0x00);
}

void SendSelfSurveyParams(CommandSender& out, int enable, int save, uint32_t limit) {
  Packet<11> p(kSuperpacket);
  p.SetU8(0, 0xA9);
  p.SetU8(1, enable);
  p.SetU8(2, save);
  p.SetU32(3, limit);
  p.SetU32(7, 0);
  p.SendTo(out);
}

}  // namespace zelkon
