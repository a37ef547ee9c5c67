#pragma once

#include <atomic>
#include <coroutine>
#include <exception>
#include <expected>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "Platform/Concurrency/TaskState.h"

namespace platform {

namespace detail {

void continuationResumedTwice(const std::string& function);
void continuationDropped(const std::string& function);

template <class T>
struct ContinuationState {
  std::string function;
  std::coroutine_handle<> handle;
  std::mutex mutex;
  std::optional<std::expected<StoredValue<T>, std::exception_ptr>> outcome;
  std::atomic<bool> resumed = false;

  void resume(std::expected<StoredValue<T>, std::exception_ptr> value) {
    if (resumed.exchange(true)) continuationResumedTwice(function);
    {
      std::lock_guard lock(mutex);
      outcome.emplace(std::move(value));
    }
    resumeOnExecutor(handle);
  }
};

// Held only by the continuation's copies: when the last goes unresumed,
// the awaiting coroutine can never go on, and that is said out loud.
template <class T>
struct ContinuationOwnership {
  std::shared_ptr<ContinuationState<T>> state;
  ~ContinuationOwnership() {
    if (!state->resumed) continuationDropped(state->function);
  }
};

}  // namespace detail

// The one-shot bridge from a completion handler to a suspended coroutine.
// Resuming twice stops the process; dropping every copy without resuming
// is reported, as the coroutine then waits forever. The coroutine goes on
// on the shared executor, never on the resuming thread.
template <class T>
class CheckedContinuation {
 public:
  explicit CheckedContinuation(std::shared_ptr<detail::ContinuationOwnership<T>> ownership)
      : ownership_(std::move(ownership)) {}

  template <class Value>
  void resume(Value&& value) const
    requires(!std::is_void_v<T>)
  {
    ownership_->state->resume(std::forward<Value>(value));
  }
  void resume() const
    requires std::is_void_v<T>
  {
    ownership_->state->resume(std::monostate{});
  }
  // The awaiting coroutine gets `error` thrown.
  void resumeThrowing(std::exception_ptr error) const { ownership_->state->resume(std::unexpected(std::move(error))); }

 private:
  std::shared_ptr<detail::ContinuationOwnership<T>> ownership_;
};

// `co_await withCheckedContinuation<T>("name", body)` suspends, calls `body`
// with the continuation and gives what the continuation is resumed with.
// `function` names the caller in the misuse messages.
template <class T, class Body>
auto withCheckedContinuation(std::string function, Body body) {
  struct Awaiter {
    std::shared_ptr<detail::ContinuationState<T>> state;
    Body body;
    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> handle) {
      state->handle = handle;
      // The coroutine may go on, and this awaiter end, before `body`
      // returns: nothing of the awaiter is touched after the call.
      auto run = std::move(body);
      run(CheckedContinuation<T>(std::make_shared<detail::ContinuationOwnership<T>>(state)));
    }
    T await_resume() {
      std::lock_guard lock(state->mutex);
      if (!state->outcome->has_value()) std::rethrow_exception(state->outcome->error());
      if constexpr (!std::is_void_v<T>) return std::move(**state->outcome);
    }
  };
  auto state = std::make_shared<detail::ContinuationState<T>>();
  state->function = std::move(function);
  return Awaiter{std::move(state), std::move(body)};
}

}  // namespace platform
