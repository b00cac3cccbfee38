// Configuration read-back reports, decoded into the setup windows. The reports of the windows not
// built yet (0x55, 0x7B, 0x8F-15, 0x8F-4D, 0x8F-A5) light the Rx LED, are recorded when recording
// is on, and are otherwise left undecoded.
#include "decode/readback.h"

#include "base/application.h"
#include "config/gps_form.h"
#include "config/gps_settings.h"
#include "config/self_survey.h"
#include "config/self_survey_form.h"
#include "config/serial_form.h"
#include "config/serial_ports.h"
#include "config/timing_out_form.h"
#include "config/timing_outputs.h"
#include "decode/decode_with.h"
#include "decode/decoders.h"

namespace zelkon {

void ShowReceiverConfig(Application& app, const ReceiverConfig& r) {
  WriteReceiverConfig(app.Window<TForm_GPS>(), r);
}

void ShowPortConfig(Application& app, const PortSettings& r) {
  WritePortSettings(app.Window<TForm_Serial>(), r);
  SegmentReadback& readback = app.segmentReadback;
  (r.portIndex == kPortA ? readback.portAParity : readback.portBParity) = r.parityCode;
}

void ShowPpsCharacteristics(Application& app, const PpsCharacteristics& r) {
  WritePpsCharacteristics(app.Window<TForm_TimingOut>(), r);
}

void ShowPpsOutputOption(Application& app, const PpsOutputOption& r) {
  WritePpsOutputOption(app.Window<TForm_TimingOut>(), r.option);
  app.segmentReadback.timingOutputOption = r.option;
}

void ShowPpsWidth(Application& app, const PpsWidth& r) {
  WritePpsWidth(app.Window<TForm_TimingOut>(), r.widthSeconds);
}

void ShowSelfSurveyParams(Application& app, const SelfSurveyParams& r) {
  WriteSelfSurveyParams(app.Window<TForm_SelfSurvey>(), r);
  app.segmentReadback.selfSurveyLimit = static_cast<int32_t>(r.limit);
}

void ShowSurveyLimit(Application& app, const SurveyLimit& r) {
  WriteSurveyLimit(app.Window<TForm_VarnelSurvey>(), r.limit);
}

void DecodeReceiverConfig(Application& app, const uint8_t* payload, int length) {
  DecodeWith<ParseReceiverConfig, ShowReceiverConfig>(app, payload, length);
}

void DecodePortConfig(Application& app, const uint8_t* payload, int length) {
  DecodeWith<ParsePortConfig, ShowPortConfig>(app, payload, length);
}

void DecodePpsCharacteristics(Application& app, const uint8_t* payload, int length) {
  DecodeWith<ParsePpsCharacteristics, ShowPpsCharacteristics>(app, payload, length);
}

void DecodeSurveyLimit(Application& app, const uint8_t* payload, int length) {
  DecodeWith<ParseSurveyLimit, ShowSurveyLimit>(app, payload, length);
}

void DecodePpsOutputOption(Application& app, const uint8_t* payload, int length) {
  DecodeWith<ParsePpsOutputOption, ShowPpsOutputOption>(app, payload, length);
}

void DecodePpsWidth(Application& app, const uint8_t* payload, int length) {
  DecodeWith<ParsePpsWidth, ShowPpsWidth>(app, payload, length);
}

void DecodeSelfSurveyParams(Application& app, const uint8_t* payload, int length) {
  DecodeWith<ParseSelfSurveyParams, ShowSelfSurveyParams>(app, payload, length);
}

void DecodeIoOptions(Application&, const uint8_t*, int) {}
void DecodeNmeaConfig(Application&, const uint8_t*, int) {}
void DecodeDatum(Application&, const uint8_t*, int) {}
void DecodeAutoOutputMask(Application&, const uint8_t*, int) {}
void DecodeBroadcastMask(Application&, const uint8_t*, int) {}

}  // namespace zelkon
