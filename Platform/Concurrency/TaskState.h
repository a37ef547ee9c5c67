#pragma once

#include <condition_variable>
#include <coroutine>
#include <exception>
#include <expected>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "Platform/Concurrency/TaskCancellation.h"

namespace platform {

// Resumes `handle` on the shared concurrent executor (the global queue), so
// that whoever completes an awaited thing never runs the awaiting code on
// its own thread or queue.
void resumeOnExecutor(std::coroutine_handle<> handle);

// The cancellation of the task whose coroutine `handle` belongs to; null
// for a coroutine that is no task of ours.
template <class Promise>
std::shared_ptr<TaskCancellation> cancellationOf(std::coroutine_handle<Promise> handle) {
  if constexpr (requires { handle.promise().cancellation(); }) {
    return handle.promise().cancellation();
  } else {
    return nullptr;
  }
}

namespace detail {

template <class T>
using StoredValue = std::conditional_t<std::is_void_v<T>, std::monostate, T>;

// What a task's handles and its coroutine share: the outcome, once there is
// one, and who waits for it.
template <class T>
class TaskState {
 public:
  using Outcome = std::expected<StoredValue<T>, std::exception_ptr>;

  const std::shared_ptr<TaskCancellation>& cancellation() const { return cancellation_; }

  // Called once, by the coroutine's end; wakes every waiter.
  void complete(Outcome outcome) {
    std::vector<std::move_only_function<void()>> waiters;
    {
      std::lock_guard lock(mutex_);
      outcome_.emplace(std::move(outcome));
      waiters = std::exchange(waiters_, {});
    }
    done_.notify_all();
    for (auto& waiter : waiters) waiter();
  }
  // False when the task is done already: `waiter` is then not kept.
  bool addWaiter(std::move_only_function<void()> waiter) {
    std::lock_guard lock(mutex_);
    if (outcome_) return false;
    waiters_.push_back(std::move(waiter));
    return true;
  }
  bool isDone() const {
    std::lock_guard lock(mutex_);
    return outcome_.has_value();
  }
  void waitUntilDone() const {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] { return outcome_.has_value(); });
  }
  // A done task's value (a copy: any number of readers get the same), or
  // its error thrown again.
  T get() const {
    std::lock_guard lock(mutex_);
    if (!outcome_->has_value()) std::rethrow_exception(outcome_->error());
    if constexpr (!std::is_void_v<T>) return **outcome_;
  }

 private:
  const std::shared_ptr<TaskCancellation> cancellation_ = std::make_shared<TaskCancellation>();
  mutable std::mutex mutex_;
  mutable std::condition_variable done_;
  std::optional<Outcome> outcome_;
  std::vector<std::move_only_function<void()>> waiters_;
};

}  // namespace detail
}  // namespace platform
