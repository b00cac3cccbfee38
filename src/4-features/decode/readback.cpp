// Configuration read-back reports, decoded into the setup windows.
#include "decode/readback.h"

#include "base/application.h"
#include "config/auto_out_form.h"
#include "config/auto_output.h"
#include "config/datum_form.h"
#include "config/gps_form.h"
#include "config/gps_settings.h"
#include "config/navigation_params.h"
#include "config/nmea_form.h"
#include "config/nmea_output.h"
#include "config/packet_masks.h"
#include "config/packet_masks_form.h"
#include "config/self_survey.h"
#include "config/self_survey_form.h"
#include "config/serial_form.h"
#include "config/serial_ports.h"
#include "config/timing_out_form.h"
#include "config/timing_outputs.h"
#include "config/varnel_port_a_out_form.h"

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
  app.segmentReadback.selfSurveyLimit = r.limit;
}

void ShowSurveyLimit(Application& app, const SurveyLimit& r) {
  WriteSurveyLimit(app.Window<TForm_VarnelSurvey>(), r.limit);
}

void ShowDatum(Application& app, const DatumIndex& r) {
  WriteDatum(app.Window<TForm_Datum>(), r);
  app.segmentReadback.datumIndex = r.index;
}

void ShowIoOptions(Application& app, const IoOptions& r) {
  WriteIoOptions(app.Window<TForm_PacketMasks>(), r);
}

void ShowBroadcastMask(Application& app, const BroadcastMask& r) {
  WriteBroadcastMask(app.Window<TForm_PacketMasks>(), r);
  WritePortAOutput(app.Window<TForm_VarnelPortAOut>(), r);
}

void ShowAutoOutputMask(Application& app, const AutoOutputMask& r) {
  WriteAutoOutputMask(app.Window<TForm_AutoOut>(), r);
}

void ShowNmeaConfig(Application& app, const NmeaConfig& r) {
  WriteNmeaConfig(app.Window<TForm_NMEA>(), r);
  app.segmentReadback.nmeaInterval = r.intervalSeconds;
}

}  // namespace zelkon
