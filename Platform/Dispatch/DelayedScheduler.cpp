#include "Platform/Dispatch/DelayedScheduler.h"

#include <thread>

#include "Platform/Dispatch/DispatchQueue.h"

namespace platform {

DelayedScheduler& DelayedScheduler::shared() {
  // Never destroyed, for the same reason as the thread pool.
  static DelayedScheduler* scheduler = new DelayedScheduler();
  return *scheduler;
}

DelayedScheduler::DelayedScheduler() {
  std::thread([this] { run(); }).detach();
}

void DelayedScheduler::schedule(Clock::time_point deadline, std::shared_ptr<DispatchQueue> queue, Block block) {
  {
    std::lock_guard lock(mutex_);
    entries_.push(Entry{deadline, nextSequence_++, std::move(queue), std::move(block)});
  }
  changed_.notify_one();
}

void DelayedScheduler::run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    if (entries_.empty()) {
      changed_.wait(lock);
      continue;
    }
    const auto deadline = entries_.top().deadline;
    if (Clock::now() < deadline) {
      changed_.wait_until(lock, deadline);
      continue;
    }
    auto queue = entries_.top().queue;
    Block block = std::move(entries_.top().block);
    entries_.pop();
    lock.unlock();
    queue->async(std::move(block));
    queue.reset();
    lock.lock();
  }
}

}  // namespace platform
