#include "Platform/Dispatch/ThreadPool.h"

#include <chrono>
#include <thread>

namespace platform {

namespace {
constexpr auto idleLifetime = std::chrono::seconds(10);
}

ThreadPool& ThreadPool::shared() {
  // Never destroyed: detached workers may still touch it while the process exits.
  static ThreadPool* pool = new ThreadPool();
  return *pool;
}

void ThreadPool::submit(Block block) {
  std::unique_lock lock(mutex_);
  blocks_.push_back(std::move(block));
  // Each idle thread takes one block; only blocks beyond them need a new thread.
  if (blocks_.size() > idle_ && threads_ < maximumThreads) {
    ++threads_;
    std::thread([this] { work(); }).detach();
  }
  lock.unlock();
  available_.notify_one();
}

void ThreadPool::work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    if (!blocks_.empty()) {
      Block block = std::move(blocks_.front());
      blocks_.pop_front();
      lock.unlock();
      block();
      block = nullptr;  // release captures outside the lock
      lock.lock();
      continue;
    }
    ++idle_;
    const bool woken = available_.wait_for(lock, idleLifetime, [this] { return !blocks_.empty(); });
    --idle_;
    if (!woken) {
      --threads_;
      return;
    }
  }
}

}  // namespace platform
