#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Dispatch/OperationQueue.h"
#include "Platform/Dispatch/RunLoop.h"

using namespace platform;
using namespace std::chrono_literals;

namespace {

// Waits until `count` blocks signalled through the returned promise list.
void waitFor(std::future<void>& done) { ASSERT_EQ(done.wait_for(10s), std::future_status::ready); }

}  // namespace

TEST(DispatchQueue, SerialQueueRunsBlocksInOrderOneAtATime) {
  auto queue = DispatchQueue::make("test.serial");
  std::vector<int> order;
  std::atomic<int> running{0};
  bool overlapped = false;
  std::promise<void> finished;
  for (int i = 0; i < 500; ++i) {
    queue->async([&, i] {
      if (running.fetch_add(1) != 0) overlapped = true;
      order.push_back(i);
      running.fetch_sub(1);
      if (i == 499) finished.set_value();
    });
  }
  auto done = finished.get_future();
  waitFor(done);
  EXPECT_FALSE(overlapped);
  ASSERT_EQ(order.size(), 500u);
  for (int i = 0; i < 500; ++i) EXPECT_EQ(order[i], i);
}

TEST(DispatchQueue, ChildOfSerialRootNeverOverlapsTheRootAndSatisfiesItsPrecondition) {
  auto root = DispatchQueue::make("test.root");
  auto child = DispatchQueue::make("test.root.child", DispatchQueue::Attributes::serial, root);
  std::atomic<int> inside{0};
  std::atomic<bool> overlapped{false};
  std::atomic<bool> childSawRoot{true};
  std::atomic<int> remaining{400};
  std::promise<void> finished;
  auto body = [&](bool fromChild) {
    if (inside.fetch_add(1) != 0) overlapped = true;
    if (fromChild && !(root->isCurrent() && child->isCurrent())) childSawRoot = false;
    std::this_thread::yield();
    inside.fetch_sub(1);
    if (remaining.fetch_sub(1) == 1) finished.set_value();
  };
  for (int i = 0; i < 200; ++i) {
    root->async([&] { body(false); });
    child->async([&] { body(true); });
  }
  auto done = finished.get_future();
  waitFor(done);
  EXPECT_FALSE(overlapped);
  EXPECT_TRUE(childSawRoot);
}

TEST(DispatchQueue, IsCurrentOnlyInsideTheQueueOrItsChildren) {
  auto root = DispatchQueue::make("test.root");
  auto other = DispatchQueue::make("test.other");
  EXPECT_FALSE(root->isCurrent());
  EXPECT_TRUE(root->sync([&] { return root->isCurrent() && !other->isCurrent(); }));
  EXPECT_TRUE(other->sync([&] { return !root->isCurrent(); }));
}

TEST(DispatchQueue, ConcurrentQueueRunsBlocksInParallel) {
  auto queue = DispatchQueue::make("test.concurrent", DispatchQueue::Attributes::concurrent);
  // Two blocks that each wait for the other can only finish side by side.
  std::promise<void> first, second;
  auto firstDone = first.get_future().share(), secondDone = second.get_future().share();
  std::promise<void> bothRan;
  std::atomic<int> count{0};
  queue->async([&] {
    first.set_value();
    secondDone.wait();
    if (++count == 2) bothRan.set_value();
  });
  queue->async([&] {
    second.set_value();
    firstDone.wait();
    if (++count == 2) bothRan.set_value();
  });
  auto done = bothRan.get_future();
  waitFor(done);
}

TEST(DispatchQueue, SyncReturnsTheResultAndWaitsForEarlierBlocks) {
  auto queue = DispatchQueue::make("test.sync");
  int value = 0;
  queue->async([&] {
    std::this_thread::sleep_for(20ms);
    value = 41;
  });
  EXPECT_EQ(queue->sync([&] { return value + 1; }), 42);
}

TEST(DispatchQueue, AsyncAfterZeroRunsOnlyAfterTheCallReturns) {
  auto queue = DispatchQueue::make("test.after");
  std::atomic<bool> returned{false};
  std::promise<bool> ranAfterReturn;
  queue->sync([&] {
    queue->asyncAfter(0.0, [&] { ranAfterReturn.set_value(returned.load()); });
    std::this_thread::sleep_for(20ms);
    returned = true;
  });
  auto result = ranAfterReturn.get_future();
  ASSERT_EQ(result.wait_for(10s), std::future_status::ready);
  EXPECT_TRUE(result.get());
}

TEST(DispatchQueue, AsyncAfterWaitsForTheDeadlineAndKeepsDeadlineOrder) {
  auto queue = DispatchQueue::make("test.after.order");
  const auto start = std::chrono::steady_clock::now();
  std::vector<int> order;
  std::promise<void> finished;
  queue->asyncAfter(0.06, [&] {
    order.push_back(2);
    finished.set_value();
  });
  queue->asyncAfter(0.03, [&] { order.push_back(1); });
  auto done = finished.get_future();
  waitFor(done);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 60ms);
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

TEST(DispatchQueue, CancelledWorkItemNeverRuns) {
  auto queue = DispatchQueue::make("test.cancel");
  std::atomic<bool> ran{false};
  auto item = DispatchWorkItem::make([&] { ran = true; });
  item->cancel();
  queue->async(item);
  auto delayed = DispatchWorkItem::make([&] { ran = true; });
  queue->asyncAfter(DispatchQueue::Clock::now() + 10ms, delayed);
  delayed->cancel();
  std::this_thread::sleep_for(50ms);
  queue->sync([] {});
  EXPECT_FALSE(ran);
  EXPECT_TRUE(item->isCancelled());
}

TEST(DispatchQueue, MainQueueRunsOnlyWhenPumped) {
  std::atomic<int> runs{0};
  bool onMain = false;
  DispatchQueue::main()->async([&] {
    onMain = DispatchQueue::main()->isCurrent();
    ++runs;
  });
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(runs, 0);
  EXPECT_TRUE(RunLoop::main().runUntil([&] { return runs == 1; }, 5s));
  EXPECT_TRUE(onMain);
  EXPECT_FALSE(DispatchQueue::main()->isCurrent());
}

TEST(DispatchQueue, ChildOfMainQueueRunsOnTheRunLoop) {
  auto child = DispatchQueue::make("test.main.child", DispatchQueue::Attributes::serial, DispatchQueue::main());
  bool sawMain = false;
  child->async([&] { sawMain = DispatchQueue::main()->isCurrent(); });
  EXPECT_TRUE(RunLoop::main().runUntil([&] { return sawMain; }, 5s));
}

TEST(DispatchQueue, OperationQueueRunsOperationsSeriallyOnItsUnderlyingQueue) {
  auto root = DispatchQueue::make("test.root");
  auto operations = OperationQueue::make("test.root.delegate", root);
  operations->setSuspended(true);
  std::vector<int> order;
  bool onRoot = true;
  for (int i = 0; i < 50; ++i) {
    operations->addOperation([&, i] {
      onRoot = onRoot && root->isCurrent();
      order.push_back(i);
    });
  }
  std::this_thread::sleep_for(10ms);
  EXPECT_TRUE(root->sync([&] { return order.empty(); }));
  operations->setSuspended(false);
  std::promise<void> finished;
  operations->addOperation([&] { finished.set_value(); });
  auto done = finished.get_future();
  waitFor(done);
  EXPECT_TRUE(onRoot);
  ASSERT_EQ(order.size(), 50u);
  for (int i = 0; i < 50; ++i) EXPECT_EQ(order[i], i);
}

// The session's delegate operations and the requests' own blocks share one
// serial queue: an operation must not overtake a block posted before it.
TEST(DispatchQueue, OperationsKeepTheirPlaceAmongTheUnderlyingQueuesOtherBlocks) {
  auto root = DispatchQueue::make("test.root");
  auto operations = OperationQueue::make("test.root.delegate", root);
  std::promise<void> gate;
  root->async([opened = gate.get_future().share()] { opened.wait(); });
  std::vector<std::string> order;
  operations->addOperation([&] { order.push_back("first operation"); });
  root->async([&] { order.push_back("block"); });
  operations->addOperation([&] { order.push_back("second operation"); });
  gate.set_value();
  root->sync([] {});
  EXPECT_EQ(order, (std::vector<std::string>{"first operation", "block", "second operation"}));
}

using DispatchQueueDeathTest = testing::Test;

TEST(DispatchQueueDeathTest, FailedPreconditionStopsWithItsMessage) {
  auto queue = DispatchQueue::make("test.precondition");
  EXPECT_DEATH(dispatchPrecondition(*queue), "Expected to run on the queue \"test.precondition\".");
}

TEST(DispatchQueueDeathTest, SyncOntoTheRunningQueueStopsInsteadOfHanging) {
  auto root = DispatchQueue::make("test.root");
  auto child = DispatchQueue::make("test.child", DispatchQueue::Attributes::serial, root);
  EXPECT_DEATH(root->sync([&] { child->sync([] {}); }), "would deadlock");
}
