#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "Platform/Concurrency/CheckedContinuation.h"
#include "Platform/Concurrency/Task.h"
#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Dispatch/RunLoop.h"

using namespace platform;

namespace {

Task<int> answer(int value) { co_return value; }

Task<int> failing() {
  throw std::runtime_error("refused");
  co_return 0;
}

Task<int> sumOf(Task<int> first, Task<int> second) { co_return co_await first + co_await second; }

// Hands a continuation from the task to the test.
class Slot {
 public:
  void put(CheckedContinuation<std::string> continuation) {
    std::lock_guard lock(mutex_);
    continuation_.emplace(std::move(continuation));
    filled_.notify_all();
  }
  CheckedContinuation<std::string> take() {
    std::unique_lock lock(mutex_);
    filled_.wait(lock, [this] { return continuation_.has_value(); });
    return *continuation_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable filled_;
  std::optional<CheckedContinuation<std::string>> continuation_;
};

// Suspends until its continuation, put in `slot`, is resumed from outside,
// counting the runs of the task's cancellation handler meanwhile.
// g++ 12 destroys a by-value coroutine parameter twice when a lambda in the
// body captures it; the parameters are references to what the test keeps.
Task<std::string> waitingForResume(const std::shared_ptr<Slot>& slotOwner,
                                   const std::shared_ptr<std::atomic<int>>& cancelsOwner) {
  Slot* slot = slotOwner.get();
  std::atomic<int>* cancels = cancelsOwner.get();
  auto cancellation = co_await currentTaskCancellation();
  TaskCancellationHandler onCancel(std::move(cancellation), [cancels] { ++*cancels; });
  auto resumed = withCheckedContinuation<std::string>(
      "waitingForResume", [slot](CheckedContinuation<std::string> continuation) { slot->put(continuation); });
  co_return co_await std::move(resumed);
}

}  // namespace

TEST(Task, EveryReaderGetsTheSameOutcome) {
  const auto task = answer(20);
  EXPECT_EQ(sumOf(task, task).wait(), 40);
  EXPECT_EQ(task.wait(), 20);
  EXPECT_THROW(sumOf(task, failing()).wait(), std::runtime_error);
}

TEST(Task, CancellationRunsTheHandlerOnceAndTheContinuationStillEndsTheTask) {
  auto slot = std::make_shared<Slot>();
  auto cancels = std::make_shared<std::atomic<int>>(0);
  const auto task = waitingForResume(slot, cancels);
  const auto continuation = slot->take();

  task.cancel();
  task.cancel();
  EXPECT_EQ(*cancels, 1);
  EXPECT_FALSE(task.isDone());
  continuation.resume(std::string("late"));
  EXPECT_EQ(task.wait(), "late");
}

TEST(Task, ACancelledTaskRunsANewHandlerAtOnce) {
  auto slot = std::make_shared<Slot>();
  auto cancels = std::make_shared<std::atomic<int>>(0);
  // Cancelled before its body can have run: the handler runs on entry.
  const auto task = waitingForResume(slot, cancels);
  task.cancel();
  const auto continuation = slot->take();
  EXPECT_EQ(*cancels, 1);
  continuation.resumeThrowing(std::make_exception_ptr(std::runtime_error("gone")));
  EXPECT_THROW(task.wait(), std::runtime_error);
}

TEST(Task, WaitingWhilePumpingLetsMainQueueWorkFinishTheTask) {
  auto slot = std::make_shared<Slot>();
  const auto cancels = std::make_shared<std::atomic<int>>(0);
  const auto task = waitingForResume(slot, cancels);
  DispatchQueue::global()->async([slot] {
    // The answer comes from the main queue, which only the waiting thread
    // runs.
    DispatchQueue::main()->async([continuation = slot->take()] { continuation.resume(std::string("from main")); });
  });
  EXPECT_EQ(task.waitPumping(RunLoop::main()), "from main");
}

// The executor's threads are running by now: the child starts afresh.
class TaskDeathTest : public ::testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(TaskDeathTest, ResumingAContinuationTwiceStopsTheProcess) {
  EXPECT_DEATH(
      {
        auto slot = std::make_shared<Slot>();
        const auto cancels = std::make_shared<std::atomic<int>>(0);
        const auto task = waitingForResume(slot, cancels);
        const auto continuation = slot->take();
        continuation.resume(std::string("once"));
        continuation.resume(std::string("twice"));
      },
      "The continuation of waitingForResume was resumed more than once.");
}

TEST_F(TaskDeathTest, WaitingInsideAMainQueueBlockStopsTheProcess) {
  EXPECT_DEATH(
      {
        DispatchQueue::main()->async([] { (void)answer(1).wait(); });
        RunLoop::main().runPending();
      },
      "Waiting for a task inside a main-queue block would wait forever");
}
