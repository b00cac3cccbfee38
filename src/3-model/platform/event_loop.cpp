#include "platform/event_loop.h"

#include <algorithm>

namespace zelkon {

EventLoop::EventLoop(Clock& clock, UiQueue& queue, std::vector<Timer*> timers)
    : clock_(clock), queue_(queue) {
  for (Timer* timer : timers)
    timers_.push_back(Scheduled{timer});
}

void EventLoop::Reschedule() {
  const int64_t now = clock_.NowMs();
  for (Scheduled& s : timers_) {
    if (!s.timer->Enabled()) {
      s.active = false;
    } else if (!s.active || s.enableCount != s.timer->EnableCount()) {
      s.active = true;
      s.enableCount = s.timer->EnableCount();
      s.due = now + s.timer->Interval();
    }
  }
}

bool EventLoop::FireDueTimer() {
  Scheduled* next = nullptr;
  for (Scheduled& s : timers_) {
    if (s.active && (next == nullptr || s.due < next->due)) next = &s;
  }
  if (next == nullptr || next->due > clock_.NowMs()) return false;

  next->timer->Tick();
  // A tick that outlasts its interval does not queue up ticks: the next one comes on the next
  // interval boundary, as with a windowing system's timers.
  const int64_t now = clock_.NowMs();
  const int64_t interval = std::max(1, next->timer->Interval());
  while (next->due <= now)
    next->due += interval;
  return true;
}

int64_t EventLoop::NextDueIn() {
  int64_t next = -1;
  const int64_t now = clock_.NowMs();
  for (const Scheduled& s : timers_) {
    if (!s.active) continue;
    const int64_t in = std::max<int64_t>(0, s.due - now);
    if (next < 0 || in < next) next = in;
  }
  return next;
}

bool EventLoop::RunUntil(const std::function<bool()>& done, int64_t maxMs) {
  quit_ = false;
  const int64_t end = clock_.NowMs() + maxMs;
  while (!quit_) {
    if (done && done()) return true;
    if (queue_.Drain() > 0) continue;
    Reschedule();
    if (FireDueTimer()) continue;
    const int64_t now = clock_.NowMs();
    if (now >= end) break;
    const int64_t dueIn = NextDueIn();
    const int64_t wait = dueIn < 0 ? end - now : std::min(dueIn, end - now);
    clock_.IdleWait(wait, queue_);
  }
  return done && done();
}

void EventLoop::RunFor(int64_t ms) { RunUntil(nullptr, ms); }

}  // namespace zelkon
