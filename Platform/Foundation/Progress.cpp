#include "Platform/Foundation/Progress.h"

#include <limits>

namespace platform {

std::shared_ptr<Progress> Progress::make(std::int64_t totalUnitCount) {
  // Every request makes two, so the object and its count share one block.
  struct Made final : Progress {
    explicit Made(std::int64_t total) : Progress(total) {}
  };
  return std::make_shared<Made>(totalUnitCount);
}

std::int64_t Progress::totalUnitCount() const {
  std::lock_guard lock(mutex_);
  return total_;
}

void Progress::setTotalUnitCount(std::int64_t count) {
  std::lock_guard lock(mutex_);
  total_ = count;
}

std::int64_t Progress::completedUnitCount() const {
  std::lock_guard lock(mutex_);
  return completed_;
}

void Progress::setCompletedUnitCount(std::int64_t count) {
  std::lock_guard lock(mutex_);
  completed_ = count;
}

void Progress::addToCompletedUnitCount(std::int64_t delta) {
  std::lock_guard lock(mutex_);
  if (__builtin_add_overflow(completed_, delta, &completed_)) {
    completed_ = delta > 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
  }
}

double Progress::fractionCompleted() const {
  std::lock_guard lock(mutex_);
  if (total_ <= 0) return 0;
  return static_cast<double>(completed_) / static_cast<double>(total_);
}

}  // namespace platform
