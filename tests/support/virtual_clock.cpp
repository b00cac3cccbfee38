#include "support/virtual_clock.h"

namespace zelkon::testing {

void VirtualClock::SleepMs(int64_t ms) {
  {
    std::lock_guard lock(mutex_);
    sleeps_.push_back(ms);
  }
  if (ms > 0) now_ += ms;
}

void VirtualClock::IdleWait(int64_t ms, UiQueue& /*queue*/) {
  if (ms > 0) now_ += ms;
}

std::vector<int64_t> VirtualClock::Sleeps() const {
  std::lock_guard lock(mutex_);
  return sleeps_;
}

}  // namespace zelkon::testing
