// Time and timing reports.
#include <algorithm>
#include <cmath>

#include "sim/gps_time.h"
#include "sim/reports.h"

namespace zelkon::sim {
namespace {

struct WeekTime {
  int week;
  double timeOfWeek;
};

WeekTime WeekTimeOf(double gps) {
  const double week = std::floor(gps / kSecondsPerWeek);
  return {static_cast<int>(week), gps - week * kSecondsPerWeek};
}

// The modes of the comprehensive time report come in another order than the supplemental
// report's: 0 2D, 1 3D, 2 single satellite, 3 automatic, 4 DGPS reference, 5 clock hold,
// 6 overdetermined clock.
int ComprehensiveMode(uint8_t supplementalMode) {
  static constexpr int kMap[8] = {3, 2, 3, 0, 1, 4, 5, 6};
  return supplementalMode < 8 ? kMap[supplementalMode] : 3;
}

// Status of the primary UTC time report.
int UtcTimeStatus(const Receiver& r) {
  if (!r.HasTime()) return 3;  // need time
  const int usable = r.UsableCount();
  if (usable == 0) return 7;          // no usable satellites
  if (r.PositionHeld()) return 13;    // overdetermined fixes
  if (usable < 4) return 7 + usable;  // only 1, 2, 3 usable
  return 0;                           // navigating
}

}  // namespace

Packet GpsTimeReport(const Receiver& r) {
  PayloadWriter p;
  if (!r.HasTime()) return p.Single(-1.0).U16(0).Single(0.0).Build(0x41);
  const WeekTime now = WeekTimeOf(std::floor(r.ReportedGps()));
  return p.Single(now.timeOfWeek).U16(now.week).Single(r.UtcOffset()).Build(0x41);
}

Packet HealthReport(const Receiver& r) {
  static constexpr int kStatusOfSupplemental[17] = {0, 1,  0,  3,  0, 0, 0, 0, 8,
                                                    9, 10, 11, 12, 0, 0, 0, 0};
  const uint8_t status = r.StatusCode();
  return PayloadWriter().U8(status < 17 ? kStatusOfSupplemental[status] : 0).U8(0).Build(0x46);
}

Packet TimeAcceptedReport(bool accepted) {
  return PayloadWriter().U8(accepted ? 'Y' : 'N').Build(0x4E);
}

Packet TimingPrimaryReport(const Receiver& r) {
  PayloadWriter p;
  p.U8(0xAB);
  if (!r.HasTime()) {
    // Time not known yet: zero time with the "time not set" flag.
    return p.U32(0).U16(0).U16(0).U8(0x04).Zeros(7).Build(0x8F);
  }
  const double gps = std::floor(r.ReportedGps());
  const WeekTime now = WeekTimeOf(gps);
  // Without the UTC parameters the calendar is GPS time, whatever the time base asks for.
  const bool utc = r.config.timing.timeBase == 1 && r.UtcKnown();
  const Calendar c = CalendarOf(static_cast<int64_t>(gps) - (utc ? r.UtcOffset() : 0));
  return p.U32(static_cast<uint32_t>(now.timeOfWeek))
      .U16(now.week)
      .U16(r.UtcOffset())
      .U8(utc ? 0x01 : 0x00)
      .U8(c.second)
      .U8(c.minute)
      .U8(c.hour)
      .U8(c.day)
      .U8(c.month)
      .U16(c.year)
      .Build(0x8F);
}

Packet TimingSupplementalReport(const Receiver& r) {
  const Fix position = r.Position();
  const double t = r.TrueGps();
  return PayloadWriter()
      .U8(0xAC)
      .U8(r.ModeCode())
      .U8(0)  // disciplining mode: normal
      .U8(r.SurveyProgress())
      .U32(0)  // holdover duration
      .U16(0)  // critical alarms
      .U16(r.MinorAlarms())
      .U8(r.StatusCode())
      .U8(0)  // disciplining activity
      .U8(0)
      .U8(0)
      .Single(r.PpsOffsetNs())
      .Single(r.OscillatorOffsetPpb())
      .U32(static_cast<uint32_t>(32768 + std::lround(r.OscillatorOffsetPpb() * 1000)))  // DAC value
      .Single(1.5 + r.OscillatorOffsetPpb() * 0.01)  // DAC voltage
      .Single(38.5 + 0.5 * std::sin(t / 3600.0))     // temperature
      .Double(position.latitude)
      .Double(position.longitude)
      .Double(position.altitude)
      .Single(r.QuantizationNs())
      .U8(r.PpsGenerated() ? 1 : 0)
      .Zeros(3)
      .Build(0x8F);
}

Packet PrimaryUtcTimeReport(const Receiver& r, std::optional<double> eventGps) {
  const double gps = eventGps.value_or(r.ReportedGps());
  const double utc = gps - r.UtcOffset();
  const double second = std::floor(utc);
  const Calendar c = CalendarOf(static_cast<int64_t>(second));
  return PayloadWriter()
      .U8(0xAD)
      .U16(eventGps ? r.EventCount() : 0)
      .Double(utc - second)
      .U8(c.hour)
      .U8(c.minute)
      .U8(c.second)
      .U8(c.day)
      .U8(c.month)
      .U16(c.year)
      .U8(UtcTimeStatus(r))
      .U8(r.LeapFlags())
      .Zeros(2)  // reserved: the report is 22 bytes
      .Build(0x8F);
}

Packet ComprehensiveTimeReport(const Receiver& r, std::optional<double> eventGps) {
  const bool utc = r.config.timing.timeBase == 1;
  const int offset = r.HasTime() ? r.UtcOffset() : 0;
  const double time = eventGps.value_or(r.ReportedGps()) - (utc ? offset : 0);
  const WeekTime now = WeekTimeOf(time);
  const Calendar c = CalendarOf(static_cast<int64_t>(std::floor(time)));
  const Fix position = r.Position();

  // Used satellites first, then the tracked ones that are not used.
  std::vector<int> prns;
  for (int prn : r.sky.Selection(r.TrueGps()))
    prns.push_back(prn);
  for (const Channel& channel : r.sky.Channels()) {
    const bool listed = std::find_if(prns.begin(), prns.end(), [&](int p) {
                          return std::abs(p) == channel.prn;
                        }) != prns.end();
    if (channel.prn != 0 && !listed) prns.push_back(-channel.prn);
  }
  prns.resize(8, 0);

  PayloadWriter p;
  p.U8(0x0B)
      .U16(eventGps ? r.EventCount() : 0)
      .Double(now.timeOfWeek)
      .U8(c.day)
      .U8(c.month)
      .U16(c.year)
      .U8(ComprehensiveMode(r.ModeCode()))
      .U16(utc ? offset : -offset)            // above 0: the time of week is UTC; below 0: GPS
      .Double(r.PpsOffsetNs() * 0.299792458)  // oscillator bias, metres
      .Double(r.OscillatorOffsetPpb() * 0.299792458)  // drift rate, m/s
      .Single(r.PositionHeld() ? 2.5 : 12.0)          // bias uncertainty
      .Single(0.05)                                   // drift uncertainty
      .Double(position.latitude)
      .Double(position.longitude)
      .Double(position.altitude);
  for (int prn : prns)
    p.U8(prn);
  return p.Build(0x8F);
}

}  // namespace zelkon::sim
