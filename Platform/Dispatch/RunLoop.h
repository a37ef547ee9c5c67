#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

#include "Platform/Dispatch/Block.h"

namespace platform {

// The loop behind the main queue. Nothing runs it by itself: the
// application pumps it from its event loop (the wake-up handler tells the
// event loop there is work), and tests pump it explicitly.
class RunLoop {
 public:
  static RunLoop& main();

  // Thread-safe; never runs the block inline.
  void post(Block block);
  // Called on the posting thread after each post.
  void setWakeUpHandler(std::function<void()> handler);

  // Runs what is posted, including what those blocks post, until nothing is
  // left. A call from inside a block of this loop returns 0 at once: the
  // main queue is serial, so it must not run nested. Returns the count run.
  std::size_t runPending();
  // Pumps until `done` answers true or the timeout passes; returns `done()`.
  bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

 private:
  RunLoop() = default;

  std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<Block> blocks_;
  std::function<void()> wakeUp_;
  std::mutex pumping_;
};

}  // namespace platform
