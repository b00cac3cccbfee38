// Timing superpackets: primary timing (0x8F-AB), supplemental timing (0x8F-AC) and primary UTC
// time (0x8F-AD).
#include <array>
#include <string>
#include <tuple>
#include <utility>

#include "base/application.h"
#include "decode/decoders.h"
#include "link/codec.h"
#include "main/main_display.h"
#include "main/main_form.h"
#include "text/printf.h"
#include "text/time_format.h"
#include "tools/reset_test.h"
#include "transfer/position_transfer.h"
#include "transfer/time_transfer.h"
#include "views/add_timing_form.h"

namespace zelkon {
namespace {

constexpr int kPrimaryLength = 17;
constexpr int kSupplementalLength = 68;
constexpr int kPrimaryUtcLength = 22;
// Poll cycles the time and timing displays stay before the poll loop clears them.
constexpr int kDisplayCountdown = 5;
constexpr double kSecondsPerWeek = 604800.0;

constexpr std::array<const char*, 8> kModeTexts = {
    "Automatic (2D/3D)", "Single Satellite (Time)", " ",
    "Horizontal (2D)",   "Full Position (3D)",      "DGPS Reference",
    "Clock Hold (2D)",   "Overdetermined Clock",
};

constexpr std::array<const char*, 17> kStatusTexts = {
    "Doing fixes",
    "Don't have GPS time",
    " ",
    "PDOP is too high",
    "",
    "",
    "",
    "",
    "No Usable SVs",
    "Only 1 Usable SV",
    "Only 2 Usable SVs",
    "Only 3 Usable SVs",
    "Chosen SV is unusable",
    "",
    "",
    "",
    "TRAIM rejected fix",
};

constexpr std::array<const char*, 14> kUtcStatusTexts = {
    "Navigating",          "Timing (1 SV)",        "Approximate Time",   "Need Time",
    "Need Initialization", "PDOP Too High",        "Satellite Unusable", "No Usable SVs",
    "Only 1 Usable SV",    "Only 2 Usable SVs",    "Only 3 Usable SVs",  "Invalid Solution",
    "Differential Corr.",  "Overdetermined Fixes",
};

template <size_t N>
const char* TextOf(const std::array<const char*, N>& texts, unsigned index, const char* invalid) {
  return index < N ? texts[index] : invalid;
}

}  // namespace

void DecodeTimingPrimary(Application& app, const uint8_t* payload, int length) {
  if (length != kPrimaryLength || !app.Window<TForm_Main>().ControlPollingTimingPkts.Checked())
    return;
  const uint32_t timeOfWeek = ReadU32(payload + 1);
  const uint16_t week = ReadU16(payload + 5);
  const int16_t utcOffset = ReadI16(payload + 7);
  const uint8_t flags = payload[9];
  const int seconds = payload[10];
  const int minutes = payload[11];
  const int hours = payload[12];
  const int day = payload[13];
  const int month = payload[14];
  const int year = ReadU16(payload + 15);

  TForm_Main& form = app.Window<TForm_Main>();
  form.Panel_TOW.SetCaption(Printf("%d", static_cast<int32_t>(timeOfWeek)));
  form.Panel_WeekNum.SetCaption(Printf("%d", week));
  form.Panel_UTCOffset.SetCaption(Printf("%d", utcOffset));
  form.Panel_Time.SetCaption(Printf("%02d:%02d:%02d", hours, minutes, seconds));
  form.Panel_Date.SetCaption(Printf("%s %d, %d", MonthName(month), day, year));
  form.Label_TimeType.SetCaption((flags & 0x01) != 0 ? "UTC" : "GPS");

  const double gpsSeconds = timeOfWeek + week * kSecondsPerWeek;
  if (app.state.TimeToPcPending) {
    app.state.TimeToPcPending = false;
    SetPcClock(app, gpsSeconds, static_cast<float>(utcOffset));
  }
  form.Panel_Timing.SetHint("Time: Packet 8F-AB");
}

void DecodeTimingSupplemental(Application& app, const uint8_t* payload, int length) {
  if (length != kSupplementalLength) return;
  const int mode = payload[1];
  const int selfSurvey = payload[3];
  const uint16_t minorAlarms = ReadU16(payload + 10);
  const int status = payload[12];
  const float ppsOffset = ReadSingle(payload + 16);
  const float oscillatorOffset = ReadSingle(payload + 20);
  const double latitude = ReadDouble(payload + 36);
  const double longitude = ReadDouble(payload + 44);
  const double altitude = ReadDouble(payload + 52);
  const float quantization = ReadSingle(payload + 60);
  const bool ppsGenerated = payload[64] != 0;

  app.state.TimingStatusCountdown = kDisplayCountdown;
  app.state.TimeCountdown = kDisplayCountdown;

  TForm_Main& form = app.Window<TForm_Main>();
  form.Panel_SelfSurvey.SetCaption(Printf("%d%%", selfSurvey));
  form.Panel_SelfSurvey.SetColor(colours::kWindow);
  const std::array<std::pair<Panel*, float>, 3> offsets = {{
      {&form.Panel_PPSOffset, ppsOffset},
      {&form.Panel_10MHz, oscillatorOffset},
      {&form.Panel_Quantization, quantization},
  }};
  for (const auto& [panel, value] : offsets) {
    panel->SetCaption(Printf("%.2f", value));
    panel->SetColor(colours::kWindow);
  }
  form.Shape_PPS.SetBrushColor(ppsGenerated ? colours::kGreen : colours::kYellow);
  const std::array<Shape*, 16> leds = form.AlarmLedByBit();
  for (unsigned bit = 0; bit < leds.size(); ++bit) {
    if (leds[bit] == nullptr) continue;
    const bool set = (minorAlarms >> bit) & 1U;
    leds[bit]->SetBrushColor(set ? colours::kYellow : colours::kGreen);
  }

  if (!form.ControlPollingTimingPkts.Checked()) return;

  const double latitudeDeg = latitude * DegreesPerRadian;
  const double longitudeDeg = longitude * DegreesPerRadian;
  FormatLatLon(app, latitudeDeg, longitudeDeg);
  form.Panel_Altitude.SetCaption(Printf("%.1f", altitude));
  form.Panel_Mode.SetCaption(TextOf(kModeTexts, static_cast<unsigned>(mode), "Invalid Mode"));
  form.Panel_Status.SetCaption(
      TextOf(kStatusTexts, static_cast<unsigned>(status), "Invalid Status"));
  form.Panel_ModeAndStatus.SetHint("Mode and Status: Packet 8F-AC");
  form.Panel_Position.SetHint("Position: Packet 8F-AC");

  constexpr uint16_t kNoUsableSatellites = 1U << 3;
  if ((minorAlarms & kNoUsableSatellites) == 0) ResetTestOnTracking(app);

  PositionDownloadStep(app, latitudeDeg, longitudeDeg, altitude);
}

void DecodePrimaryUtcTime(Application& app, const uint8_t* payload, int length) {
  if (length != kPrimaryUtcLength) return;
  const int eventCount = ReadU16(payload + 1);
  const double fraction = ReadDouble(payload + 3);
  const int hours = payload[11];
  const int minutes = payload[12];
  const int seconds = payload[13];
  const int day = payload[14];
  const int month = payload[15];
  const int year = ReadU16(payload + 16);
  const unsigned status = payload[18];
  const uint8_t flags = payload[19];

  TForm_AddTiming& form = app.Window<TForm_AddTiming>();
  if (eventCount != 0) form.Panel_EventCounter.SetCaption(Printf("%d", eventCount));
  const std::string time = Printf("%d:%02d:%012.9f", hours, minutes, seconds + fraction);
  form.Panel_PrimaryUTCTime.SetCaption(time);
  if (eventCount != 0) form.Panel_EventTime.SetCaption(time);

  form.Panel_UTCDate.SetCaption(Printf("%s %d, %d", MonthName(month), day, year));
  form.Panel_Status.SetCaption(TextOf(kUtcStatusTexts, status, "Invalid Status"));
  form.Label_ADTime.SetCaption("Time");

  const std::array<std::tuple<Shape*, unsigned, Colour>, 5> leds = {{
      {&form.Shape_LED0, 0, colours::kGreen},
      {&form.Shape_LED4, 4, colours::kYellow},
      {&form.Shape_LED5, 5, colours::kOrange},
      {&form.Shape_LED6, 6, colours::kRed},
      {&form.Shape_LED7, 7, colours::kTeal},
  }};
  for (const auto& [shape, bit, colour] : leds) {
    shape->SetBrushColor(((flags >> bit) & 1U) != 0 ? colour : colours::kGrey);
  }
}

}  // namespace zelkon
