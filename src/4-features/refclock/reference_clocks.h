// The receiver as the PC's time source: once a second, while the receiver vouches for its time, the
// UTC second its primary timing report names goes to the time daemon's reference clocks (chrony's
// socket, the NTP shared-memory segment), paired with the moment the report's first byte arrived.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/vouched_time.h"
#include "platform/time_feed.h"
#include "reports/timing.h"

namespace zelkon {

class Application;

// A feed and what it was given.
struct ReferenceClock {
  TimeFeed* feed = nullptr;
  uint64_t samples = 0;                     // taken by the daemon, since start
  std::optional<double> lastOffsetSeconds;  // reference minus arrival of the last one taken
  bool failing = false;                     // the last sample was not taken (said in the log)
};

// The feeds of a run, a feature of the application; none unless the run was given some.
class ReferenceClocks {
 public:
  void Add(TimeFeed& feed) {
    ReferenceClock clock;
    clock.feed = &feed;
    clocks_.push_back(clock);
  }
  const std::vector<ReferenceClock>& Clocks() const { return clocks_; }

  // Offers the second a primary timing report names. A sample goes out when the receiver vouches
  // for the time (JudgeReceiverTime), the port could say when the report's first byte arrived, no
  // recording is being replayed, and no sample has gone for this second yet. A feed whose daemon
  // does not take it is said once in the message log, and once more when it takes samples again.
  void Offer(Application& app, const TimingPrimary& report);

 private:
  std::vector<ReferenceClock> clocks_;
  std::optional<int64_t> lastSecond_;
};

// The leap second the receiver announces for the end of the current UTC day: pending by a fresh
// 0x8F-AD (leap pending: within 24 hours) or, from a receiver that sends none, a fresh 0x8F-AC's
// "Leap Second Pending" alarm; a deletion when the UTC parameters (0x4F) last seen say the offset
// goes down, else an insertion. None otherwise.
LeapIndicator AnnouncedLeap(const TimeEvidence& evidence, std::optional<int> leapChange,
                            int64_t nowMs);

}  // namespace zelkon
