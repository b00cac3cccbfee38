// Handlers of the monitoring windows. The report decoders fill these windows; the handlers here
// only empty them and send the queries whose answers refill them.
#include "views/monitoring_windows.h"

#include <initializer_list>

#include "base/application.h"
#include "commands/commands.h"
#include "views/add_timing_form.h"
#include "views/ephem_stat_form.h"
#include "views/product_form.h"
#include "views/raw_meas_form.h"
#include "views/vel_pos_form.h"

namespace zelkon {
namespace {

void SetCaptions(std::initializer_list<Panel*> panels, const char* text) {
  for (Panel* panel : panels)
    panel->SetCaption(text);
}

// ---- Raw measurement and ephemeris status: one satellite each ----

void RefreshRawMeasurement(Application& app) {
  TForm_RawMeas& f = app.Window<TForm_RawMeas>();
  SetCaptions({&f.Panel_SampleLen, &f.Panel_SignalLevel, &f.Panel_CodePhase, &f.Panel_Doppler,
               &f.Panel_Time},
              "");
  SendRawMeasurementQuery(app, f.TabControl_SV.TabIndex() + 1);
}

void RefreshEphemerisStatus(Application& app) {
  TForm_EphemStat& f = app.Window<TForm_EphemStat>();
  SetCaptions({&f.Panel_Time, &f.Panel_Health, &f.Panel_IODE, &f.Panel_toe, &f.Panel_FitFlag,
               &f.Panel_Accuracy},
              "");
  SendEphemerisStatusQuery(app, f.ComboBox_SV.ItemIndex() + 1);
}

// ---- Product information ----

// Empties every value (and the two box captions that carry the build hour and the premium
// options), then asks for the software versions, the manufacturing and the production
// parameters.
void QueryProductInfo(Application& app) {
  TForm_Product& f = app.Window<TForm_Product>();
  SetCaptions({&f.Panel_NavVersion, &f.Panel_NavDate, &f.Panel_SigVersion, &f.Panel_SigDate,
               &f.Panel_NavHour, &f.Panel_ManSerNumPrefix, &f.Panel_ManSerNum, &f.Panel_ManDate,
               &f.Panel_ManHour, &f.Panel_ManOscOffset, &f.Panel_ManIDNum, &f.Panel_ProdOptsPrefix,
               &f.Panel_ProdNumExt, &f.Panel_ProdSerNumPrefix, &f.Panel_ProdSerNum,
               &f.Panel_ProdNum, &f.Panel_ProdPremOpt, &f.Panel_ProdIDNum},
              "");
  SendSoftwareVersionQuery(app);
  app.clock.SleepMs(kCommandPauseMs);
  SendManufacturingParamsQuery(app);
  app.clock.SleepMs(kCommandPauseMs);
  SendProductionParamsQuery(app);
}

// ---- Velocity and position ----

void ClearVelocityPosition(Application& app) {
  for (Panel* panel : app.Window<TForm_VelPos>().ValuePanels())
    panel->SetCaption(" ");
}

// ---- Additional timing ----

void QueryAdditionalTiming(Application& app) {
  SendPrimaryUtcTimeQuery(app);
  app.clock.SleepMs(kCommandPauseMs);
  SendComprehensiveTimeQuery(app);
}

// Blanks every value and turns the LEDs off; the satellite panels keep their colour until the
// next comprehensive time report.
void ClearAdditionalTiming(Application& app) {
  TForm_AddTiming& f = app.Window<TForm_AddTiming>();
  SetCaptions(
      {&f.Panel_PrimaryUTCTime, &f.Panel_UTCDate,   &f.Panel_Status,   &f.Panel_EventCounter,
       &f.Panel_EventTime,      &f.Panel_GPSTime,   &f.Panel_UTCTime,  &f.Panel_TOW,
       &f.Panel_Date,           &f.Panel_UTCOffset, &f.Panel_RecMode,  &f.Panel_Bias,
       &f.Panel_BiasUnc,        &f.Panel_DriftRate, &f.Panel_DriftUnc, &f.Panel_NorthSouth,
       &f.Panel_LatDeg,         &f.Panel_LatMin,    &f.Panel_EastWest, &f.Panel_LonDeg,
       &f.Panel_LonMin,         &f.Panel_Alt},
      " ");
  for (size_t i = 0; i < f.Panel_SV.size(); ++i)
    f.Panel_SV[i].SetCaption(" ");
  for (Shape* led : f.Leds())
    led->SetBrushColor(colours::kGrey);
}

// The event input: a short pulse on RTS, which the receiver time-tags. A closed port has no line
// to pulse.
void PulseEventLine(Application& app) {
  if (app.channel.IsOpen()) app.channel.PulseRts();
}

}  // namespace

void WireRawMeasWindow(Application& app, TForm_RawMeas& form) {
  form.OnActivate = [&app] { RefreshRawMeasurement(app); };
  form.TabControl_SV.OnChange = [&app] { RefreshRawMeasurement(app); };
  form.Button_Refresh.OnClick = [&app] { RefreshRawMeasurement(app); };
}

void WireEphemStatWindow(Application& app, TForm_EphemStat& form) {
  form.OnActivate = [&app] { RefreshEphemerisStatus(app); };
  form.ComboBox_SV.OnChange = [&app] { RefreshEphemerisStatus(app); };
  form.Button_Refresh.OnClick = [&app] { RefreshEphemerisStatus(app); };
}

void WireProductWindow(Application& app, TForm_Product& form) {
  form.OnActivate = [&app] { QueryProductInfo(app); };
  form.Button_Close.OnClick = [&form] { form.Close(); };
}

// Closing clears too, so the window opens empty next time.
void WireVelPosWindow(Application& app, TForm_VelPos& form) {
  form.Button1.OnClick = [&app] { ClearVelocityPosition(app); };
  form.OnClose = [&app] { ClearVelocityPosition(app); };
  form.Button_Close.OnClick = [&form] { form.Close(); };
}

void WireAddTimingWindow(Application& app, TForm_AddTiming& form) {
  form.OnActivate = [&app] { QueryAdditionalTiming(app); };
  form.Button_Query.OnClick = [&app] { QueryAdditionalTiming(app); };
  form.Button_Clear.OnClick = [&app] { ClearAdditionalTiming(app); };
  form.OnClose = [&app] { ClearAdditionalTiming(app); };
  form.Button_Event.OnClick = [&app] { PulseEventLine(app); };
  form.Button_Close.OnClick = [&form] { form.Close(); };
}

}  // namespace zelkon
