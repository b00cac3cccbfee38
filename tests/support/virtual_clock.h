// A clock whose waits cost no real time: sleeping moves the clock forward. Time is moved by the
// thread that made the clock (the test's user-interface thread). A worker thread's wait lasts until
// that thread has moved the clock far enough, and the clock does not move while an announced worker
// runs between its waits, so a worker and the user-interface thread take turns in virtual time as
// they would in real time, and a test gives the same result on every run.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <list>
#include <mutex>
#include <stop_token>
#include <thread>
#include <vector>

#include "platform/clock.h"

namespace zelkon::testing {

class VirtualClock final : public Clock {
 public:
  int64_t NowMs() override { return now_.load(); }
  void SleepMs(int64_t ms) override;
  void IdleWait(int64_t ms, UiQueue& queue) override;
  bool SleepUnlessStopped(int64_t ms, const std::stop_token& stop) override;
  void WorkerStarted() override;
  void WorkerEnded() override;
  void Advance(int64_t ms);

  // Every blocking wait, in order (idle waits of the event loop and workers' waits are not
  // included).
  std::vector<int64_t> Sleeps() const;

 private:
  void MoveOn(int64_t ms);

  std::atomic<int64_t> now_{0};
  const std::thread::id owner_ = std::this_thread::get_id();
  mutable std::mutex mutex_;
  std::condition_variable_any changed_;
  // A worker's wait: until when, and whether the clock has reached it and counted the worker as
  // running again.
  struct Waiter {
    int64_t until;
    bool woken = false;
  };
  std::list<Waiter> waiters_;
  int runningWorkers_ = 0;  // announced workers not waiting on the clock
  std::vector<int64_t> sleeps_;
};

}  // namespace zelkon::testing
