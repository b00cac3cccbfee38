// When the receiver vouches for the time it reports. Everything that takes the receiver's time as
// the truth goes by this one rule: "Down&load Time To PC" setting the PC clock, and a reference
// clock fed to a time server. The rule is pure: the time report judged, what the other reports
// said (the evidence the telemetry keeps), the monitor's clock and the weeks believed in.
//
// A time is vouched for when all of these hold, checked in this order (the first that fails is
// the reason given):
//
// 1. The receiver has GPS time. The report carries a time: 0x41 has a time of week of 0 or more
//    (it sends -1 without one), and a time report is not week 0 at time of week 0 (what a receiver
//    without time sends in 0x8F-AB). The newest fresh 0x8F-AC does not say status 1, "Don't have
//    GPS time", and the newest fresh 0x8F-AD (when the receiver sends it) does not say
//    "Approximate Time", "Need Time" or "Need Initialization".
// 2. Its status is known: an 0x8F-AC at most kFreshEvidenceMs old. Only that report says whether
//    the receiver is in a test mode; a receiver broadcasts it every second.
// 3. It is not in a test mode (0x8F-AC minor alarm bit 8): a test mode's time and UTC parameters
//    are whatever the test set.
// 4. The week is plausible: within WeekWindow, from a week before the program was built to 1024
//    weeks after. A receiver that counts its week in 10 bits past a rollover reports a date 1024
//    weeks (19.6 years) back, before the program existed, so no week number is ever moved by
//    rollovers to make it fit: it is refused as it stands.
// 5. The UTC offset (GPS minus UTC) is known: above 0 and below 256 s. GPS time ran ahead of UTC
//    by 18 s from 2017 and has only grown since 1980, by at most a second a year; a receiver that
//    has not yet received the UTC parameters from the satellites reports 0, and a fresh 0x8F-AD
//    says so too ("UTC Available", flag bit 0, clear).
// 6. No leap second is being inserted (a fresh 0x8F-AD with flag bit 7): during that second GPS
//    time less the offset names the wrong UTC second.
// 7. The time does not go backwards: it is not a second or more earlier than the receiver's time
//    in its previous time report (0x8F-AB or 0x41).
//
// A leap second scheduled or pending (0x8F-AC minor alarm bit 7, 0x8F-AD flags 4 to 6) refuses
// nothing: the offset stays right until the leap. The UTC parameters of 0x4F are not used: the
// monitor has them only when asked for them, so they say nothing of the present, and the offset the
// time reports carry is the one the receiver itself applies.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "reports/position.h"
#include "reports/timing.h"

namespace zelkon {

// Evidence older than this, by the monitor's clock, says nothing about now.
inline constexpr int64_t kFreshEvidenceMs = 5000;

// The GPS weeks a reported week is believed in: earliest to latest, both included.
struct WeekWindow {
  int earliest = 0;
  int latest = 0;
};

// From the week before the one of `unixDay` (days since 1 January 1970, UTC) to 1024 weeks after
// that day's week.
WeekWindow WeekWindowFrom(int64_t unixDay);
// The window of this program: from its build date (the day the build was configured, or the
// SOURCE_DATE_EPOCH of a reproducible build, never later than the day it runs).
WeekWindow BuildWeekWindow();

// A time report as the receiver sent it.
struct TimeReading {
  double timeOfWeek = 0;  // seconds; below 0: the receiver has no time
  int week = 0;           // taken as it stands
  double utcOffset = 0;   // GPS minus UTC, whole seconds; 0: not known

  double GpsSeconds() const { return week * 604800.0 + timeOfWeek; }
};

TimeReading ReadingOf(const TimingPrimary& report);
// The UTC offset truncated toward zero to whole seconds.
TimeReading ReadingOf(const GpsTime& report);

// What the reports other than the time report judged say about the time: the newest of each with
// the monitor's clock (milliseconds) when it came, and the time the receiver reported before.
struct TimeEvidence {
  std::optional<TimingSupplemental> status;  // 0x8F-AC
  int64_t statusMs = 0;
  std::optional<PrimaryUtcTime> utcTime;  // 0x8F-AD
  int64_t utcTimeMs = 0;
  // GPS seconds of the time report before the newest one.
  std::optional<double> previousGps;
};

enum class TimeDoubt {
  None,
  NoGpsTime,
  NoStatus,
  TestMode,
  ImplausibleWeek,
  NoUtcOffset,
  LeapSecond,
  WentBackwards,
};

struct TimeVerdict {
  TimeDoubt doubt = TimeDoubt::None;
  // When vouched for: UTC as seconds since the GPS epoch (GPS time less the UTC offset).
  double utcSeconds = 0;

  bool Vouched() const { return doubt == TimeDoubt::None; }
};

TimeVerdict JudgeReceiverTime(const TimeReading& reading, const TimeEvidence& evidence,
                              int64_t nowMs, const WeekWindow& weeks);

// Why a time is not vouched for, as a sentence: "GPS time is not available yet.", "GPS week 0
// (Jan 6, 1980) is not plausible." and so on; empty when it is.
std::string DoubtText(TimeDoubt doubt, const TimeReading& reading);

}  // namespace zelkon
