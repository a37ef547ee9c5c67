#pragma once

#include <coroutine>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "Platform/Concurrency/TaskState.h"
#include "Platform/Fatal.h"

namespace platform {

// Which yielded but not yet consumed elements a stream keeps.
struct StreamBufferingPolicy {
  enum class Kind { unbounded, bufferingOldest, bufferingNewest };
  Kind kind = Kind::unbounded;
  std::size_t limit = 0;

  static StreamBufferingPolicy unbounded() { return {}; }
  // Keeps the first `limit`; later ones are dropped while the buffer is full.
  static StreamBufferingPolicy bufferingOldest(std::size_t limit) { return {Kind::bufferingOldest, limit}; }
  // Keeps the last `limit`; the oldest kept one makes room for a new one.
  static StreamBufferingPolicy bufferingNewest(std::size_t limit) { return {Kind::bufferingNewest, limit}; }
};

// A sequence of elements that a producer yields from any thread and one
// consumer awaits, one `next()` at a time. The stream ends when the
// producer finishes it (buffered elements are still handed out) or when
// the consuming task is cancelled while it awaits (the buffer is dropped).
template <class Element>
class AsyncStream {
  struct State;

 public:
  enum class YieldResult { enqueued, dropped, terminated };

  class Continuation {
   public:
    YieldResult yield(Element element) const { return state_->yield(std::move(element)); }
    // Idempotent; elements yielded afterwards are dropped.
    void finish() const { state_->finish(false); }

   private:
    friend class AsyncStream;
    explicit Continuation(std::shared_ptr<State> state) : state_(std::move(state)) {}
    std::shared_ptr<State> state_;
  };

  class Iterator {
   public:
    // `co_await iterator.next()` gives the next element, or nothing once
    // the stream has ended.
    auto next() { return NextAwaiter{state_, nullptr, std::nullopt}; }

   private:
    friend class AsyncStream;
    struct NextAwaiter {
      std::shared_ptr<State> state;
      std::shared_ptr<TaskCancellation> cancellation;
      std::optional<TaskCancellation::HandlerID> handlerID;

      bool await_ready() const { return state->hasElementOrEnded(); }
      template <class Promise>
      bool await_suspend(std::coroutine_handle<Promise> handle) {
        // Registered before the waiter is published: once it is, the
        // coroutine may go on and this awaiter end at any moment.
        cancellation = cancellationOf(handle);
        if (cancellation) {
          handlerID = cancellation->addHandler([state = state] { state->finish(true); });
          if (!handlerID) return false;
        }
        return state->suspend(handle);
      }
      std::optional<Element> await_resume() {
        if (handlerID) cancellation->removeHandler(*handlerID);
        return state->take();
      }
    };

    explicit Iterator(std::shared_ptr<State> state) : state_(std::move(state)) {}
    std::shared_ptr<State> state_;
  };

  // Runs `build` at once, before returning, with the stream's continuation.
  AsyncStream(StreamBufferingPolicy policy, const std::function<void(Continuation)>& build)
      : state_(std::make_shared<State>(policy)) {
    build(Continuation(state_));
  }

  Iterator makeAsyncIterator() const { return Iterator(state_); }

 private:
  struct State {
    explicit State(StreamBufferingPolicy policy) : policy(policy) {}

    YieldResult yield(Element element) {
      std::coroutine_handle<> waiter;
      YieldResult result = YieldResult::enqueued;
      {
        std::lock_guard lock(mutex);
        if (ended) return YieldResult::terminated;
        buffer.push_back(std::move(element));
        // A waiting consumer takes the element whatever the limit.
        if (waiter_) {
          waiter = std::exchange(waiter_, nullptr);
        } else if (policy.kind != StreamBufferingPolicy::Kind::unbounded && buffer.size() > policy.limit) {
          if (policy.kind == StreamBufferingPolicy::Kind::bufferingOldest) {
            buffer.pop_back();
          } else {
            buffer.pop_front();
          }
          result = YieldResult::dropped;
        }
      }
      if (waiter) resumeOnExecutor(waiter);
      return result;
    }
    // `dropBuffer`: the consumer's task was cancelled, so nothing more is
    // handed out.
    void finish(bool dropBuffer) {
      std::coroutine_handle<> waiter;
      {
        std::lock_guard lock(mutex);
        ended = true;
        if (dropBuffer) buffer.clear();
        waiter = std::exchange(waiter_, nullptr);
      }
      if (waiter) resumeOnExecutor(waiter);
    }
    bool hasElementOrEnded() {
      std::lock_guard lock(mutex);
      return ended || !buffer.empty();
    }
    // False when there is something to take after all.
    bool suspend(std::coroutine_handle<> handle) {
      std::lock_guard lock(mutex);
      if (ended || !buffer.empty()) return false;
      if (waiter_) fatal("An asynchronous stream was awaited by two consumers at once.");
      waiter_ = handle;
      return true;
    }
    std::optional<Element> take() {
      std::lock_guard lock(mutex);
      if (buffer.empty()) return std::nullopt;
      auto element = std::move(buffer.front());
      buffer.pop_front();
      return element;
    }

    const StreamBufferingPolicy policy;
    std::mutex mutex;
    std::deque<Element> buffer;
    bool ended = false;
    std::coroutine_handle<> waiter_;
  };

  std::shared_ptr<State> state_;
};

}  // namespace platform
