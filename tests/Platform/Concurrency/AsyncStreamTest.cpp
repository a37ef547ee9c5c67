#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include "Platform/Concurrency/AsyncStream.h"
#include "Platform/Concurrency/CheckedContinuation.h"
#include "Platform/Concurrency/Task.h"

using namespace platform;

namespace {

using Stream = AsyncStream<int>;

Task<std::vector<int>> drain(Stream::Iterator iterator) {
  std::vector<int> received;
  while (auto element = co_await iterator.next()) received.push_back(*element);
  co_return received;
}

}  // namespace

TEST(AsyncStream, AConsumerWaitingWhenTheProducerYieldsGetsEveryElement) {
  std::optional<Stream::Continuation> continuation;
  Stream stream(StreamBufferingPolicy::bufferingNewest(0), [&](Stream::Continuation made) { continuation = made; });
  const auto consumer = drain(stream.makeAsyncIterator());
  for (int i = 1; i <= 50; ++i) {
    // With no room at all, an element reaches only a consumer that waits.
    while (continuation->yield(i) == Stream::YieldResult::dropped) std::this_thread::yield();
  }
  continuation->finish();
  EXPECT_EQ(consumer.wait().size(), 50U);
  EXPECT_EQ(continuation->yield(51), Stream::YieldResult::terminated);
}

TEST(AsyncStream, CancellingTheConsumingTaskEndsItsLoop) {
  std::optional<Stream::Continuation> continuation;
  Stream stream(StreamBufferingPolicy::unbounded(), [&](Stream::Continuation made) { continuation = made; });
  const auto consumer = drain(stream.makeAsyncIterator());
  consumer.cancel();
  EXPECT_TRUE(consumer.wait().empty());
  EXPECT_EQ(continuation->yield(1), Stream::YieldResult::terminated);
}
