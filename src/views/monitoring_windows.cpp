// Handlers of the monitoring windows. The report decoders fill these windows; the handlers here
// only empty them and send the queries whose answers refill them.
#include "views/monitoring_windows.h"

#include <initializer_list>

#include "config/commands.h"
#include "core/application.h"

namespace zelkon {
namespace {

void SetCaptions(std::initializer_list<Panel*> panels, const char* text) {
  for (Panel* panel : panels)
    panel->SetCaption(text);
}

// ---- Raw measurement and ephemeris status: one satellite each ----

void RefreshRawMeasurement(Application& app) {
  TForm_RawMeas& f = app.Form_RawMeas;
  SetCaptions({&f.Panel_SampleLen, &f.Panel_SignalLevel, &f.Panel_CodePhase, &f.Panel_Doppler,
               &f.Panel_Time},
              "");
  SendRawMeasurementQuery(app, f.TabControl_SV.TabIndex() + 1);
}

void RefreshEphemerisStatus(Application& app) {
  TForm_EphemStat& f = app.Form_EphemStat;
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
  TForm_Product& f = app.Form_Product;
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
  for (Panel* panel : app.Form_VelPos.ValuePanels())
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
  TForm_AddTiming& f = app.Form_AddTiming;
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

void WireSatelliteWindows(Application& app) {
  // The tracking window only shows what the tracking and selection reports write; closing it
  // just hides it.

  TForm_RawMeas& raw = app.Form_RawMeas;
  raw.OnActivate = [&app] { RefreshRawMeasurement(app); };
  raw.TabControl_SV.OnChange = [&app] { RefreshRawMeasurement(app); };
  raw.Button_Refresh.OnClick = [&app] { RefreshRawMeasurement(app); };

  TForm_EphemStat& ephemeris = app.Form_EphemStat;
  ephemeris.OnActivate = [&app] { RefreshEphemerisStatus(app); };
  ephemeris.ComboBox_SV.OnChange = [&app] { RefreshEphemerisStatus(app); };
  ephemeris.Button_Refresh.OnClick = [&app] { RefreshEphemerisStatus(app); };
}

void WireInfoWindows(Application& app) {
  TForm_Product& product = app.Form_Product;
  product.OnActivate = [&app] { QueryProductInfo(app); };
  product.Button_Close.OnClick = [&product] { product.Close(); };

  // Closing clears too, so the window opens empty next time.
  TForm_VelPos& velPos = app.Form_VelPos;
  velPos.Button1.OnClick = [&app] { ClearVelocityPosition(app); };
  velPos.OnClose = [&app] { ClearVelocityPosition(app); };
  velPos.Button_Close.OnClick = [&velPos] { velPos.Close(); };

  TForm_AddTiming& timing = app.Form_AddTiming;
  timing.OnActivate = [&app] { QueryAdditionalTiming(app); };
  timing.Button_Query.OnClick = [&app] { QueryAdditionalTiming(app); };
  timing.Button_Clear.OnClick = [&app] { ClearAdditionalTiming(app); };
  timing.OnClose = [&app] { ClearAdditionalTiming(app); };
  timing.Button_Event.OnClick = [&app] { PulseEventLine(app); };
  timing.Button_Close.OnClick = [&timing] { timing.Close(); };
}

}  // namespace zelkon
