#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Platform/Concurrency/Task.h"
#include "Wendanet/Source/Async/StreamOf.h"
#include "Wendanet/Source/Async/StreamQueues.h"

using namespace wendanet;
using Policy = platform::StreamBufferingPolicy;

namespace {

using Stream = StreamOf<int>;

// Counts what the sequence does, and keeps the last continuation.
struct Probe {
  std::atomic<int> builds = 0;
  std::atomic<int> terminations = 0;
  std::optional<Stream::Continuation> continuation;

  Stream make(Policy policy = Policy::unbounded(), std::vector<int> yieldedAtOnce = {}) {
    return Stream(
        policy, [this] { ++terminations; },
        [this, yieldedAtOnce](Stream::Continuation made) {
          ++builds;
          continuation = made;
          for (int value : yieldedAtOnce) made.yield(value);
        });
  }
};

platform::Task<std::vector<int>> take(Stream stream, std::size_t limit) {
  std::vector<int> received;
  auto iterator = stream.makeAsyncIterator();
  while (received.size() < limit) {
    auto element = co_await iterator.next();
    if (!element) break;
    received.push_back(*element);
  }
  co_return received;
}

}  // namespace

TEST(StreamOf, BufferingPolicyDecidesWhatIsKeptBeforeTheFirstRead) {
  struct Case {
    Policy policy;
    std::vector<int> expected;
  };
  const std::vector<Case> cases = {
      {Policy::unbounded(), {1, 2, 3}},       {Policy::bufferingOldest(1), {1}},
      {Policy::bufferingNewest(1), {3}},      {Policy::bufferingOldest(2), {1, 2}},
      {Policy::bufferingNewest(2), {2, 3}},
  };
  for (const auto& [policy, expected] : cases) {
    Probe probe;
    auto stream = probe.make(policy, {1, 2, 3});
    auto consumer = [](Stream stream, Probe& probe) -> platform::Task<std::vector<int>> {
      auto iterator = stream.makeAsyncIterator();
      probe.continuation->finish();
      std::vector<int> received;
      while (auto element = co_await iterator.next()) received.push_back(*element);
      co_return received;
    }(stream, probe);
    EXPECT_EQ(consumer.wait(), expected);
    EXPECT_EQ(probe.terminations, 1);
  }
}

TEST(StreamOf, NothingIsConnectedUntilIterated) {
  Probe probe;
  { auto stream = probe.make(); }
  EXPECT_EQ(probe.builds, 0);
  EXPECT_EQ(probe.terminations, 0);
}

TEST(StreamOf, LeavingTheLoopFinishesTheStreamAndTerminatesOnce) {
  Probe probe;
  EXPECT_EQ(take(probe.make(Policy::unbounded(), {7, 8}), 1).wait(), std::vector<int>{7});
  EXPECT_EQ(probe.terminations, 1);
  EXPECT_EQ(probe.continuation->yield(9), platform::AsyncStream<int>::YieldResult::terminated);
}

TEST(StreamOf, EachIterationConnectsItsOwnStream) {
  Probe probe;
  auto stream = probe.make(Policy::unbounded(), {1});
  EXPECT_EQ(take(stream, 1).wait(), std::vector<int>{1});
  EXPECT_EQ(take(stream, 1).wait(), std::vector<int>{1});
  EXPECT_EQ(probe.builds, 2);
  EXPECT_EQ(probe.terminations, 2);
}

TEST(StreamOf, ACopiedIteratorDelaysTheTermination) {
  Probe probe;
  auto stream = probe.make();
  std::optional<Stream::Iterator> copy;
  {
    auto iterator = stream.makeAsyncIterator();
    copy = iterator;
  }
  EXPECT_EQ(probe.terminations, 0);
  copy.reset();
  EXPECT_EQ(probe.terminations, 1);
}

TEST(StreamQueues, EveryStreamGetsItsOwnSerialQueueOnTheSharedOne) {
  const platform::UUID id;
  const auto first = streamCompletionQueue(id);
  const auto second = streamCompletionQueue(id);
  EXPECT_NE(first, second);
  EXPECT_EQ(first->label(), "org.wendanet.concurrencyStreamCompletionQueue-" + id.uuidString());
  EXPECT_EQ(first->label(), second->label());
  EXPECT_TRUE(first->isSerial());
  EXPECT_EQ(first->target(), singleEventQueue());
  EXPECT_EQ(singleEventQueue()->label(), "org.wendanet.concurrencySingleEventQueue");
  EXPECT_FALSE(singleEventQueue()->isSerial());
}
