#include "Platform/Dispatch/DispatchQueue.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

#include <fmt/format.h>

#include "Platform/Dispatch/DelayedScheduler.h"
#include "Platform/Dispatch/RunLoop.h"
#include "Platform/Dispatch/ThreadPool.h"
#include "Platform/Fatal.h"

namespace platform {

namespace {

// The queues whose blocks the calling thread is running, innermost last.
thread_local std::vector<const DispatchQueue*> currentQueues;

bool runsOnThisThread(const DispatchQueue* queue) {
  return std::find(currentQueues.begin(), currentQueues.end(), queue) != currentQueues.end();
}

}  // namespace

DispatchQueue::CurrentScope::CurrentScope(const DispatchQueue* queue) { currentQueues.push_back(queue); }

DispatchQueue::CurrentScope::~CurrentScope() { currentQueues.pop_back(); }

DispatchQueue::DispatchQueue(std::string label, Attributes attributes, std::shared_ptr<DispatchQueue> target)
    : label_(std::move(label)), attributes_(attributes), target_(std::move(target)) {}

bool DispatchQueue::isCurrent() const {
  for (const DispatchQueue* running : currentQueues) {
    for (const DispatchQueue* queue = running; queue != nullptr; queue = queue->target_.get()) {
      if (queue == this) return true;
    }
  }
  return false;
}

bool DispatchQueue::ownsSerialQueueOnChain() const {
  for (const DispatchQueue* queue = this; queue != nullptr; queue = queue->target_.get()) {
    if (queue->isSerial() && runsOnThisThread(queue)) return true;
  }
  return false;
}

void DispatchQueue::async(Block block) { enqueue(std::move(block)); }

void DispatchQueue::async(std::shared_ptr<DispatchWorkItem> item) {
  enqueue([item = std::move(item)] { item->perform(); });
}

void DispatchQueue::asyncAfter(Clock::time_point deadline, Block block) {
  DelayedScheduler::shared().schedule(deadline, shared_from_this(), std::move(block));
}

void DispatchQueue::asyncAfter(Clock::time_point deadline, std::shared_ptr<DispatchWorkItem> item) {
  asyncAfter(deadline, [item = std::move(item)] { item->perform(); });
}

void DispatchQueue::asyncAfter(double seconds, Block block) {
  const auto delay = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(std::max(seconds, 0.0)));
  asyncAfter(Clock::now() + delay, std::move(block));
}

void dispatchPrecondition(const DispatchQueue& queue) {
  if (!queue.isCurrent()) fatal(fmt::format("Expected to run on the queue \"{}\".", queue.label()));
}

namespace {

// Runs blocks in order, one at a time, as blocks of its target (or of the
// main run loop), so it is also exclusive with a serial target.
class SerialQueue : public DispatchQueue {
 public:
  SerialQueue(std::string label, std::shared_ptr<DispatchQueue> target)
      : DispatchQueue(std::move(label), Attributes::serial, std::move(target)) {}

 protected:
  void enqueue(Block block) override {
    {
      std::lock_guard lock(mutex_);
      blocks_.push_back(std::move(block));
      if (drainScheduled_) return;
      drainScheduled_ = true;
    }
    scheduleDrain();
  }

  void runSync(std::move_only_function<void()> work) override {
    if (ownsSerialQueueOnChain()) {
      fatal(fmt::format("Synchronous dispatch onto the queue \"{}\" from a block it is already running would deadlock.",
                        label()));
    }
    // The queue's turn comes to a block that hands the turn to this thread and
    // holds the queue until the work is done here.
    struct Turn {
      std::mutex mutex;
      std::condition_variable changed;
      bool granted = false;
      bool finished = false;
    };
    auto turn = std::make_shared<Turn>();
    enqueue([turn] {
      std::unique_lock lock(turn->mutex);
      turn->granted = true;
      turn->changed.notify_all();
      turn->changed.wait(lock, [&] { return turn->finished; });
    });
    {
      std::unique_lock lock(turn->mutex);
      turn->changed.wait(lock, [&] { return turn->granted; });
    }
    struct Release {
      Turn& turn;
      ~Release() {
        std::lock_guard lock(turn.mutex);
        turn.finished = true;
        turn.changed.notify_all();
      }
    } release{*turn};
    CurrentScope scope(this);
    work();
  }

  virtual void scheduleDrain() {
    target()->async([self = std::static_pointer_cast<SerialQueue>(shared_from_this())] { self->drain(); });
  }

  void drain() {
    // A bounded batch, then the target gets its turn back for other queues.
    constexpr int batch = 64;
    for (int run = 0; run < batch; ++run) {
      Block block;
      {
        std::lock_guard lock(mutex_);
        if (blocks_.empty()) {
          drainScheduled_ = false;
          return;
        }
        block = std::move(blocks_.front());
        blocks_.pop_front();
      }
      CurrentScope scope(this);
      block();
    }
    {
      std::lock_guard lock(mutex_);
      if (blocks_.empty()) {
        drainScheduled_ = false;
        return;
      }
    }
    scheduleDrain();
  }

 private:
  std::mutex mutex_;
  std::deque<Block> blocks_;
  bool drainScheduled_ = false;
};

class MainQueue final : public SerialQueue {
 public:
  MainQueue() : SerialQueue("org.wendalore.main-queue", nullptr) {}

 protected:
  void scheduleDrain() override {
    RunLoop::main().post([self = std::static_pointer_cast<MainQueue>(shared_from_this())] { self->drain(); });
  }
};

// Runs every block as soon as its target gives it a thread.
class ConcurrentQueue : public DispatchQueue {
 public:
  ConcurrentQueue(std::string label, std::shared_ptr<DispatchQueue> target)
      : DispatchQueue(std::move(label), Attributes::concurrent, std::move(target)) {}

 protected:
  void enqueue(Block block) override {
    auto self = shared_from_this();
    target()->async([self, block = std::move(block)]() mutable {
      CurrentScope scope(self.get());
      block();
    });
  }

  void runSync(std::move_only_function<void()> work) override {
    CurrentScope scope(this);
    work();
  }
};

class GlobalQueue final : public ConcurrentQueue {
 public:
  GlobalQueue() : ConcurrentQueue("org.wendalore.global-queue", nullptr) {}

 protected:
  void enqueue(Block block) override {
    ThreadPool::shared().submit([this, block = std::move(block)]() mutable {
      CurrentScope scope(this);
      block();
    });
  }
};

}  // namespace

const std::shared_ptr<DispatchQueue>& DispatchQueue::main() {
  static auto* queue = new std::shared_ptr<DispatchQueue>(std::make_shared<MainQueue>());
  return *queue;
}

const std::shared_ptr<DispatchQueue>& DispatchQueue::global() {
  static auto* queue = new std::shared_ptr<DispatchQueue>(std::make_shared<GlobalQueue>());
  return *queue;
}

std::shared_ptr<DispatchQueue> DispatchQueue::make(std::string label, Attributes attributes,
                                                   std::shared_ptr<DispatchQueue> target) {
  if (!target) target = global();
  if (attributes == Attributes::serial) return std::make_shared<SerialQueue>(std::move(label), std::move(target));
  return std::make_shared<ConcurrentQueue>(std::move(label), std::move(target));
}

}  // namespace platform
