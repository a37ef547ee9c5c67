#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Dispatch/RunLoop.h"

using namespace platform;
using namespace std::chrono_literals;

// A request's events reach its serial queue from the engine, the caller and
// the queue itself at once; none may overtake another from the same source,
// and none may run beside another.
TEST(DispatchOrdering, BlocksFromManyThreadsKeepEachThreadsOrderAndNeverOverlap) {
  constexpr int threads = 6;
  constexpr int perThread = 400;
  auto root = DispatchQueue::make("test.ordering.root");
  auto queue = DispatchQueue::make("test.ordering.child", DispatchQueue::Attributes::serial, root);
  std::vector<std::vector<int>> seen(threads);
  std::atomic<int> inside{0};
  std::atomic<bool> overlapped{false};
  std::atomic<int> remaining{threads * perThread};
  std::promise<void> finished;
  std::vector<std::thread> posters;
  for (int thread = 0; thread < threads; ++thread) {
    posters.emplace_back([&, thread] {
      for (int index = 0; index < perThread; ++index) {
        // Half the blocks go through the root itself, half through its child.
        const auto& target = index % 2 == 0 ? root : queue;
        target->async([&, thread, index] {
          if (inside.fetch_add(1) != 0) overlapped = true;
          seen[static_cast<std::size_t>(thread)].push_back(index);
          inside.fetch_sub(1);
          if (remaining.fetch_sub(1) == 1) finished.set_value();
        });
      }
    });
  }
  for (auto& poster : posters) poster.join();
  ASSERT_EQ(finished.get_future().wait_for(30s), std::future_status::ready);
  EXPECT_FALSE(overlapped);
  for (const auto& order : seen) {
    ASSERT_EQ(order.size(), static_cast<std::size_t>(perThread));
    // The root's share (even) and the child's share (odd) each keep their order.
    int lastEven = -1;
    int lastOdd = -1;
    for (const int index : order) {
      int& last = index % 2 == 0 ? lastEven : lastOdd;
      EXPECT_LT(last, index);
      last = index;
    }
  }
}

TEST(DispatchOrdering, ABlockPostedFromItsOwnSerialQueueRunsAfterTheBlocksAlreadyWaiting) {
  auto queue = DispatchQueue::make("test.ordering.self");
  std::promise<void> gate;
  queue->async([opened = gate.get_future().share()] { opened.wait(); });
  std::vector<std::string> order;
  std::promise<void> finished;
  queue->async([&] {
    order.push_back("first");
    queue->async([&] {
      order.push_back("posted by first");
      finished.set_value();
    });
  });
  queue->async([&] { order.push_back("second"); });
  gate.set_value();
  ASSERT_EQ(finished.get_future().wait_for(30s), std::future_status::ready);
  EXPECT_EQ(order, (std::vector<std::string>{"first", "second", "posted by first"}));
}

// One wake-up of the main loop drains a batch; blocks the batch posts, and
// blocks other threads post meanwhile, run in the same pump, in the order
// they were posted.
TEST(DispatchOrdering, AMainQueueBatchRunsWhatItPostsAfterWhatWasAlreadyWaiting) {
  const auto& main = DispatchQueue::main();
  std::mutex mutex;
  std::vector<std::string> order;
  const auto record = [&](std::string name) {
    std::lock_guard lock(mutex);
    order.push_back(std::move(name));
  };
  main->async([&] {
    record("first");
    main->async([&] {
      record("posted by first");
      main->async([&] { record("posted by that"); });
    });
    std::thread([&] { main->async([&] { record("from another thread"); }); }).join();
  });
  main->async([&] { record("second"); });
  RunLoop::main().runPending();
  EXPECT_EQ(order, (std::vector<std::string>{"first", "second", "posted by first", "from another thread",
                                             "posted by that"}));
}
