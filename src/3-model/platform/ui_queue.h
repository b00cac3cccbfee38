// Work handed to the user-interface thread from other threads.
//
// Controls are touched on the user-interface thread only. A worker thread that needs a control
// changed posts the change here; the user-interface thread runs it on its next turn (the event
// loop drains the queue, or the user interface's wake handler schedules a drain).
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <utility>

namespace zelkon {

class UiQueue {
 public:
  using Task = std::function<void()>;

  // Any thread.
  void Post(Task task);
  // Called after every Post, on the posting thread: lets a user interface wake its own loop.
  void SetWakeHandler(std::function<void()> wake);

  // Lets a user interface draw what changed while the user-interface thread is held by a long
  // action of its own (an almanac transfer), without taking the operator's input meanwhile.
  void SetRepaintHandler(std::function<void()> repaint) { repaint_ = std::move(repaint); }
  // User-interface thread: draws the windows now, when a user interface asked to.
  void Repaint() const {
    if (repaint_) repaint_();
  }

  // User-interface thread: runs every task posted so far, in order. Returns the number run.
  int Drain();
  // User-interface thread: waits up to `ms` milliseconds of real time for a task to be posted.
  void WaitForPost(int64_t ms);
  bool Empty() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<Task> tasks_;
  std::function<void()> wake_;
  std::function<void()> repaint_;  // user-interface thread only
};

}  // namespace zelkon
