// Timing superpackets: primary timing (0x8F-AB), supplemental timing (0x8F-AC) and primary UTC
// time (0x8F-AD).
#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <tuple>
#include <utility>

#include "base/application.h"
#include "decode/timing.h"
#include "events/receiver_events.h"
#include "refclock/reference_clocks.h"
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

// Poll cycles the time and timing displays stay before the poll loop clears them.
constexpr int kDisplayCountdown = 5;
constexpr long long kNanosecondsPerSecond = 1000000000;

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

// "H:MM:SS.sssssssss" of the receiver's own fields. The fraction is rounded to the nanosecond
// shown; one that rounds to a whole second shows as the last nanosecond of its second instead of
// "60.0": the receiver counts the seconds itself (60 during a leap second) and sends the date
// apart, so a carry into its fields could be a second or a day wrong.
std::string UtcTimeText(const PrimaryUtcTime& r) {
  if (!(r.fraction >= 0 && r.fraction < 1)) {  // not a fraction of a second: shown as sent
    return Printf("%d:%02d:%012.9f", r.hours, r.minutes, r.seconds + r.fraction);
  }
  const long long nanoseconds =
      std::min(std::llrint(r.fraction * kNanosecondsPerSecond), kNanosecondsPerSecond - 1);
  return Printf("%d:%02d:%02d.%09lld", r.hours, r.minutes, r.seconds, nanoseconds);
}

}  // namespace

void ShowTimingPrimary(Application& app, const TimingPrimary& r) {
  WatchTime(app, ReadingOf(r));
  app.Feature<ReferenceClocks>().Offer(app, r);
  TForm_Main& form = app.Window<TForm_Main>();
  if (!MainShowsTimingPackets(app)) return;
  form.Panel_TOW.SetCaption(Printf("%d", static_cast<int32_t>(r.timeOfWeek)));
  form.Panel_WeekNum.SetCaption(Printf("%d", r.week));
  form.Panel_UTCOffset.SetCaption(Printf("%d", r.utcOffset));
  form.Panel_Time.SetCaption(Printf("%02d:%02d:%02d", r.hours, r.minutes, r.seconds));
  form.Panel_Date.SetCaption(Printf("%s %d, %d", MonthName(r.month), r.day, r.year));
  form.Label_TimeType.SetCaption(r.CalendarIsUtc() ? "UTC" : "GPS");

  if (bool& pending = app.Feature<TimeToPcRequest>().pending; pending) {
    pending = false;
    SetPcClock(app, ReadingOf(r));
  }
  form.Panel_Timing.SetHint("Time: Packet 8F-AB");
}

void ShowTimingSupplemental(Application& app, const TimingSupplemental& r) {
  WatchSupplementalTiming(app, r);
  app.state.TimingStatusCountdown = kDisplayCountdown;
  app.state.TimeCountdown = kDisplayCountdown;

  TForm_Main& form = app.Window<TForm_Main>();
  form.Panel_SelfSurvey.SetCaption(Printf("%d%%", r.selfSurveyProgress));
  form.Panel_SelfSurvey.SetColor(colours::kWindow);
  const std::array<std::pair<Panel*, float>, 3> offsets = {{
      {&form.Panel_PPSOffset, r.ppsOffset},
      {&form.Panel_10MHz, r.oscillatorOffset},
      {&form.Panel_Quantization, r.quantizationError},
  }};
  for (const auto& [panel, value] : offsets) {
    panel->SetCaption(Printf("%.2f", value));
    panel->SetColor(colours::kWindow);
  }
  form.Shape_PPS.SetBrushColor(r.ppsGenerated ? colours::kGreen : colours::kYellow);
  const std::array<Shape*, 16> leds = form.AlarmLedByBit();
  for (unsigned bit = 0; bit < leds.size(); ++bit) {
    if (leds[bit] == nullptr) continue;
    const bool set = (r.minorAlarms >> bit) & 1U;
    leds[bit]->SetBrushColor(set ? colours::kYellow : colours::kGreen);
  }

  if (!MainShowsTimingPackets(app)) return;

  const double latitudeDeg = r.latitude * DegreesPerRadian;
  const double longitudeDeg = r.longitude * DegreesPerRadian;
  FormatLatLon(app, latitudeDeg, longitudeDeg);
  form.Panel_Altitude.SetCaption(Printf("%.1f", r.altitude));
  form.Panel_Mode.SetCaption(TextOf(kModeTexts, r.receiverMode, "Invalid Mode"));
  form.Panel_Status.SetCaption(TextOf(kStatusTexts, r.receiverStatus, "Invalid Status"));
  form.Panel_ModeAndStatus.SetHint("Mode and Status: Packet 8F-AC");
  form.Panel_Position.SetHint("Position: Packet 8F-AC");

  if ((r.minorAlarms & TimingSupplemental::kNoUsableSatellites) == 0) ResetTestOnTracking(app);

  PositionDownloadStep(app, latitudeDeg, longitudeDeg, r.altitude);
}

void ShowPrimaryUtcTime(TForm_AddTiming& form, const PrimaryUtcTime& r) {
  if (r.eventCount != 0) form.Panel_EventCounter.SetCaption(Printf("%d", r.eventCount));
  const std::string time = UtcTimeText(r);
  form.Panel_PrimaryUTCTime.SetCaption(time);
  if (r.eventCount != 0) form.Panel_EventTime.SetCaption(time);

  form.Panel_UTCDate.SetCaption(Printf("%s %d, %d", MonthName(r.month), r.day, r.year));
  form.Panel_Status.SetCaption(TextOf(kUtcStatusTexts, r.receiverStatus, "Invalid Status"));
  form.Label_ADTime.SetCaption("Time");

  const std::array<std::tuple<Shape*, unsigned, Colour>, 5> leds = {{
      {&form.Shape_LED0, 0, colours::kGreen},
      {&form.Shape_LED4, 4, colours::kYellow},
      {&form.Shape_LED5, 5, colours::kOrange},
      {&form.Shape_LED6, 6, colours::kRed},
      {&form.Shape_LED7, 7, colours::kTeal},
  }};
  for (const auto& [shape, bit, colour] : leds) {
    shape->SetBrushColor(((r.flags >> bit) & 1U) != 0 ? colour : colours::kGrey);
  }
}

}  // namespace zelkon
