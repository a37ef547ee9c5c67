#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

namespace platform {

// How much of a piece of work is done, in units the owner chooses. A total
// of -1 means the total is unknown. Safe to update and read from any thread.
class Progress {
 public:
  static std::shared_ptr<Progress> make(std::int64_t totalUnitCount);

  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  std::int64_t totalUnitCount() const;
  void setTotalUnitCount(std::int64_t count);
  std::int64_t completedUnitCount() const;
  void setCompletedUnitCount(std::int64_t count);
  // Adds in one step, so updates from two threads are never lost. The
  // count stops at the 64-bit limits instead of wrapping.
  void addToCompletedUnitCount(std::int64_t delta);

  // completed / total; 0 while the total is 0 or unknown.
  double fractionCompleted() const;

 private:
  explicit Progress(std::int64_t totalUnitCount) : total_(totalUnitCount) {}

  mutable std::mutex mutex_;
  std::int64_t total_;
  std::int64_t completed_ = 0;
};

}  // namespace platform
