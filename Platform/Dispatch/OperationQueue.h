#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Platform/Dispatch/DispatchQueue.h"

namespace platform {

// A serial queue of operations that runs them as blocks of an underlying
// queue. Suspending holds new operations back until it is resumed.
class OperationQueue {
 public:
  static std::shared_ptr<OperationQueue> make(std::string name, std::shared_ptr<DispatchQueue> underlyingQueue);

  OperationQueue(std::string name, std::shared_ptr<DispatchQueue> underlyingQueue);

  const std::string& name() const { return name_; }
  const std::shared_ptr<DispatchQueue>& underlyingQueue() const { return underlyingQueue_; }
  int maxConcurrentOperationCount() const { return 1; }

  void addOperation(Block operation);
  bool isSuspended() const;
  void setSuspended(bool suspended);

 private:
  std::string name_;
  std::shared_ptr<DispatchQueue> underlyingQueue_;
  std::shared_ptr<DispatchQueue> serialQueue_;
  mutable std::mutex mutex_;
  bool suspended_ = false;
  std::vector<Block> heldBack_;
};

}  // namespace platform
