// A clock whose waits cost no real time: sleeping moves the clock forward.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/clock.h"

namespace zelkon::testing {

class VirtualClock final : public Clock {
 public:
  int64_t NowMs() override { return now_.load(); }
  void SleepMs(int64_t ms) override;
  void IdleWait(int64_t ms, UiQueue& queue) override;
  void Advance(int64_t ms) { now_ += ms; }

  // Every blocking wait, in order (idle waits of the event loop are not included).
  std::vector<int64_t> Sleeps() const;

 private:
  std::atomic<int64_t> now_{0};
  mutable std::mutex mutex_;
  std::vector<int64_t> sleeps_;
};

}  // namespace zelkon::testing
