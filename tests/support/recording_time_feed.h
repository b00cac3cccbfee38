// A time feed that keeps the samples it is given, and refuses them while a test says so.
#pragma once

#include <string>
#include <vector>

#include "platform/time_feed.h"

namespace zelkon::testing {

struct RecordingTimeFeed final : TimeFeed {
  std::string Name() const override { return name; }
  bool Send(const TimeSample& sample) override {
    if (!refusal.empty()) return false;
    samples.push_back(sample);
    return true;
  }
  std::string Failure() const override { return refusal; }

  std::string name = "sock:/run/chrony.test.sock";
  std::string refusal;              // while set, every Send fails with this reason
  std::vector<TimeSample> samples;  // those the daemon got
};

}  // namespace zelkon::testing
