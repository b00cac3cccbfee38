// Every RXBIN command the program sends.
//
// Each builder takes plain values, fills the packet id and payload in a buffer of its own and hands
// the packet to the sender. Multi-byte fields are big-endian; values are cut to their field width
// as given (an int for a U8 field goes out as its low 8 bits). Builders check nothing and keep no
// state; whether a command goes out at all is the sender's decision.
#pragma once

#include <cstdint>
#include <span>

#include "commands/command_sender.h"
#include "link/port_settings.h"
#include "reports/config.h"

namespace zelkon {

// ---- Queries ---------------------------------------------------------------------------------

void SendSoftwareVersionQuery(CommandSender& out);           // 0x1F          -> 0x45
void SendAlmanacQuery(CommandSender& out, int prn);          // 0x20 prn      -> 0x40
void SendTimeQuery(CommandSender& out);                      // 0x21          -> 0x41
void SendSatelliteSelectionQuery(CommandSender& out);        // 0x24          -> 0x6D
void SendHealthQuery(CommandSender& out);                    // 0x26          -> 0x46
void SendAlmanacHealthQuery(CommandSender& out);             // 0x29          -> 0x49
void SendAltitudeQuery(CommandSender& out);                  // 0x2A          -> 0x4A (9 bytes)
void SendUtcParamsQuery(CommandSender& out);                 // 0x2F          -> 0x4F
void SendIoOptionsQuery(CommandSender& out);                 // 0x35          -> 0x55
void SendRawMeasurementQuery(CommandSender& out, int prn);   // 0x3A prn      -> 0x5A
void SendEphemerisStatusQuery(CommandSender& out, int prn);  // 0x3B prn      -> 0x5B
void SendTrackingStatusQuery(CommandSender& out);            // 0x3C 00       -> 0x5C
void SendSegmentStatusQuery(CommandSender& out);             // 0x3F 11       -> 0x5F-11
void SendNmeaQuery(CommandSender& out);                      // 0x7A 00       -> 0x7B
void SendReceiverConfigQuery(CommandSender& out);            // 0xBB 00       -> 0xBB
void SendPortConfigQuery(CommandSender& out, int port);      // 0xBC port     -> 0xBC
void SendComprehensiveTimeQuery(CommandSender& out);         // 0x8E-0B       -> 0x8F-0B
void SendDatumQuery(CommandSender& out);                     // 0x8E-15       -> 0x8F-15
void SendManufacturingParamsQuery(CommandSender& out);       // 0x8E-41       -> 0x8F-41
void SendProductionParamsQuery(CommandSender& out);          // 0x8E-42       -> 0x8F-42
void SendPpsCharacteristicsQuery(CommandSender& out);        // 0x8E-4A       -> 0x8F-4A
void SendSurveyLimitQuery(CommandSender& out);               // 0x8E-4B       -> 0x8F-4B
void SendAutoOutputMaskQuery(CommandSender& out);            // 0x8E-4D       -> 0x8F-4D
void SendPpsOutputOptionQuery(CommandSender& out);           // 0x8E-4E       -> 0x8F-4E
void SendPpsWidthQuery(CommandSender& out);                  // 0x8E-4F       -> 0x8F-4F
void SendBroadcastMaskQuery(CommandSender& out);             // 0x8E-A5       -> 0x8F-A5
void SendSelfSurveyParamsQuery(CommandSender& out);          // 0x8E-A9       -> 0x8F-A9
void SendTimingPacketsQuery(CommandSender& out);             // 0x8E-AB 02    -> 0x8F-AB, 0x8F-AC
void SendPrimaryUtcTimeQuery(CommandSender& out);            // 0x8E-AD       -> 0x8F-AD

// ---- Resets and actions ----------------------------------------------------------------------

enum class ResetCode : uint8_t {
  Cold = 0x4B,               // 'K'
  FactoryAll = 0x46,         // 'F': all data and parameters
  FactoryNavigation = 0x4E,  // 'N': navigation data
  FactoryConfig = 0x52,      // 'R': configuration parameters
};

void SendReset(CommandSender& out, ResetCode code);  // 0x1E code
void SendWarmReset(CommandSender& out);              // 0x25
void SendSaveSegments(CommandSender& out);           // 0x8E-26
inline constexpr int kAllSegments = 255;
void SendRevertSegment(CommandSender& out, int segment);  // 0x8E-45 segment
void SendRestartSelfSurvey(CommandSender& out);           // 0x8E-A6 00
void SendSiCode(CommandSender& out, int code);            // 0x8E-AF code (6, 8, 9)
void SendProductType(CommandSender& out, uint32_t code);  // 0x8E-0C 02 code
void SendExitTestMode(CommandSender& out);                // 0x8E-A4 00

// ---- Settings --------------------------------------------------------------------------------

void SendAltitude(CommandSender& out, float metres);                   // 0x2A SINGLE
void SendCancelAltitude(CommandSender& out);                           // 0x2A FF
void SendInitialTime(CommandSender& out, float timeOfWeek, int week);  // 0x2E
void SendEcefPosition(CommandSender& out, float x, float y, float z);  // 0x31
void SendLlaPosition(CommandSender& out, float latitudeRad, float longitudeRad,
                     float altitude);                // 0x32
void SendOneSatellite(CommandSender& out, int prn);  // 0x34 prn (0: highest)

void SendIoOptions(CommandSender& out, const IoOptions& options);  // 0x35 set form

// System data (almanac, health, ionosphere, UTC). The load form carries N data bytes, N < 256.
void SendSystemDataRequest(CommandSender& out, int blockType, int prn);  // 0x38 01 type prn
void SendSystemDataLoad(CommandSender& out, int blockType, int prn,
                        std::span<const uint8_t> data);  // 0x38 02 type prn N data

void SendNmeaSettings(CommandSender& out, int intervalSeconds, uint32_t messageMask);  // 0x7A

void SendReceiverConfig(CommandSender& out, const ReceiverConfig& config);  // 0xBB set form

// 0xBC set form: port, baud code twice, data bits, parity, stop bits, 00, input, output, 00.
void SendPortSettings(CommandSender& out, const PortSettings& settings);

void SendDatum(CommandSender& out, int datumIndex);  // 0x8E-15
void SendPpsCharacteristics(CommandSender& out, int driverSwitch, int timeBase, int polarity,
                            double offsetSeconds, float biasThresholdMetres);  // 0x8E-4A
void SendSurveyLimit(CommandSender& out, uint32_t limit);                      // 0x8E-4B
void SendAutoOutputMask(CommandSender& out, uint32_t mask);                    // 0x8E-4D
void SendPpsOutputOption(CommandSender& out, int option);                      // 0x8E-4E
void SendPpsWidth(CommandSender& out, double seconds);                         // 0x8E-4F
// 0x8E-0B or 0x8E-AD option form: `subCode` 0x0B or 0xAD, `when` 0 request, 1 PPS, 2 event, 3 both.
void SendOutputOption(CommandSender& out, uint8_t subCode, int when);
void SendUserTime(CommandSender& out, int week, uint32_t timeOfWeek);  // 0x8E-A4 01

struct TestUtcParams {
  float a0 = 0;
  float a1 = 0;
  int deltaTls = 0;
  uint32_t tot = 0;
  int wnT = 0;
  int wnLsf = 0;
  int dn = 0;
  int deltaTlsf = 0;
};
void SendTestUtcParams(CommandSender& out, const TestUtcParams& params);  // 0x8E-A4 03

void SendBroadcastMask(CommandSender& out, uint8_t mask1, uint8_t mask2);             // 0x8E-A5
void SendSelfSurveyParams(CommandSender& out, int enable, int save, uint32_t limit);  // 0x8E-A9

}  // namespace zelkon
