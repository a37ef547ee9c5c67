#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>

#include "Platform/Dispatch/Block.h"

namespace platform {

// The threads behind the global concurrent queue. A block never waits for a
// free thread: when every thread is busy a new one starts (blocks may wait
// on each other, so a fixed-size pool could deadlock); idle threads end
// after a while.
class ThreadPool {
 public:
  static ThreadPool& shared();

  void submit(Block block);

 private:
  ThreadPool() = default;
  void work();

  static constexpr std::size_t maximumThreads = 512;

  std::mutex mutex_;
  std::condition_variable available_;
  std::deque<Block> blocks_;
  std::size_t threads_ = 0;
  std::size_t idle_ = 0;
};

}  // namespace platform
