#include "support/virtual_clock.h"

#include <algorithm>

namespace zelkon::testing {

void VirtualClock::MoveOn(int64_t ms) {
  if (ms <= 0) return;
  std::unique_lock lock(mutex_);
  const int64_t target = now_.load() + ms;
  while (true) {
    changed_.wait(lock, [this] { return runningWorkers_ == 0; });
    // The clock stops at each worker's time, and that worker runs before it moves on.
    int64_t next = target;
    for (const Waiter& waiter : waiters_) {
      if (!waiter.woken && waiter.until < next) next = waiter.until;
    }
    now_ = std::max(now_.load(), next);
    for (Waiter& waiter : waiters_) {
      if (!waiter.woken && waiter.until <= now_.load()) {
        waiter.woken = true;
        ++runningWorkers_;
      }
    }
    changed_.notify_all();
    if (now_.load() >= target) break;
  }
  changed_.wait(lock, [this] { return runningWorkers_ == 0; });
}

void VirtualClock::SleepMs(int64_t ms) {
  {
    std::lock_guard lock(mutex_);
    sleeps_.push_back(ms);
  }
  MoveOn(ms);
}

void VirtualClock::IdleWait(int64_t ms, UiQueue& /*queue*/) { MoveOn(ms); }

void VirtualClock::Advance(int64_t ms) { MoveOn(ms); }

bool VirtualClock::SleepUnlessStopped(int64_t ms, const std::stop_token& stop) {
  if (std::this_thread::get_id() == owner_) {
    if (stop.stop_requested()) return false;
    SleepMs(ms);
    return true;
  }
  std::unique_lock lock(mutex_);
  const auto waiter =
      waiters_.insert(waiters_.end(), Waiter{now_.load() + std::max<int64_t>(ms, 0)});
  --runningWorkers_;
  changed_.notify_all();
  changed_.wait(lock, stop, [&] { return waiter->woken; });
  const bool reached = waiter->woken;
  // A stop wakes the worker before its time: it runs again all the same.
  if (!reached) ++runningWorkers_;
  waiters_.erase(waiter);
  return reached && !stop.stop_requested();
}

void VirtualClock::WorkerStarted() {
  std::lock_guard lock(mutex_);
  ++runningWorkers_;
}

void VirtualClock::WorkerEnded() {
  {
    std::lock_guard lock(mutex_);
    --runningWorkers_;
  }
  changed_.notify_all();
}

std::vector<int64_t> VirtualClock::Sleeps() const {
  std::lock_guard lock(mutex_);
  return sleeps_;
}

}  // namespace zelkon::testing
