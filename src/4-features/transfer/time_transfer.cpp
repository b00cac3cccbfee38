#include "transfer/time_transfer.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "base/application.h"
#include "commands/commands.h"
#include "text/time_format.h"
#include "transfer/initial_time_form.h"

namespace zelkon {
namespace {

constexpr double kSecondsPerDay = 86400.0;
constexpr double kSecondsPerWeek = 604800.0;

// Days from 1 March of year 0 of the proleptic Gregorian calendar, so that the leap day ends the
// counting year.
int64_t DaysFromCivil(int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra;
}

const int64_t kGpsEpochDay = DaysFromCivil(1980, 1, 6);

// The seconds a clock can be set to: a day count that fits the calendar routine.
bool SettableSeconds(double seconds) {
  const double days = std::floor(seconds / kSecondsPerDay);
  return days >= std::numeric_limits<int32_t>::min() && days <= std::numeric_limits<int32_t>::max();
}

}  // namespace

UtcTime GpsSecondsToCalendar(double seconds) {
  if (!SettableSeconds(seconds)) seconds = 0;
  // Whole days before the moment, so a moment before the epoch gets a time of day from 0 to 24 h.
  const double days = std::floor(seconds / kSecondsPerDay);
  const double inDay = seconds - days * kSecondsPerDay;
  const CalendarDate date = GpsDayToDate(static_cast<int32_t>(days));
  UtcTime time;
  time.year = date.year;
  time.month = date.month;
  time.day = date.day;
  time.hour = static_cast<int>(inDay * (1.0 / 3600));
  time.minute = static_cast<int>(std::fmod(inDay, 3600) * (1.0 / 60));
  time.second = static_cast<int>(std::fmod(inDay, 60));
  return time;
}

double PcClockToGpsSeconds(SystemTime& clock) {
  const UtcTime now = clock.NowUtc();
  const int64_t days = DaysFromCivil(now.year, now.month, now.day) - kGpsEpochDay;
  return static_cast<double>(((days * 24 + now.hour) * 60 + now.minute) * 60 + now.second);
}

void SetPcClock(Application& app, const TimeReading& reading) {
  const TimeVerdict verdict =
      JudgeReceiverTime(reading, app.telemetry.Evidence(), app.clock.NowMs(), BuildWeekWindow());
  std::string text = "Can't set time";
  std::string caption = DoubtText(verdict.doubt, reading);
  if (verdict.Vouched()) {
    // A moment the calendar cannot hold is refused like any value the platform refuses.
    const bool set = SettableSeconds(verdict.utcSeconds) &&
                     app.systemTime.SetUtc(GpsSecondsToCalendar(verdict.utcSeconds));
    text = set ? "PC time was set." : "Can't set time";
    caption = set ? "Success" : "Time set failure.";
  }
  // The clock is set while the report is fresh; its message waits for the packet loop.
  app.AfterPacketLoop(
      [&app, text, caption] { app.dialogs.MessageBox(text, caption, Buttons::Ok, Icon::None); });
}

void ShowTimeAccepted(TForm_InitialTime& form, const TimeAccepted& report) {
  form.Shape_TimeAccepted.SetBrushColor(report.Accepted() ? colours::kGreen : colours::kRed);
}

void WireInitialTimeWindow(Application& app, TForm_InitialTime& form) {
  form.Button_SetTime.OnClick = [&app] {
    const double seconds = PcClockToGpsSeconds(app.systemTime);
    const int week = static_cast<int>(seconds * (1.0 / kSecondsPerWeek));
    const auto timeOfWeek = static_cast<float>(seconds - week * kSecondsPerWeek);
    SendInitialTime(app, timeOfWeek, week);
  };
  form.Button_Cancel.OnClick = [&form] { form.Close(); };
  form.OnClose = [&form] { form.Shape_TimeAccepted.SetBrushColor(colours::kGrey); };
}

}  // namespace zelkon
