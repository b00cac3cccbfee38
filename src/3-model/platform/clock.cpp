#include "platform/clock.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
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

bool SteadyClock::SleepUnlessStopped(int64_t ms, const std::stop_token& stop) {
  std::mutex mutex;
  std::condition_variable_any woken;
  std::unique_lock lock(mutex);
  // Wakes only when stop is requested: the predicate turns true with it.
  woken.wait_for(lock, stop, std::chrono::milliseconds(std::max<int64_t>(ms, 0)),
                 [] { return false; });
  return !stop.stop_requested();
}

void InstantClock::SleepMs(int64_t ms) {
  if (ms > 0) now_ += ms;
}

void InstantClock::IdleWait(int64_t ms, UiQueue& /*queue*/) {
  if (ms > 0) now_ += ms;
}

bool InstantClock::SleepUnlessStopped(int64_t ms, const std::stop_token& stop) {
  if (stop.stop_requested()) return false;
  SleepMs(ms);
  return true;
}

}  // namespace zelkon
