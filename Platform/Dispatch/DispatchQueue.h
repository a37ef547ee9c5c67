#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

#include "Platform/Dispatch/Block.h"
#include "Platform/Dispatch/DispatchWorkItem.h"

namespace platform {

// A queue of blocks. Serial queues run one block at a time, in order;
// concurrent queues run them on as many threads as needed. A queue with a
// target runs its blocks as blocks of that target, so a serial child of a
// serial root never runs at the same time as the root's own blocks.
class DispatchQueue : public std::enable_shared_from_this<DispatchQueue> {
 public:
  enum class Attributes { serial, concurrent };
  using Clock = std::chrono::steady_clock;

  // `target` absent means the global concurrent queue.
  static std::shared_ptr<DispatchQueue> make(std::string label, Attributes attributes = Attributes::serial,
                                             std::shared_ptr<DispatchQueue> target = nullptr);
  // The queue the application's event loop (or a test) pumps; see RunLoop.
  static const std::shared_ptr<DispatchQueue>& main();
  static const std::shared_ptr<DispatchQueue>& global();

  virtual ~DispatchQueue() = default;
  DispatchQueue(const DispatchQueue&) = delete;
  DispatchQueue& operator=(const DispatchQueue&) = delete;

  const std::string& label() const { return label_; }
  bool isSerial() const { return attributes_ == Attributes::serial; }
  const std::shared_ptr<DispatchQueue>& target() const { return target_; }

  void async(Block block);
  void async(std::shared_ptr<DispatchWorkItem> item);
  // Always asynchronous, even for a zero or negative delay.
  void asyncAfter(Clock::time_point deadline, Block block);
  void asyncAfter(Clock::time_point deadline, std::shared_ptr<DispatchWorkItem> item);
  void asyncAfter(double seconds, Block block);

  // Runs `work` on this queue and waits for its result. Calling it from a
  // block already running on this serial queue (or on a serial queue it
  // targets) would wait forever; that stops the process instead.
  template <class Work>
  auto sync(Work&& work) -> std::invoke_result_t<Work&> {
    using Result = std::invoke_result_t<Work&>;
    if constexpr (std::is_void_v<Result>) {
      runSync([&] { work(); });
    } else {
      std::optional<Result> result;
      runSync([&] { result.emplace(work()); });
      return std::move(*result);
    }
  }

  // True when the calling code runs on this queue or on a queue targeting it.
  bool isCurrent() const;

 protected:
  DispatchQueue(std::string label, Attributes attributes, std::shared_ptr<DispatchQueue> target);

  // Hands a block to this queue's executor; the block records the queue as
  // current while it runs.
  virtual void enqueue(Block block) = 0;
  virtual void runSync(std::move_only_function<void()> work) = 0;

  // Marks this queue current on the calling thread for the scope's lifetime.
  class CurrentScope {
   public:
    explicit CurrentScope(const DispatchQueue* queue);
    ~CurrentScope();
    CurrentScope(const CurrentScope&) = delete;
    CurrentScope& operator=(const CurrentScope&) = delete;
  };
  // True when the calling thread is inside a block of a serial queue that
  // lies on this queue's target chain (itself included).
  bool ownsSerialQueueOnChain() const;

 private:
  std::string label_;
  Attributes attributes_;
  std::shared_ptr<DispatchQueue> target_;
};

// Stops the process unless the caller runs on `queue` or on a queue
// targeting it.
void dispatchPrecondition(const DispatchQueue& queue);

}  // namespace platform
