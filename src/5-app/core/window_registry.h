// The window registry: every window of the program, one line each, the main window first. The
// application creates its windows from this table (core/monitor.h) and the Qt layer its widgets
// (gui/windows.cpp), so a window is added by its model header, its handlers file, its .ui file and
// one line here (with the include of its headers above).
#pragma once

#include "config/altitude_form.h"
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
#include "config/segments.h"
#include "config/segments_form.h"
#include "config/self_survey.h"
#include "config/self_survey_form.h"
#include "config/serial_form.h"
#include "config/serial_ports.h"
#include "config/sv_num_form.h"
#include "config/timing_out_form.h"
#include "config/timing_outputs.h"
#include "config/varnel_port_a_out_form.h"
#include "main/about.h"
#include "main/about_form.h"
#include "main/main_form.h"
#include "menu/main_menu.h"
#include "tools/diagnostics_form.h"
#include "tools/reset_test.h"
#include "tools/test_modes.h"
#include "tools/test_modes_form.h"
#include "transfer/alm_form.h"
#include "transfer/almanac_transfer.h"
#include "transfer/initial_pos_form.h"
#include "transfer/initial_time_form.h"
#include "transfer/log_rxbin_form.h"
#include "transfer/position_transfer.h"
#include "transfer/recording.h"
#include "transfer/time_transfer.h"
#include "views/add_timing_form.h"
#include "views/alm_health_form.h"
#include "views/almanac_data_form.h"
#include "views/charts.h"
#include "views/charts_form.h"
#include "views/ephem_stat_form.h"
#include "views/message_form.h"
#include "views/message_log.h"
#include "views/monitoring_windows.h"
#include "views/product_form.h"
#include "views/raw_meas_form.h"
#include "views/sky_form.h"
#include "views/system_data_windows.h"
#include "views/track_form.h"
#include "views/utc_param_form.h"
#include "views/vel_pos_form.h"

namespace zelkon {

// A window that no menu item of the main window opens.
inline constexpr MenuItem TForm_Main::*kNoOpener = nullptr;

// A window whose controls only the decoders write.
inline void NoHandlers(Application&, Form&) {}

}  // namespace zelkon

// WINDOW(Class, member, opener, wire):
//   Class   the window model, TForm_X; its widgets come from gui/forms/TForm_X.ui
//   member  the application's member holding it, Form_X
//   opener  the main-window menu item whose click shows it, or kNoOpener
//   wire    connects its handlers: void wire(Application&, Class&)
#define ZELKON_WINDOWS(WINDOW)                                                                     \
  WINDOW(TForm_Main, Form_Main, kNoOpener, WireMainWindow)                                         \
  WINDOW(TForm_Track, Form_Track, &TForm_Main::ViewTrack, NoHandlers)                              \
  WINDOW(TForm_RawMeas, Form_RawMeas, &TForm_Main::ViewRawMeas, WireRawMeasWindow)                 \
  WINDOW(TForm_EphemStat, Form_EphemStat, &TForm_Main::ViewEphemStat, WireEphemStatWindow)         \
  WINDOW(TForm_Product, Form_Product, &TForm_Main::ViewProduct, WireProductWindow)                 \
  WINDOW(TForm_VelPos, Form_VelPos, &TForm_Main::ViewVelPos, WireVelPosWindow)                     \
  WINDOW(TForm_AddTiming, Form_AddTiming, &TForm_Main::ViewAddTiming, WireAddTimingWindow)         \
  WINDOW(TForm_AlmanacData, Form_AlmanacData, &TForm_Main::ViewAlmanacData, WireAlmanacDataWindow) \
  WINDOW(TForm_AlmHealth, Form_AlmHealth, &TForm_Main::ViewAlmHealth, WireAlmHealthWindow)         \
  WINDOW(TForm_UTCParam, Form_UTCParam, &TForm_Main::ViewUTCParam, WireUtcParamWindow)             \
  WINDOW(TForm_InitialPos, Form_InitialPos, &TForm_Main::ControlUploadPos,                         \
         WireInitialPositionWindow)                                                                \
  WINDOW(TForm_InitialTime, Form_InitialTime, &TForm_Main::ControlUploadTime,                      \
         WireInitialTimeWindow)                                                                    \
  WINDOW(TForm_About, Form_About, &TForm_Main::HelpAbout, WireAboutWindow)                         \
  WINDOW(TForm_Altitude, Form_Altitude, &TForm_Main::SetupAltitude, WireAltitudeWindow)            \
  WINDOW(TForm_Datum, Form_Datum, &TForm_Main::SetupDatum, WireDatumWindow)                        \
  WINDOW(TForm_SVNum, Form_SVNum, &TForm_Main::SetupSVNum, WireSVNumWindow)                        \
  WINDOW(TForm_TimingOut, Form_TimingOut, &TForm_Main::SetupTimingOutputs,                         \
         WireTimingOutputsWindow)                                                                  \
  WINDOW(TForm_Serial, Form_Serial, &TForm_Main::SetupSerialPorts, WireSerialPortsWindow)          \
  WINDOW(TForm_GPS, Form_GPS, &TForm_Main::SetupGPS, WireGpsSettingsWindow)                        \
  WINDOW(TForm_SelfSurvey, Form_SelfSurvey, &TForm_Main::SetupSelfSurvey, WireSelfSurveyWindow)    \
  WINDOW(TForm_VarnelSurvey, Form_VarnelSurvey, &TForm_Main::SetupVarnelSelfSurvey,                \
         WireVarnelSurveyWindow)                                                                   \
  WINDOW(TForm_PacketMasks, Form_PacketMasks, &TForm_Main::SetupPacketMasks,                       \
         WirePacketMasksWindow)                                                                    \
  WINDOW(TForm_AutoOut, Form_AutoOut, &TForm_Main::SetupPortBOutput, WireAutoOutputWindow)         \
  WINDOW(TForm_VarnelPortAOut, Form_VarnelPortAOut, &TForm_Main::SetupPortAOutput,                 \
         WireVarnelPortAOutWindow)                                                                 \
  WINDOW(TForm_NMEA, Form_NMEA, &TForm_Main::SetupNMEAOutpu, WireNmeaOutputWindow)                 \
  WINDOW(TForm_Default, Form_Default, &TForm_Main::SetupRevertSegment, WireDefaultSegmentWindow)   \
  WINDOW(TForm_EEPROM, Form_EEPROM, &TForm_Main::ViewEEPROM, WireEepromWindow)                     \
  WINDOW(TForm_Message, Form_Message, &TForm_Main::ViewMessageLog, WireMessageWindow)              \
  WINDOW(TForm_LogRxbin, Form_LogRxbin, &TForm_Main::ControlRecordRxbin, WireLogRxbinWindow)       \
  WINDOW(TForm_Alm, Form_Alm, kNoOpener, WireAlmWindow)                                            \
  WINDOW(TForm_Diagnostics, Form_Diagnostics, &TForm_Main::ViewDiagnostics, WireDiagnosticsWindow) \
  WINDOW(TForm_Test, Form_Test, &TForm_Main::ViewTestModes, WireTestWindow)                        \
  WINDOW(TForm_Charts, Form_Charts, &TForm_Main::ViewCharts, WireChartsWindow)                     \
  WINDOW(TForm_Sky, Form_Sky, &TForm_Main::ViewSky, WireSkyWindow)
