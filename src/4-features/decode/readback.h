// The display steps of the configuration read-back reports: each fills its setup window, whether or
// not the window is shown, so a window opens on what the receiver last reported. Several also keep
// one value for the segment check of the reset diagnostics, stored after the window is filled.
#pragma once

#include "reports/config.h"

namespace zelkon {

class Application;

// 0xBB: TForm_GPS.
void ShowReceiverConfig(Application& app, const ReceiverConfig& report);
// 0xBC: the lists of the port it names in TForm_Serial; that port's parity code is kept.
void ShowPortConfig(Application& app, const PortSettings& report);
// 0x8F-4A, 0x8F-4E and 0x8F-4F: TForm_TimingOut; the whole output option byte is kept.
void ShowPpsCharacteristics(Application& app, const PpsCharacteristics& report);
void ShowPpsOutputOption(Application& app, const PpsOutputOption& report);
void ShowPpsWidth(Application& app, const PpsWidth& report);
// 0x8F-A9: TForm_SelfSurvey; the survey limit is kept.
void ShowSelfSurveyParams(Application& app, const SelfSurveyParams& report);
// 0x8F-4B: TForm_VarnelSurvey.
void ShowSurveyLimit(Application& app, const SurveyLimit& report);
// 0x55: the option boxes of TForm_PacketMasks.
void ShowIoOptions(Application& app, const IoOptions& report);
// 0x8F-A5: the mask boxes of TForm_PacketMasks and the port A choices of TForm_VarnelPortAOut.
void ShowBroadcastMask(Application& app, const BroadcastMask& report);
// 0x8F-4D: TForm_AutoOut.
void ShowAutoOutputMask(Application& app, const AutoOutputMask& report);
// 0x7B: TForm_NMEA; the output interval is kept.
void ShowNmeaConfig(Application& app, const NmeaConfig& report);
// 0x8F-15: the datum selected in TForm_Datum; the datum index is kept.
void ShowDatum(Application& app, const DatumIndex& report);

}  // namespace zelkon
