#include "Platform/Dispatch/OperationQueue.h"

namespace platform {

std::shared_ptr<OperationQueue> OperationQueue::make(std::string name, std::shared_ptr<DispatchQueue> underlyingQueue) {
  return std::make_shared<OperationQueue>(std::move(name), std::move(underlyingQueue));
}

namespace {

// A serial underlying queue runs the operations itself, each in its place
// among everything else posted to that queue. A serial queue of our own on
// top of it would run an operation in a turn it took earlier, ahead of blocks
// posted to the underlying queue before the operation was added.
std::shared_ptr<DispatchQueue> runningQueue(const std::string& name, const std::shared_ptr<DispatchQueue>& underlying) {
  if (underlying->isSerial()) return underlying;
  return DispatchQueue::make(name, DispatchQueue::Attributes::serial, underlying);
}

}  // namespace

OperationQueue::OperationQueue(std::string name, std::shared_ptr<DispatchQueue> underlyingQueue)
    : name_(std::move(name)),
      underlyingQueue_(underlyingQueue ? std::move(underlyingQueue) : DispatchQueue::global()),
      serialQueue_(runningQueue(name_, underlyingQueue_)) {}

// Posting happens under the lock (it never blocks) so operations released by
// a resume cannot be overtaken by ones added at the same moment.
void OperationQueue::addOperation(Block operation) {
  std::lock_guard lock(mutex_);
  if (suspended_) {
    heldBack_.push_back(std::move(operation));
  } else {
    serialQueue_->async(std::move(operation));
  }
}

bool OperationQueue::isSuspended() const {
  std::lock_guard lock(mutex_);
  return suspended_;
}

void OperationQueue::setSuspended(bool suspended) {
  std::lock_guard lock(mutex_);
  suspended_ = suspended;
  if (suspended) return;
  for (auto& operation : heldBack_) serialQueue_->async(std::move(operation));
  heldBack_.clear();
}

}  // namespace platform
