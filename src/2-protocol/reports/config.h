// The configuration read-back reports: what the receiver holds in its settings, as it answers the
// setup windows' queries. Where a set command carries the same settings, it takes the same struct
// (IoOptions, ReceiverConfig, PortSettings, PpsCharacteristics, SelfSurveyParams), so a window
// reads back what it sends.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "link/port_settings.h"

namespace zelkon {

class JsonObject;

// 0x55, 4 bytes: the input/output options, one bit field per byte, bit 0 the least significant;
// the 0x35 set form carries the same bytes.
struct IoOptions {
  uint8_t position = 0;   // bit 0 ECEF, 1 LLA, 2 output MSL, 3 input MSL, 4 double, 5 8F-20
  uint8_t velocity = 0;   // bit 0 ECEF, 1 ENU
  uint8_t timing = 0;     // bit 0 UTC tags, 1 integer second, 2 on request, 3 synch, 4 minimize
  uint8_t auxiliary = 0;  // bit 0 raw measurements, 1 doppler smoothed, 3 dBc/Hz
};

// 0x7B, 6 bytes.
struct NmeaConfig {
  uint8_t intervalSeconds = 0;
  uint32_t sentenceMask = 0;  // bit 0 GGA, 1 GLL, 2 VTG, 3 GSV, 4 GSA, 5 ZDA, 8 RMC
};

// 0xBB, 43 bytes; the 0xBB set form carries the same values.
struct ReceiverConfig {
  int receiverMode = 0;  // 0 automatic .. 7 overdetermined clock
  int dgpsMode = 0;      // 0 off, 1 on, 3 auto
  int dynamicsCode = 0;  // 1 land, 2 sea, 3 air, 4 stationary
  float elevationMaskRad = 0;
  float signalLevelMask = 0;  // AMU
  float pdopMask = 0;
  float pdopSwitch = 0;
  int dgpsAgeLimit = 0;  // seconds
};

// 0x8F-15, 43 bytes: the datum in use, by its index in the receiver's list.
struct DatumIndex {
  uint16_t index = 0;
};

// 0x8F-4A, 16 bytes; the 0x8E-4A set form carries the same values.
struct PpsCharacteristics {
  int driverSwitch = 0;  // 0 disabled, 1 enabled
  int timeBase = 0;      // 0 GPS, 1 UTC
  int polarity = 0;      // 0 positive, 1 negative
  double offsetSeconds = 0;
  float biasThresholdMetres = 0;
};

// 0x8F-4B, 5 bytes: the auto-survey limit of the Varnel receiver.
struct SurveyLimit {
  uint32_t limit = 0;
};

// 0x8F-4D, 5 bytes: the automatic outputs of port B, one bit per report group.
struct AutoOutputMask {
  uint32_t mask = 0;
};

// 0x8F-4E, 2 bytes: 2 always, 3 with one satellite tracked, 4 with three; bit 7 even seconds only.
struct PpsOutputOption {
  uint8_t option = 0;
};

// 0x8F-4F, 9 bytes.
struct PpsWidth {
  double widthSeconds = 0;
};

// 0x8F-A5, 5 bytes: the packet broadcast masks. The last two bytes are not kept.
struct BroadcastMask {
  uint8_t mask1 = 0;
  uint8_t mask2 = 0;
};

// 0x8F-A9, 11 bytes; the 0x8E-A9 set form carries the same values. The last four bytes are not
// kept.
struct SelfSurveyParams {
  int enable = 0;  // non-zero: enabled
  int save = 0;    // non-zero: the surveyed position is saved automatically
  uint32_t limit = 0;
};

std::optional<IoOptions> ParseIoOptions(std::span<const uint8_t> payload);
std::optional<NmeaConfig> ParseNmeaConfig(std::span<const uint8_t> payload);
std::optional<ReceiverConfig> ParseReceiverConfig(std::span<const uint8_t> payload);
// 0xBC, 10 bytes: byte 0 is the port, 0 port A and any other value port B, kept as it came.
std::optional<PortSettings> ParsePortConfig(std::span<const uint8_t> payload);
std::optional<DatumIndex> ParseDatumIndex(std::span<const uint8_t> payload);
std::optional<PpsCharacteristics> ParsePpsCharacteristics(std::span<const uint8_t> payload);
std::optional<SurveyLimit> ParseSurveyLimit(std::span<const uint8_t> payload);
std::optional<AutoOutputMask> ParseAutoOutputMask(std::span<const uint8_t> payload);
std::optional<PpsOutputOption> ParsePpsOutputOption(std::span<const uint8_t> payload);
std::optional<PpsWidth> ParsePpsWidth(std::span<const uint8_t> payload);
std::optional<BroadcastMask> ParseBroadcastMask(std::span<const uint8_t> payload);
std::optional<SelfSurveyParams> ParseSelfSurveyParams(std::span<const uint8_t> payload);

void AddJson(const IoOptions& report, JsonObject& out);
void AddJson(const NmeaConfig& report, JsonObject& out);
void AddJson(const ReceiverConfig& report, JsonObject& out);
void AddJson(const PortSettings& report, JsonObject& out);
void AddJson(const DatumIndex& report, JsonObject& out);
void AddJson(const PpsCharacteristics& report, JsonObject& out);
void AddJson(const SurveyLimit& report, JsonObject& out);
void AddJson(const AutoOutputMask& report, JsonObject& out);
void AddJson(const PpsOutputOption& report, JsonObject& out);
void AddJson(const PpsWidth& report, JsonObject& out);
void AddJson(const BroadcastMask& report, JsonObject& out);
void AddJson(const SelfSurveyParams& report, JsonObject& out);

}  // namespace zelkon
