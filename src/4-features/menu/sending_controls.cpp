#include "menu/sending_controls.h"

#include "base/application.h"
#include "config/altitude_form.h"
#include "config/auto_out_form.h"
#include "config/datum_form.h"
#include "config/gps_form.h"
#include "config/nmea_form.h"
#include "config/packet_masks_form.h"
#include "config/segments_form.h"
#include "config/self_survey_form.h"
#include "config/serial_form.h"
#include "config/sv_num_form.h"
#include "config/timing_out_form.h"
#include "config/varnel_port_a_out_form.h"
#include "main/main_form.h"
#include "tools/diagnostics_form.h"
#include "tools/test_modes_form.h"
#include "transfer/initial_pos_form.h"
#include "transfer/initial_time_form.h"
#include "views/add_timing_form.h"
#include "views/alm_health_form.h"
#include "views/almanac_data_form.h"
#include "views/ephem_stat_form.h"
#include "views/raw_meas_form.h"
#include "views/utc_param_form.h"

namespace zelkon {
namespace {

// The OK and Apply buttons of a setup window.
template <class Window>
void AddOkAndApply(std::vector<UsableControl*>& list, Window& w) {
  list.insert(list.end(), {&w.Button_OK, &w.Button_Apply});
}

}  // namespace

std::vector<UsableControl*> SendingControls(Application& app) {
  TForm_Main& m = app.Window<TForm_Main>();
  std::vector<UsableControl*> list = {
      // Resets, the self-survey, the transfers between receiver and PC, and the hidden keys.
      &m.ControlCold, &m.ControlWarm, &m.ControlFactoryAll, &m.ControlFactoryNav,
      &m.ControlFactoryConfig, &m.ControlRestartSurvey, &m.ControlUploadPos, &m.ControlUploadTime,
      &m.ControlUploadAlmanac, &m.ControlDownloadPos, &m.ControlTimeToPC, &m.ControlDownloadAlmanac,
      &m.ControlPacketsOn, &m.ControlSICode6, &m.ControlSICode8, &m.ControlSICode9,
      // The EEPROM commands of the Setup menu.
      &m.SetupSaveSegments, &m.SetupDefaultSegments};

  // The setup windows' set buttons.
  AddOkAndApply(list, app.Window<TForm_GPS>());
  AddOkAndApply(list, app.Window<TForm_AutoOut>());
  AddOkAndApply(list, app.Window<TForm_VarnelPortAOut>());
  AddOkAndApply(list, app.Window<TForm_NMEA>());
  AddOkAndApply(list, app.Window<TForm_Datum>());
  AddOkAndApply(list, app.Window<TForm_SVNum>());
  AddOkAndApply(list, app.Window<TForm_Default>());
  TForm_Serial& serial = app.Window<TForm_Serial>();
  TForm_TimingOut& timing = app.Window<TForm_TimingOut>();
  TForm_PacketMasks& masks = app.Window<TForm_PacketMasks>();
  list.insert(list.end(), {&serial.Button_SetA, &serial.Button_SetB, &timing.Button_SetChar,
                           &timing.Button_SetOutput, &timing.Button_Width,
                           &app.Window<TForm_SelfSurvey>().Button_Set,
                           &app.Window<TForm_VarnelSurvey>().Button_Set, &masks.Button_Set35,
                           &masks.Button_Set8EA5, &app.Window<TForm_Altitude>().Button_Set});

  // Position and time uploads.
  TForm_InitialPos& position = app.Window<TForm_InitialPos>();
  list.insert(list.end(), {&position.Button_SetLLA, &position.Button_SetECEF, &position.Button_File,
                           &app.Window<TForm_InitialTime>().Button_SetTime});

  // The queries of the monitoring windows, and the event input's pulse.
  TForm_AddTiming& addTiming = app.Window<TForm_AddTiming>();
  list.insert(
      list.end(),
      {&app.Window<TForm_EEPROM>().Button_Refresh, &app.Window<TForm_RawMeas>().Button_Refresh,
       &app.Window<TForm_EphemStat>().Button_Refresh, &addTiming.Button_Query,
       &addTiming.Button_Event, &app.Window<TForm_AlmanacData>().Button_Query,
       &app.Window<TForm_AlmHealth>().Button_Query, &app.Window<TForm_UTCParam>().Button_Query});

  // The engineering tools: the reset test, the product type and the timing test modes.
  TForm_Diagnostics& diagnostics = app.Window<TForm_Diagnostics>();
  TForm_Test& test = app.Window<TForm_Test>();
  list.insert(list.end(), {&diagnostics.Button_AppFatalStart, &diagnostics.Button_Set_ProductType,
                           &test.Button_SetWeek, &test.Button_SetUTC, &test.Button_EndTest});
  return list;
}

void LockSendingControls(Application& app, const char* reason) {
  for (UsableControl* control : SendingControls(app))
    control->Lock(reason);
}

}  // namespace zelkon
