#include "Platform/Dispatch/RunLoop.h"

namespace platform {

namespace {
thread_local bool pumpingOnThisThread = false;
}

RunLoop& RunLoop::main() {
  static RunLoop* loop = new RunLoop();
  return *loop;
}

void RunLoop::post(Block block) {
  std::function<void()> wakeUp;
  {
    std::lock_guard lock(mutex_);
    blocks_.push_back(std::move(block));
    wakeUp = wakeUp_;
  }
  posted_.notify_all();
  if (wakeUp) wakeUp();
}

void RunLoop::setWakeUpHandler(std::function<void()> handler) {
  std::lock_guard lock(mutex_);
  wakeUp_ = std::move(handler);
}

std::size_t RunLoop::runPending() {
  if (pumpingOnThisThread) return 0;
  std::lock_guard pumping(pumping_);
  pumpingOnThisThread = true;
  std::size_t count = 0;
  for (;;) {
    Block block;
    {
      std::lock_guard lock(mutex_);
      if (blocks_.empty()) break;
      block = std::move(blocks_.front());
      blocks_.pop_front();
    }
    block();
    ++count;
  }
  pumpingOnThisThread = false;
  return count;
}

bool RunLoop::runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  // Conditions may be met by other threads without posting here, so the wait
  // is sliced rather than tied to a post.
  constexpr auto slice = std::chrono::milliseconds(5);
  for (;;) {
    runPending();
    if (done()) return true;
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return false;
    std::unique_lock lock(mutex_);
    posted_.wait_until(lock, std::min(deadline, now + slice), [this] { return !blocks_.empty(); });
  }
}

}  // namespace platform
