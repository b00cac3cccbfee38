#include "refclock/reference_clocks.h"

#include <cmath>

#include "base/application.h"
#include "views/message_log.h"

namespace zelkon {
namespace {

// Seconds from 1970-01-01 to the GPS epoch, 1980-01-06, both UTC.
constexpr int64_t kGpsEpochUnixSeconds = 315964800;
constexpr int64_t kNanosecondsPerSecond = 1'000'000'000;

// 0x8F-AD flag bit 5: the leap second comes within 24 hours; 0x8F-AC minor alarm bit 7.
constexpr uint8_t kUtcLeapPending = 1U << 5;
constexpr uint16_t kAlarmLeapPending = 1U << 7;

}  // namespace

LeapIndicator AnnouncedLeap(const TimeEvidence& evidence, std::optional<int> leapChange,
                            int64_t nowMs) {
  const bool freshUtc = evidence.utcTime && nowMs - evidence.utcTimeMs <= kFreshEvidenceMs;
  const bool freshStatus = evidence.status && nowMs - evidence.statusMs <= kFreshEvidenceMs;
  const bool pending = freshUtc ? (evidence.utcTime->flags & kUtcLeapPending) != 0
                                : freshStatus && (evidence.status->minorAlarms & kAlarmLeapPending);
  if (!pending) return LeapIndicator::None;
  return leapChange && *leapChange < 0 ? LeapIndicator::Delete : LeapIndicator::Insert;
}

void ReferenceClocks::Offer(Application& app, const TimingPrimary& report) {
  if (clocks_.empty() || app.state.Replaying) return;
  const int64_t nowMs = app.clock.NowMs();
  const TimeEvidence evidence = app.telemetry.Evidence();
  const TimeVerdict verdict =
      JudgeReceiverTime(ReadingOf(report), evidence, nowMs, BuildWeekWindow());
  const int64_t arrivalNs = app.channel.PacketArrivalNs();
  if (!verdict.Vouched() || arrivalNs == 0) return;
  const int64_t second = std::llround(verdict.utcSeconds);
  if (lastSecond_ && second <= *lastSecond_) return;
  lastSecond_ = second;

  const TimeSample sample{arrivalNs, (second + kGpsEpochUnixSeconds) * kNanosecondsPerSecond,
                          AnnouncedLeap(evidence, app.telemetry.LeapChange(), nowMs)};
  for (ReferenceClock& clock : clocks_) {
    if (!clock.feed->Send(sample)) {
      if (!clock.failing) {
        MessageLogLine(app, "reference clock " + clock.feed->Name() + ": " + clock.feed->Failure() +
                                "; tried again every second");
      }
      clock.failing = true;
      continue;
    }
    if (clock.failing) {
      MessageLogLine(app, "reference clock " + clock.feed->Name() + ": samples taken again");
    }
    clock.failing = false;
    ++clock.samples;
    clock.lastOffsetSeconds =
        static_cast<double>(sample.referenceNs - sample.receivedNs) / kNanosecondsPerSecond;
  }
}

}  // namespace zelkon
