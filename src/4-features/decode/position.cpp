// Position, velocity and time reports.
#include "decode/position.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/application.h"
#include "main/main_display.h"
#include "main/main_form.h"
#include "text/angles.h"
#include "text/printf.h"
#include "text/time_format.h"
#include "transfer/time_transfer.h"
#include "views/add_timing_form.h"

namespace zelkon {
namespace {

constexpr int kDisplayCountdown = 5;
constexpr double kSecondsPerWeek = 604800.0;
constexpr int64_t kTenThousandthsPerDegree = 60 * 10000;  // of a minute of arc
constexpr double kLargestSplitDegrees = 2147483647.0;     // the degrees must fit an int

constexpr std::array<const char*, 7> kComprehensiveModeTexts = {
    "Horizontal (2D)", "Full Position (3D)", "Single Satellite (0D)", "Automatic (2D/3D)",
    "DGPS reference",  "Clock hold (2D)",    "Overdetermined clock",
};

// One angle of the comprehensive time report: degrees with the degree sign, minutes to four
// decimals, and the hemisphere letter. The magnitude is rounded once to the minutes' last decimal
// and then split, so 37.999999999 degrees shows 38° 0.0000', never 37° 60.0000'.
void ShowHemisphere(double degrees, char positive, char negative, Panel& degreePanel,
                    Panel& minutePanel, Panel& letterPanel) {
  const char letter = degrees >= 0 ? positive : negative;
  const double magnitude = std::fabs(degrees);
  if (magnitude < kLargestSplitDegrees) {
    const auto total = static_cast<int64_t>(std::nearbyint(magnitude * kTenThousandthsPerDegree));
    const auto minutes = static_cast<int>(total % kTenThousandthsPerDegree);
    degreePanel.SetCaption(Printf("%d\u00B0", static_cast<int>(total / kTenThousandthsPerDegree)));
    minutePanel.SetCaption(Printf("%d.%04d'", minutes / 10000, minutes % 10000));
  } else {  // NaN, infinities and beyond the degrees' range
    degreePanel.SetCaption(Printf("%d\u00B0", TruncToInt(magnitude)));
    minutePanel.SetCaption(Printf("%.4f'", degrees - degrees));
  }
  letterPanel.SetCaption(Printf("%c", letter));
}

}  // namespace

void ShowGpsTime(Application& app, const GpsTime& r) {
  TForm_Main& form = app.Window<TForm_Main>();
  if (!MainShowsTimeReports(app)) return;

  app.state.TimeCountdown = kDisplayCountdown;
  form.Panel_TOW.SetCaption(Printf("%.0f", r.timeOfWeek));
  form.Panel_WeekNum.SetCaption(Printf("%d", r.week));
  form.Panel_UTCOffset.SetCaption(Printf("%.0f", r.utcOffset));
  form.Label_TimeType.SetCaption("GPS");
  FormatWeekTime(r.timeOfWeek, form.Panel_Time, true);

  const double gpsSeconds = r.week * kSecondsPerWeek + r.timeOfWeek;
  FormatGpsDate(gpsSeconds, form.Panel_Date);
  if (bool& pending = app.Feature<TimeToPcRequest>().pending; pending) {
    pending = false;
    SetPcClock(app, ReadingOf(r));
  }
  form.Panel_Timing.SetHint("Time: Packet 0x41");
}

void ShowComprehensiveTime(Application& app, const ComprehensiveTime& r) {
  const double t = r.timeOfWeek;
  const int u = r.utcOffset;
  const double latitudeDeg = r.latitude * DegreesPerRadian;
  const double longitudeDeg = r.longitude * DegreesPerRadian;

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

  if (r.eventCount != 0) {
    form.Panel_EventCounter.SetCaption(Printf("%d", r.eventCount));
    FormatTimeOfDay(t, form.Panel_EventTime);
  }
  form.Panel_UTCOffset.SetCaption(Printf("%d", std::abs(u)));
  form.Panel_TOW.SetCaption(Printf("%.2f", t));
  form.Panel_Date.SetCaption(Printf("%s %d, %d", MonthName(r.month), r.day, r.year));

  const int mode = r.receiverMode;
  const char* modeText = mode >= 0 && mode < static_cast<int>(kComprehensiveModeTexts.size())
                             ? kComprehensiveModeTexts[static_cast<size_t>(mode)]
                             : "Invalid Mode";
  const bool timeReports = MainShowsTimeReports(app);
  form.Panel_RecMode.SetCaption(modeText);
  if (timeReports) app.Window<TForm_Main>().Panel_Mode.SetCaption(modeText);

  form.Panel_Bias.SetCaption(Printf("%.3f", r.clockBias));
  form.Panel_DriftRate.SetCaption(Printf("%.3f", r.clockDriftRate));
  form.Panel_BiasUnc.SetCaption(Printf("%.3f", r.clockBiasUncertainty));
  form.Panel_DriftUnc.SetCaption(Printf("%.3f", r.clockDriftUncertainty));

  ShowHemisphere(latitudeDeg, 'N', 'S', form.Panel_LatDeg, form.Panel_LatMin,
                 form.Panel_NorthSouth);
  ShowHemisphere(longitudeDeg, 'E', 'W', form.Panel_LonDeg, form.Panel_LonMin, form.Panel_EastWest);
  form.Panel_Alt.SetCaption(Printf("%.3f", r.altitude));

  static_assert(std::tuple_size_v<decltype(r.prns)> == decltype(form.Panel_SV)::size());
  for (size_t i = 0; i < form.Panel_SV.size(); ++i) {
    const int prn = r.prns[i];
    Panel& panel = form.Panel_SV[i];
    panel.SetColor(prn > 0 ? colours::kAqua : colours::kWindow);
    panel.SetCaption(prn == 0 ? std::string() : Printf("%d", std::abs(prn)));
  }

  if (!timeReports) return;
  FormatLatLon(app, latitudeDeg, longitudeDeg);
  app.Window<TForm_Main>().Panel_Altitude.SetCaption(Printf("%.1f", r.altitude));
  app.Window<TForm_Main>().Panel_Position.SetHint("Position: Packet 8F-0B");
}

}  // namespace zelkon
