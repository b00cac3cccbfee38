// Time as the program sees it: a monotonic millisecond count, blocking waits, and the idle wait of
// the event loop. Tests run on a virtual clock whose waits cost no real time.
#pragma once

#include <atomic>
#include <cstdint>
#include <stop_token>

namespace zelkon {

class UiQueue;

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since an arbitrary start.
  virtual int64_t NowMs() = 0;
  // A blocking wait (the pause before each command, the pauses between commands).
  virtual void SleepMs(int64_t ms) = 0;
  // The event loop has nothing to do for `ms`: wait, waking early when work is posted to `queue`.
  virtual void IdleWait(int64_t ms, UiQueue& queue) = 0;
  // A worker thread's wait, cut short when `stop` is requested; false when it was.
  virtual bool SleepUnlessStopped(int64_t ms, const std::stop_token& stop) = 0;
  // A worker thread that waits on this clock is announced by the thread that starts it, before it
  // starts, and ends itself with WorkerEnded. A clock that moves by itself needs neither; a clock
  // moved by the user-interface thread does not move while a worker runs between its waits.
  virtual void WorkerStarted() {}
  virtual void WorkerEnded() {}
};

class SteadyClock final : public Clock {
 public:
  SteadyClock();
  int64_t NowMs() override;
  void SleepMs(int64_t ms) override;
  void IdleWait(int64_t ms, UiQueue& queue) override;
  bool SleepUnlessStopped(int64_t ms, const std::stop_token& stop) override;

 private:
  int64_t start_;
};

// A clock whose waits take no time: every sleep and idle wait moves it forward at once. A replay
// that goes as fast as it can runs on it, so the start-up pauses, the pause before each command and
// the poll timer's intervals cost nothing.
class InstantClock final : public Clock {
 public:
  int64_t NowMs() override { return now_.load(); }
  void SleepMs(int64_t ms) override;
  void IdleWait(int64_t ms, UiQueue& queue) override;
  bool SleepUnlessStopped(int64_t ms, const std::stop_token& stop) override;

 private:
  std::atomic<int64_t> now_{0};
};

}  // namespace zelkon
