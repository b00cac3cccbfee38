// The monitoring windows: the display steps of the reports that write only one of them, and the
// handlers, which only empty them and send the queries whose answers refill them.
#include "views/monitoring_windows.h"

#include <array>
#include <initializer_list>

#include "base/application.h"
#include "commands/commands.h"
#include "text/angles.h"
#include "text/printf.h"
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

// Four panels of one report group, each given "%.2f" of its SINGLE.
void ShowSingles(const std::array<Panel*, 4>& panels, const std::array<float, 4>& values) {
  for (size_t i = 0; i < panels.size(); ++i) {
    panels[i]->SetCaption(Printf("%.2f", values[i]));
  }
}

// ---- Raw measurement and ephemeris status: one satellite each ----

void RefreshRawMeasurement(TForm_RawMeas& f, CommandSender& out) {
  SetCaptions({&f.Panel_SampleLen, &f.Panel_SignalLevel, &f.Panel_CodePhase, &f.Panel_Doppler,
               &f.Panel_Time},
              "");
  SendRawMeasurementQuery(out, f.TabControl_SV.TabIndex() + 1);
}

void RefreshEphemerisStatus(TForm_EphemStat& f, CommandSender& out) {
  SetCaptions({&f.Panel_Time, &f.Panel_Health, &f.Panel_IODE, &f.Panel_toe, &f.Panel_FitFlag,
               &f.Panel_Accuracy},
              "");
  SendEphemerisStatusQuery(out, f.ComboBox_SV.ItemIndex() + 1);
}

// ---- Product information ----

// Empties every value (and the two box captions that carry the build hour and the premium
// options), then asks for the software versions, the manufacturing and the production
// parameters.
void QueryProductInfo(TForm_Product& f, CommandSender& out, Clock& clock) {
  SetCaptions({&f.Panel_NavVersion, &f.Panel_NavDate, &f.Panel_SigVersion, &f.Panel_SigDate,
               &f.Panel_NavHour, &f.Panel_ManSerNumPrefix, &f.Panel_ManSerNum, &f.Panel_ManDate,
               &f.Panel_ManHour, &f.Panel_ManOscOffset, &f.Panel_ManIDNum, &f.Panel_ProdOptsPrefix,
               &f.Panel_ProdNumExt, &f.Panel_ProdSerNumPrefix, &f.Panel_ProdSerNum,
               &f.Panel_ProdNum, &f.Panel_ProdPremOpt, &f.Panel_ProdIDNum},
              "");
  SendSoftwareVersionQuery(out);
  clock.SleepMs(kCommandPauseMs);
  SendManufacturingParamsQuery(out);
  clock.SleepMs(kCommandPauseMs);
  SendProductionParamsQuery(out);
}

// ---- Velocity and position ----

void ClearVelocityPosition(TForm_VelPos& form) {
  for (Panel* panel : form.ValuePanels())
    panel->SetCaption(" ");
}

// ---- Additional timing ----

void QueryAdditionalTiming(CommandSender& out, Clock& clock) {
  SendPrimaryUtcTimeQuery(out);
  clock.SleepMs(kCommandPauseMs);
  SendComprehensiveTimeQuery(out);
}

// Blanks every value and turns the LEDs off; the satellite panels keep their colour until the
// next comprehensive time report.
void ClearAdditionalTiming(TForm_AddTiming& f) {
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
void PulseEventLine(SerialChannel& channel) {
  if (channel.IsOpen()) channel.PulseRts();
}

}  // namespace

// ---- Display steps ----

void ShowRawMeasurement(TForm_RawMeas& form, const RawMeasurement& r) {
  // Only the satellite whose tab is shown is displayed.
  const int tab = form.TabControl_SV.TabIndex();
  if (tab < 0 || r.prn != tab + 1) return;
  form.Panel_SampleLen.SetCaption(Printf("%2f", r.sampleLength));
  form.Panel_SignalLevel.SetCaption(Printf("%.1f", r.signalLevel));
  form.Panel_CodePhase.SetCaption(Printf("%8f", r.codePhase));
  form.Panel_Doppler.SetCaption(Printf("%.2f", r.doppler));
  form.Panel_Time.SetCaption(Printf("%.2f", r.measurementTime));
}

void ShowEphemerisStatus(TForm_EphemStat& form, const EphemerisStatus& r) {
  // Every report moves the selector to its own satellite; a PRN outside 1..32 leaves it empty.
  form.ComboBox_SV.SetItemIndex(r.prn - 1);
  form.Panel_Time.SetCaption(Printf("%.2f", r.collectionTime));
  form.Panel_Health.SetCaption(Printf("%X", r.health));
  form.Panel_IODE.SetCaption(Printf("%02X", r.iode));
  form.Panel_toe.SetCaption(Printf("%.2f", r.ephemerisTime));
  form.Panel_FitFlag.SetCaption(Printf("%X", r.fitFlag));
  form.Panel_Accuracy.SetCaption(Printf("%.2f", r.accuracy));
}

void ShowEcefPositionSingle(TForm_VelPos& form, const EcefPositionSingle& r) {
  form.Panel_ECEFPosition.SetHint("Single Precision ECEF Position: Packet 0x42");
  form.Panel_PosX.SetCaption(Printf("%.2f", r.x));
  form.Panel_PosY.SetCaption(Printf("%.2f", r.y));
  form.Panel_PosZ.SetCaption(Printf("%.2f", r.z));
}

void ShowEcefPositionDouble(TForm_VelPos& form, const EcefPositionDouble& r) {
  form.Panel_ECEFPosition.SetHint("Double Precision ECEF Position: Packet 0x83");
  form.Panel_PosX.SetCaption(Printf("%.3f", r.x));
  form.Panel_PosY.SetCaption(Printf("%.3f", r.y));
  form.Panel_PosZ.SetCaption(Printf("%.3f", r.z));
  form.Panel_ECEFBias.SetCaption(Printf("%.2f", r.clockBias));
}

void ShowEcefVelocity(TForm_VelPos& form, const EcefVelocity& r) {
  ShowSingles({&form.Panel_VelX, &form.Panel_VelY, &form.Panel_VelZ, &form.Panel_BiasRate},
              {r.x, r.y, r.z, r.clockBiasRate});
}

void ShowEnuVelocity(TForm_VelPos& form, const EnuVelocity& r) {
  ShowSingles({&form.Panel_East, &form.Panel_North, &form.Panel_Up, &form.Panel_ENUBiasRate},
              {r.east, r.north, r.up, r.clockBiasRate});
}

void ShowLlaPositionSingle(TForm_VelPos& form, const LlaPositionSingle& r) {
  form.Panel_LLAPosition.SetHint("Single Precision LLA Position: Packet 0x4A");
  form.Panel_Latitude.SetCaption(Printf("%.6f", r.latitude * DegreesPerRadian));
  form.Panel_Longitude.SetCaption(Printf("%.6f", r.longitude * DegreesPerRadian));
  form.Panel_Altitude.SetCaption(Printf("%.1f", r.altitude));
  form.Panel_LLABias.SetCaption(Printf("%.2f", r.clockBias));
}

void ShowLlaPositionDouble(TForm_VelPos& form, const LlaPositionDouble& r) {
  form.Panel_LLAPosition.SetHint("Double Precision LLA Position: Packet 0x84");
  form.Panel_Latitude.SetCaption(Printf("%.6f", r.latitude * DegreesPerRadian));
  form.Panel_Longitude.SetCaption(Printf("%.6f", r.longitude * DegreesPerRadian));
  form.Panel_Altitude.SetCaption(Printf("%.3f", r.altitude));
  form.Panel_LLABias.SetCaption(Printf("%.2f", r.clockBias));
}

// ---- Handlers ----

void WireRawMeasWindow(Application& app, TForm_RawMeas& form) {
  const auto refresh = [&form, &app] { RefreshRawMeasurement(form, app); };
  form.OnActivate = refresh;
  form.TabControl_SV.OnChange = refresh;
  form.Button_Refresh.OnClick = refresh;
}

void WireEphemStatWindow(Application& app, TForm_EphemStat& form) {
  const auto refresh = [&form, &app] { RefreshEphemerisStatus(form, app); };
  form.OnActivate = refresh;
  form.ComboBox_SV.OnChange = refresh;
  form.Button_Refresh.OnClick = refresh;
}

void WireProductWindow(Application& app, TForm_Product& form) {
  form.OnActivate = [&form, &app] { QueryProductInfo(form, app, app.clock); };
  form.Button_Close.OnClick = [&form] { form.Close(); };
}

// Closing clears too, so the window opens empty next time.
void WireVelPosWindow(Application& /*app*/, TForm_VelPos& form) {
  form.Button1.OnClick = [&form] { ClearVelocityPosition(form); };
  form.OnClose = [&form] { ClearVelocityPosition(form); };
  form.Button_Close.OnClick = [&form] { form.Close(); };
}

void WireAddTimingWindow(Application& app, TForm_AddTiming& form) {
  const auto query = [&app] { QueryAdditionalTiming(app, app.clock); };
  form.OnActivate = query;
  form.Button_Query.OnClick = query;
  form.Button_Clear.OnClick = [&form] { ClearAdditionalTiming(form); };
  form.OnClose = [&form] { ClearAdditionalTiming(form); };
  form.Button_Event.OnClick = [&app] { PulseEventLine(app.channel); };
  form.Button_Close.OnClick = [&form] { form.Close(); };
}

}  // namespace zelkon
