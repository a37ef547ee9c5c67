#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <queue>
#include <vector>

#include "Platform/Dispatch/Block.h"

namespace platform {

class DispatchQueue;

// One thread that hands blocks to their queues when their deadlines pass.
class DelayedScheduler {
 public:
  using Clock = std::chrono::steady_clock;

  static DelayedScheduler& shared();

  void schedule(Clock::time_point deadline, std::shared_ptr<DispatchQueue> queue, Block block);

 private:
  struct Entry {
    Clock::time_point deadline;
    std::uint64_t sequence;  // keeps equal deadlines in submission order
    std::shared_ptr<DispatchQueue> queue;
    mutable Block block;
    bool operator>(const Entry& other) const {
      return deadline != other.deadline ? deadline > other.deadline : sequence > other.sequence;
    }
  };

  DelayedScheduler();
  void run();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::priority_queue<Entry, std::vector<Entry>, std::greater<>> entries_;
  std::uint64_t nextSequence_ = 0;
};

}  // namespace platform
