#pragma once

#include <coroutine>
#include <exception>
#include <memory>
#include <optional>
#include <utility>

#include "Platform/Concurrency/TaskState.h"
#include "Platform/Dispatch/RunLoop.h"

namespace platform {

template <class T>
class Task;

namespace detail {

void requireOffMainQueue();

template <class T, class Promise>
struct TaskReturn {
  void return_value(T value) { static_cast<Promise*>(this)->keep(std::move(value)); }
};
template <class Promise>
struct TaskReturn<void, Promise> {
  void return_void() { static_cast<Promise*>(this)->keep(std::monostate{}); }
};

}  // namespace detail

// A coroutine that starts at once on the shared concurrent executor and
// keeps its outcome for every handle. Handles are cheap copies of one
// task; dropping them all does not stop it. Awaiting a task gives a copy of
// its value, or throws its error, and does not pass the awaiting task's
// cancellation on: that is what `cancel` is for.
template <class T>
class [[nodiscard]] Task {
 public:
  class promise_type : public detail::TaskReturn<T, promise_type> {
   public:
    Task get_return_object() { return Task(state_); }
    auto initial_suspend() noexcept {
      struct StartOnExecutor {
        bool await_ready() const noexcept { return false; }
        void await_suspend(std::coroutine_handle<> handle) const { resumeOnExecutor(handle); }
        void await_resume() const noexcept {}
      };
      return StartOnExecutor{};
    }
    // The outcome is published only once the coroutine's frame, with its
    // parameters, is gone: whoever sees the task done sees its resources
    // released (an iterator it took, ending its stream, included).
    auto final_suspend() noexcept {
      struct PublishAfterDestroying {
        bool await_ready() const noexcept { return false; }
        void await_suspend(std::coroutine_handle<promise_type> handle) const noexcept {
          auto state = std::move(handle.promise().state_);
          auto outcome = std::move(*handle.promise().outcome_);
          handle.destroy();
          state->complete(std::move(outcome));
        }
        void await_resume() const noexcept {}
      };
      return PublishAfterDestroying{};
    }
    void unhandled_exception() { outcome_.emplace(std::unexpected(std::current_exception())); }
    void keep(detail::StoredValue<T> value) { outcome_.emplace(std::move(value)); }

    const std::shared_ptr<TaskCancellation>& cancellation() const { return state_->cancellation(); }

   private:
    std::shared_ptr<detail::TaskState<T>> state_ = std::make_shared<detail::TaskState<T>>();
    std::optional<typename detail::TaskState<T>::Outcome> outcome_;
  };

  // Runs the cancellation handlers the task's coroutine has in place now,
  // and every one it adds later at once.
  void cancel() const { state_->cancellation()->cancel(); }
  bool isCancelled() const { return state_->cancellation()->isCancelled(); }
  bool isDone() const { return state_->isDone(); }

  auto operator co_await() const {
    struct Awaiter {
      std::shared_ptr<detail::TaskState<T>> state;
      bool await_ready() const { return state->isDone(); }
      bool await_suspend(std::coroutine_handle<> handle) const {
        return state->addWaiter([handle] { resumeOnExecutor(handle); });
      }
      T await_resume() const { return state->get(); }
    };
    return Awaiter{state_};
  }

  // Blocks the calling thread until the task is done. The task's work must
  // not need the calling thread meanwhile: on the thread that pumps the
  // main queue use `waitPumping`, and from inside a main-queue block do not
  // wait at all (that stops the process, as it could never end).
  T wait() const {
    detail::requireOffMainQueue();
    state_->waitUntilDone();
    return state_->get();
  }
  // Blocks while running `loop`, so that work the task waits for on that
  // loop (a completion queue that is the main queue) still runs.
  T waitPumping(RunLoop& loop) const {
    detail::requireOffMainQueue();
    while (!loop.runUntil([this] { return state_->isDone(); }, std::chrono::hours(1))) {
    }
    return state_->get();
  }

 private:
  explicit Task(std::shared_ptr<detail::TaskState<T>> state) : state_(std::move(state)) {}

  std::shared_ptr<detail::TaskState<T>> state_;
};

namespace detail {
struct CurrentTaskCancellation {
  std::shared_ptr<TaskCancellation> cancellation;
  bool await_ready() const noexcept { return false; }
  template <class Promise>
  bool await_suspend(std::coroutine_handle<Promise> handle) {
    cancellation = cancellationOf(handle);
    return false;
  }
  std::shared_ptr<TaskCancellation> await_resume() { return std::move(cancellation); }
};
}  // namespace detail

// `co_await currentTaskCancellation()` inside a task gives that task's
// cancellation, without suspending.
inline detail::CurrentTaskCancellation currentTaskCancellation() { return {}; }

// Runs `onCancel` when the task is cancelled while the scope lives (at once
// when it is cancelled already), and removes it when the scope ends.
class TaskCancellationHandler {
 public:
  TaskCancellationHandler(std::shared_ptr<TaskCancellation> cancellation, TaskCancellation::Handler onCancel)
      : cancellation_(std::move(cancellation)) {
    if (cancellation_) id_ = cancellation_->addHandler(std::move(onCancel));
  }
  ~TaskCancellationHandler() {
    if (cancellation_ && id_) cancellation_->removeHandler(*id_);
  }
  TaskCancellationHandler(const TaskCancellationHandler&) = delete;
  TaskCancellationHandler& operator=(const TaskCancellationHandler&) = delete;

 private:
  std::shared_ptr<TaskCancellation> cancellation_;
  std::optional<TaskCancellation::HandlerID> id_;
};

}  // namespace platform
