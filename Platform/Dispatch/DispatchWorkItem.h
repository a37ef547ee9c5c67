#pragma once

#include <atomic>
#include <memory>

#include "Platform/Dispatch/Block.h"

namespace platform {

// A block that can be cancelled before it runs. Cancelling never interrupts
// a block that is already running; it only stops later runs.
class DispatchWorkItem {
 public:
  static std::shared_ptr<DispatchWorkItem> make(Block block);

  void perform();
  void cancel() { cancelled_.store(true, std::memory_order_release); }
  bool isCancelled() const { return cancelled_.load(std::memory_order_acquire); }

  explicit DispatchWorkItem(Block block) : block_(std::move(block)) {}

 private:
  Block block_;
  std::atomic<bool> cancelled_{false};
};

}  // namespace platform
