#include "platform/clock.h"

#include <chrono>
#include <thread>

#include "platform/ui_queue.h"

namespace zelkon {
namespace {

int64_t SteadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

SteadyClock::SteadyClock() : start_(SteadyMs()) {}

int64_t SteadyClock::NowMs() { return SteadyMs() - start_; }

void SteadyClock::SleepMs(int64_t ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void SteadyClock::IdleWait(int64_t ms, UiQueue& queue) {
  if (ms > 0) queue.WaitForPost(ms);
}

void InstantClock::SleepMs(int64_t ms) {
  if (ms > 0) now_ += ms;
}

void InstantClock::IdleWait(int64_t ms, UiQueue& /*queue*/) {
  if (ms > 0) now_ += ms;
}

}  // namespace zelkon
