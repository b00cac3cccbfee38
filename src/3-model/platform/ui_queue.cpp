#include "platform/ui_queue.h"

#include <chrono>

namespace zelkon {

void UiQueue::Post(Task task) {
  std::function<void()> wake;
  {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
    wake = wake_;
  }
  posted_.notify_one();
  if (wake) wake();
}

void UiQueue::SetWakeHandler(std::function<void()> wake) {
  std::lock_guard lock(mutex_);
  wake_ = std::move(wake);
}

int UiQueue::Drain() {
  std::deque<Task> batch;
  {
    std::lock_guard lock(mutex_);
    batch.swap(tasks_);
  }
  for (Task& task : batch)
    task();
  return static_cast<int>(batch.size());
}

void UiQueue::WaitForPost(int64_t ms) {
  std::unique_lock lock(mutex_);
  posted_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return !tasks_.empty(); });
}

bool UiQueue::Empty() const {
  std::lock_guard lock(mutex_);
  return tasks_.empty();
}

}  // namespace zelkon
