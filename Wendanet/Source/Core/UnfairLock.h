#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <type_traits>
#include <utility>

namespace wendanet {

// The small locking interface the library's own locks share.
class Lock {
 public:
  virtual ~Lock() = default;
  virtual void lock() = 0;
  virtual void unlock() = 0;

  // Runs `work` with the lock held; the lock is released also when it throws.
  template <class Work>
  decltype(auto) withLock(Work&& work) {
    lock();
    struct Unlock {
      Lock& lock;
      ~Unlock() { lock.unlock(); }
    } unlockOnExit{*this};
    return std::forward<Work>(work)();
  }
};

// A one-word, non-recursive, unfair lock: uncontended takes and releases
// are a single atomic operation; waiters sleep in the kernel. The thread
// that takes it must release it.
class UnfairLock final : public Lock {
 public:
  UnfairLock() = default;
  UnfairLock(const UnfairLock&) = delete;
  UnfairLock& operator=(const UnfairLock&) = delete;

  void lock() override {
    std::uint32_t expected = unlocked;
    if (word_.compare_exchange_strong(expected, locked, std::memory_order_acquire, std::memory_order_relaxed)) return;
    lockContended();
  }

  void unlock() override {
    if (word_.exchange(unlocked, std::memory_order_release) == contended) word_.notify_one();
  }

 private:
  static constexpr std::uint32_t unlocked = 0;
  static constexpr std::uint32_t locked = 1;
  static constexpr std::uint32_t contended = 2;  // locked, and someone may be waiting

  void lockContended() {
    // Once anyone has waited, the word stays "contended" until a release, so
    // the releaser knows to wake a sleeper.
    while (word_.exchange(contended, std::memory_order_acquire) != unlocked) word_.wait(contended);
  }

  std::atomic<std::uint32_t> word_{unlocked};
};

}  // namespace wendanet
