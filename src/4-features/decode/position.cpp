// Position, velocity and time reports.
#include <array>
#include <cmath>
#include <cstdlib>

#include "base/application.h"
#include "config/altitude_form.h"
#include "decode/decoders.h"
#include "link/codec.h"
#include "main/main_display.h"
#include "main/main_form.h"
#include "text/printf.h"
#include "text/time_format.h"
#include "transfer/initial_time_form.h"
#include "transfer/time_transfer.h"
#include "views/add_timing_form.h"
#include "views/vel_pos_form.h"

namespace zelkon {
namespace {

constexpr int kGpsTimeLength = 10;
constexpr int kEcefSingleLength = 16;
constexpr int kVelocityLength = 20;
constexpr int kLlaSingleLength = 20;
constexpr int kReferenceAltitudeLength = 9;
constexpr int kTimeAcceptedLength = 1;
constexpr int kDoublePositionLength = 36;
constexpr int kComprehensiveTimeLength = 74;
constexpr int kDisplayCountdown = 5;
constexpr double kSecondsPerWeek = 604800.0;
constexpr uint8_t kTimeAccepted = 'Y';

constexpr std::array<const char*, 7> kComprehensiveModeTexts = {
    "Horizontal (2D)", "Full Position (3D)", "Single Satellite (0D)", "Automatic (2D/3D)",
    "DGPS reference",  "Clock hold (2D)",    "Overdetermined clock",
};

// Four panels of one report group, each given "%.2f" of a SINGLE, fields four bytes apart.
void ShowSingles(const std::array<Panel*, 4>& panels, const uint8_t* payload) {
  for (size_t i = 0; i < panels.size(); ++i) {
    panels[i]->SetCaption(Printf("%.2f", ReadSingle(payload + 4 * i)));
  }
}

// One angle of the comprehensive time report: degrees with the degree sign, minutes, and the
// hemisphere letter.
void ShowHemisphere(double degrees, char positive, char negative, Panel& degreePanel,
                    Panel& minutePanel, Panel& letterPanel) {
  char letter = positive;
  int deg = 0;
  float minutes = 0;
  if (degrees >= 0) {
    deg = TruncToInt(degrees);
    minutes = static_cast<float>((degrees - deg) * 60);
  } else {
    letter = negative;
    deg = TruncToInt(-degrees);
    minutes = static_cast<float>((-degrees - deg) * 60);
  }
  degreePanel.SetCaption(Printf("%d\u00B0", deg));
  minutePanel.SetCaption(Printf("%.4f'", minutes));
  letterPanel.SetCaption(Printf("%c", letter));
}

}  // namespace

void DecodeGpsTime(Application& app, const uint8_t* payload, int length) {
  if (length != kGpsTimeLength || app.Window<TForm_Main>().ControlPollingTimingPkts.Checked())
    return;
  const float timeOfWeek = ReadSingle(payload);
  const uint16_t week = ReadU16(payload + 4);
  const float utcOffset = ReadSingle(payload + 6);

  app.state.TimeCountdown = kDisplayCountdown;
  TForm_Main& form = app.Window<TForm_Main>();
  form.Panel_TOW.SetCaption(Printf("%.0f", timeOfWeek));
  form.Panel_WeekNum.SetCaption(Printf("%d", week));
  form.Panel_UTCOffset.SetCaption(Printf("%.0f", utcOffset));
  form.Label_TimeType.SetCaption("GPS");
  FormatWeekTime(timeOfWeek, form.Panel_Time, true);

  const double gpsSeconds = week * kSecondsPerWeek + timeOfWeek;
  FormatGpsDate(gpsSeconds, form.Panel_Date);
  if (app.state.TimeToPcPending) {
    app.state.TimeToPcPending = false;
    SetPcClock(app, gpsSeconds, std::trunc(utcOffset));
  }
  form.Panel_Timing.SetHint("Time: Packet 0x41");
}

void DecodeEcefPositionSingle(Application& app, const uint8_t* payload, int length) {
  if (length != kEcefSingleLength) return;
  TForm_VelPos& form = app.Window<TForm_VelPos>();
  form.Panel_ECEFPosition.SetHint("Single Precision ECEF Position: Packet 0x42");
  form.Panel_PosX.SetCaption(Printf("%.2f", ReadSingle(payload)));
  form.Panel_PosY.SetCaption(Printf("%.2f", ReadSingle(payload + 4)));
  form.Panel_PosZ.SetCaption(Printf("%.2f", ReadSingle(payload + 8)));
}

void DecodeEcefVelocity(Application& app, const uint8_t* payload, int length) {
  if (length != kVelocityLength) return;
  TForm_VelPos& form = app.Window<TForm_VelPos>();
  ShowSingles({&form.Panel_VelX, &form.Panel_VelY, &form.Panel_VelZ, &form.Panel_BiasRate},
              payload);
}

void DecodeLlaPositionSingle(Application& app, const uint8_t* payload, int length) {
  if (length != kLlaSingleLength) return;
  TForm_VelPos& form = app.Window<TForm_VelPos>();
  form.Panel_LLAPosition.SetHint("Single Precision LLA Position: Packet 0x4A");
  form.Panel_Latitude.SetCaption(Printf("%.6f", ReadSingle(payload) * DegreesPerRadian));
  form.Panel_Longitude.SetCaption(Printf("%.6f", ReadSingle(payload + 4) * DegreesPerRadian));
  form.Panel_Altitude.SetCaption(Printf("%.1f", ReadSingle(payload + 8)));
  form.Panel_LLABias.SetCaption(Printf("%.2f", ReadSingle(payload + 12)));
}

void DecodeReferenceAltitude(Application& app, const uint8_t* payload, int length) {
  if (length != kReferenceAltitudeLength) return;
  const float altitude = ReadSingle(payload);
  app.Window<TForm_Altitude>().Edit_Altitude.SetText(Printf("%.3f", altitude));
  app.segmentReadback.referenceAltitude = altitude;
}

void DecodeTimeAccepted(Application& app, const uint8_t* payload, int length) {
  if (length != kTimeAcceptedLength) return;
  app.Window<TForm_InitialTime>().Shape_TimeAccepted.SetBrushColor(
      payload[0] == kTimeAccepted ? colours::kGreen : colours::kRed);
}

void DecodeEnuVelocity(Application& app, const uint8_t* payload, int length) {
  if (length != kVelocityLength) return;
  TForm_VelPos& form = app.Window<TForm_VelPos>();
  ShowSingles({&form.Panel_East, &form.Panel_North, &form.Panel_Up, &form.Panel_ENUBiasRate},
              payload);
}

void DecodeEcefPositionDouble(Application& app, const uint8_t* payload, int length) {
  if (length != kDoublePositionLength) return;
  TForm_VelPos& form = app.Window<TForm_VelPos>();
  form.Panel_ECEFPosition.SetHint("Double Precision ECEF Position: Packet 0x83");
  form.Panel_PosX.SetCaption(Printf("%.3f", ReadDouble(payload)));
  form.Panel_PosY.SetCaption(Printf("%.3f", ReadDouble(payload + 8)));
  form.Panel_PosZ.SetCaption(Printf("%.3f", ReadDouble(payload + 16)));
  form.Panel_ECEFBias.SetCaption(Printf("%.2f", ReadDouble(payload + 24)));
}

void DecodeLlaPositionDouble(Application& app, const uint8_t* payload, int length) {
  if (length != kDoublePositionLength) return;
  TForm_VelPos& form = app.Window<TForm_VelPos>();
  form.Panel_LLAPosition.SetHint("Double Precision LLA Position: Packet 0x84");
  form.Panel_Latitude.SetCaption(Printf("%.6f", ReadDouble(payload) * DegreesPerRadian));
  form.Panel_Longitude.SetCaption(Printf("%.6f", ReadDouble(payload + 8) * DegreesPerRadian));
  form.Panel_Altitude.SetCaption(Printf("%.3f", ReadDouble(payload + 16)));
  form.Panel_LLABias.SetCaption(Printf("%.2f", ReadDouble(payload + 24)));
}

void DecodeComprehensiveTime(Application& app, const uint8_t* payload, int length) {
  if (length != kComprehensiveTimeLength) return;
  const int eventCount = ReadU16(payload + 1);
  const double t = ReadDouble(payload + 3);
  const int day = payload[11];
  const int month = payload[12];
  const int year = ReadU16(payload + 13);
  const int mode = static_cast<int8_t>(payload[15]);
  const int u = ReadI16(payload + 16);
  const double bias = ReadDouble(payload + 18);
  const double driftRate = ReadDouble(payload + 26);
  const float biasUncertainty = ReadSingle(payload + 34);
  const float driftUncertainty = ReadSingle(payload + 38);
  const double latitudeDeg = ReadDouble(payload + 42) * DegreesPerRadian;
  const double longitudeDeg = ReadDouble(payload + 50) * DegreesPerRadian;
  const double altitude = ReadDouble(payload + 58);
  const uint8_t* prns = payload + 66;

  TForm_AddTiming& form = app.Window<TForm_AddTiming>();
  // A negative offset means t is GPS time, a positive one that t is UTC; 0: no offset known.
  if (u < 0) {
    FormatWeekTime(static_cast<float>(t), form.Panel_GPSTime, false);
    FormatWeekTime(static_cast<float>(t + u), form.Panel_UTCTime, false);
    form.Panel_UTCTime.SetColor(colours::kWindow);
  } else if (u == 0) {
    FormatWeekTime(static_cast<float>(t), form.Panel_GPSTime, false);
    form.Panel_UTCTime.SetCaption("");
    form.Panel_UTCTime.SetColor(colours::kButtonFace);
  } else {
    FormatWeekTime(static_cast<float>(t + u), form.Panel_GPSTime, false);
    FormatWeekTime(static_cast<float>(t), form.Panel_UTCTime, false);
    form.Panel_UTCTime.SetColor(colours::kWindow);
  }

  if (eventCount != 0) {
    form.Panel_EventCounter.SetCaption(Printf("%d", eventCount));
    FormatTimeOfDay(t, form.Panel_EventTime);
  }
  form.Panel_UTCOffset.SetCaption(Printf("%d", std::abs(u)));
  form.Panel_TOW.SetCaption(Printf("%.2f", t));
  form.Panel_Date.SetCaption(Printf("%s %d, %d", MonthName(month), day, year));

  const char* modeText = mode >= 0 && mode < static_cast<int>(kComprehensiveModeTexts.size())
                             ? kComprehensiveModeTexts[static_cast<size_t>(mode)]
                             : "Invalid Mode";
  const bool timingPackets = app.Window<TForm_Main>().ControlPollingTimingPkts.Checked();
  form.Panel_RecMode.SetCaption(modeText);
  if (!timingPackets) app.Window<TForm_Main>().Panel_Mode.SetCaption(modeText);

  form.Panel_Bias.SetCaption(Printf("%.3f", bias));
  form.Panel_DriftRate.SetCaption(Printf("%.3f", driftRate));
  form.Panel_BiasUnc.SetCaption(Printf("%.3f", biasUncertainty));
  form.Panel_DriftUnc.SetCaption(Printf("%.3f", driftUncertainty));

  ShowHemisphere(latitudeDeg, 'N', 'S', form.Panel_LatDeg, form.Panel_LatMin,
                 form.Panel_NorthSouth);
  ShowHemisphere(longitudeDeg, 'E', 'W', form.Panel_LonDeg, form.Panel_LonMin, form.Panel_EastWest);
  form.Panel_Alt.SetCaption(Printf("%.3f", altitude));

  for (size_t i = 0; i < form.Panel_SV.size(); ++i) {
    const int prn = static_cast<int8_t>(prns[i]);
    Panel& panel = form.Panel_SV[i];
    panel.SetColor(prn > 0 ? colours::kAqua : colours::kWindow);
    panel.SetCaption(prn == 0 ? std::string() : Printf("%d", std::abs(prn)));
  }

  if (timingPackets) return;
  FormatLatLon(app, latitudeDeg, longitudeDeg);
  app.Window<TForm_Main>().Panel_Altitude.SetCaption(Printf("%.1f", altitude));
  app.Window<TForm_Main>().Panel_Position.SetHint("Position: Packet 8F-0B");
}

}  // namespace zelkon
