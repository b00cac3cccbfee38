// Runs the application without a user-interface toolkit: fires the windows' timers on the clock
// and runs the work posted to the user-interface thread. Headless runs use it on the real clock,
// tests on a virtual one (where a whole minute of polling takes no real time).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "model/controls.h"
#include "platform/clock.h"
#include "platform/ui_queue.h"

namespace zelkon {

class EventLoop {
 public:
  EventLoop(Clock& clock, UiQueue& queue, std::vector<Timer*> timers);

  // Runs until `ms` milliseconds have passed on the clock, or Quit() is called.
  void RunFor(int64_t ms);
  // Runs until `done` returns true (checked after every timer tick and posted task) or `maxMs`
  // have passed. Returns whether `done` became true.
  bool RunUntil(const std::function<bool()>& done, int64_t maxMs);
  // Ends the current run after the handler that calls it returns.
  void Quit() { quit_ = true; }

 private:
  struct Scheduled {
    Timer* timer;
    unsigned enableCount = 0;  // the timer's EnableCount when it was scheduled
    bool active = false;
    int64_t due = 0;
  };

  // Picks up timers switched on or off since the last look; a timer switched on is due one
  // interval later.
  void Reschedule();
  // Fires the earliest due timer, if any is due now. Returns whether one fired.
  bool FireDueTimer();
  // Milliseconds until the next timer is due, or -1 when none runs.
  int64_t NextDueIn();

  Clock& clock_;
  UiQueue& queue_;
  std::vector<Scheduled> timers_;
  bool quit_ = false;
};

}  // namespace zelkon
