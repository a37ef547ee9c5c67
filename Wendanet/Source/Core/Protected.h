#pragma once

#include <concepts>
#include <cstddef>
#include <functional>
#include <utility>

#include "Wendanet/Source/Core/UnfairLock.h"

namespace wendanet {

// One value guarded by its own lock. The lock is not re-entrant: a handler
// must not touch the same box again. Keep handlers short and call outside
// code only after they return.
template <class Value>
class Protected {
 public:
  Protected()
    requires std::default_initializable<Value>
  = default;
  explicit Protected(Value value) : value_(std::move(value)) {}
  Protected(const Protected&) = delete;
  Protected& operator=(const Protected&) = delete;

  // Runs `handler` on a copy made under the lock; the lock is held until the
  // handler returns.
  template <class Handler>
  auto read(Handler&& handler) const {
    return lock_.withLock([&]() -> decltype(auto) {
      const Value copy = value_;
      return std::forward<Handler>(handler)(copy);
    });
  }

  // Runs `handler` on the stored value itself. Changes made before a throw
  // stay; the lock is released either way.
  // Results are returned by value: no reference may outlive the lock.
  template <class Handler>
  auto write(Handler&& handler) {
    return lock_.withLock([&]() -> decltype(auto) { return std::forward<Handler>(handler)(value_); });
  }

  void setValue(Value value) {
    write([&](Value& stored) { stored = std::move(value); });
  }

  // Both locks are taken in address order, so two threads comparing the same
  // boxes in opposite orders cannot block each other; a box equals itself
  // without taking its lock twice.
  friend bool operator==(const Protected& left, const Protected& right)
    requires std::equality_comparable<Value>
  {
    if (&left == &right) return left.read([](const Value&) { return true; });
    const Protected& first = &left < &right ? left : right;
    const Protected& second = &left < &right ? right : left;
    return first.lock_.withLock([&] { return second.lock_.withLock([&] { return left.value_ == right.value_; }); });
  }

  std::size_t hashValue() const {
    return lock_.withLock([&] { return std::hash<Value>{}(value_); });
  }

 private:
  mutable UnfairLock lock_;
  Value value_{};
};

}  // namespace wendanet

template <class Value>
struct std::hash<wendanet::Protected<Value>> {
  std::size_t operator()(const wendanet::Protected<Value>& box) const { return box.hashValue(); }
};
