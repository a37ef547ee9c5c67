#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Dispatch/RunLoop.h"
#include "Platform/Foundation/HTTPURLResponse.h"
#include "Platform/Foundation/URLRequest.h"
#include "Wendanet/Source/Support/CompositeEventMonitor.h"
#include "tests/Wendanet/RecordingMonitor.h"

using namespace wendanet;
using platform::DispatchQueue;
using platform::URLRequest;
using wendanet::testing::drain;
using wendanet::testing::QueueGate;
using wendanet::testing::RecordingMonitor;

namespace {

URLRequest urlRequest(const std::string& url) { return URLRequest(platform::URL::string(url)); }

std::shared_ptr<DispatchQueue> serialQueue(const char* label) { return DispatchQueue::make(label); }

// Raises the one event that holds a response pointer, so its captures can
// be counted.
void raiseValidation(EventMonitor& monitor, const std::shared_ptr<const platform::HTTPURLResponse>& response) {
  monitor.requestDidValidateRequestResponseDataWithResult(nullptr, urlRequest("https://h/"), response,
                                                          platform::Data("body"), ValidationResult());
}

}  // namespace

TEST(CompositeEventMonitor, WithoutMonitorsCapturesAndSubmitsNothing) {
  const auto response = platform::HTTPURLResponse::make(*platform::URL::string("https://h/"), 200, {});
  const auto empty = CompositeEventMonitor::make(serialQueue("composite"), {});
  raiseValidation(*empty, response);
  EXPECT_EQ(response.use_count(), 1);
}

TEST(CompositeEventMonitor, CapturesTheArgumentsOncePerEventForAllMonitors) {
  const auto queue = serialQueue("monitors");
  const auto response = platform::HTTPURLResponse::make(*platform::URL::string("https://h/"), 200, {});
  const auto monitor = std::make_shared<RecordingMonitor>(queue);
  const auto composite = CompositeEventMonitor::make(queue, {monitor, monitor, monitor});
  {
    QueueGate gate(*queue);
    raiseValidation(*composite, response);
    EXPECT_EQ(response.use_count(), 2);
  }
  drain(*queue);
  EXPECT_EQ(response.use_count(), 1);
}

// A monitor nobody observes must not hold the arguments (and with them the
// request) in a block on a queue that may never run.
TEST(CompositeEventMonitor, AnUnobservedMonitorIsHandedNothing) {
  class Unobserved final : public RecordingMonitor {
   public:
    using RecordingMonitor::RecordingMonitor;
    bool isObserved() const override { return false; }
  };
  const auto queue = serialQueue("unobserved");
  const auto response = platform::HTTPURLResponse::make(*platform::URL::string("https://h/"), 200, {});
  const auto unobserved = std::make_shared<Unobserved>(queue);
  const auto observed = std::make_shared<RecordingMonitor>(queue);
  {
    QueueGate gate(*queue);
    raiseValidation(*CompositeEventMonitor::make(queue, {unobserved}), response);
    EXPECT_EQ(response.use_count(), 1);
    const auto mixed = CompositeEventMonitor::make(queue, {unobserved, observed});
    EXPECT_TRUE(mixed->isObserved());
    mixed->requestDidFinish(nullptr);
  }
  drain(*queue);
  EXPECT_EQ(unobserved->events(), std::vector<std::string>{});
  EXPECT_EQ(observed->events(), std::vector<std::string>{"finish"});
}

TEST(CompositeEventMonitor, AMonitorListedTwiceReceivesEveryEventTwiceInListOrder) {
  const auto queue = serialQueue("monitor");
  const auto monitor = std::make_shared<RecordingMonitor>(queue);
  const auto composite = CompositeEventMonitor::make(DispatchQueue::main(), {monitor, monitor});
  composite->requestDidCreateURLRequest(nullptr, urlRequest("https://h/1"));
  composite->requestDidFinish(nullptr);
  drain(*queue);
  EXPECT_EQ(monitor->events(), (std::vector<std::string>{"https://h/1", "https://h/1", "finish", "finish"}));
  EXPECT_TRUE(monitor->allOnTheirQueue());
}

TEST(CompositeEventMonitor, DefaultQueueIsTheMainQueueAndNeverInline) {
  const auto monitor = std::make_shared<RecordingMonitor>();
  const auto composite = CompositeEventMonitor::make(serialQueue("composite"), {monitor});
  composite->requestDidFinish(nullptr);
  EXPECT_TRUE(monitor->events().empty());
  EXPECT_TRUE(platform::RunLoop::main().runUntil([&] { return !monitor->events().empty(); }, std::chrono::seconds(5)));
  EXPECT_TRUE(monitor->allOnTheirQueue());
}

TEST(CompositeEventMonitor, EventsFromTwoThreadsReachEveryMonitorInTheSameOrder) {
  const auto first = std::make_shared<RecordingMonitor>(serialQueue("first"));
  const auto second = std::make_shared<RecordingMonitor>(serialQueue("second"));
  const auto composite = CompositeEventMonitor::make(serialQueue("composite"), {first, second});
  std::atomic<bool> go = false;
  const auto raise = [&](const std::string& thread) {
    while (!go) std::this_thread::yield();
    for (int i = 0; i < 300; ++i)
      composite->requestDidCreateURLRequest(nullptr, urlRequest("https://" + thread + "/" + std::to_string(i)));
  };
  std::thread a(raise, "a"), b(raise, "b");
  go = true;
  a.join();
  b.join();
  drain(*first->queue());
  drain(*second->queue());
  EXPECT_EQ(first->events().size(), 600u);
  EXPECT_EQ(first->events(), second->events());
}

TEST(CompositeEventMonitor, MonitorsSeeTheValuesOfTheMomentTheEventWasRaised) {
  const auto queue = serialQueue("monitor");
  const auto monitor = std::make_shared<RecordingMonitor>(queue);
  const auto composite = CompositeEventMonitor::make(queue, {monitor});
  URLRequest request = urlRequest("https://h/before");
  {
    QueueGate gate(*queue);
    composite->requestDidCreateURLRequest(nullptr, request);
    request.setURL(platform::URL::string("https://h/after"));
  }
  drain(*queue);
  EXPECT_EQ(monitor->events(), std::vector<std::string>{"https://h/before"});
}

TEST(CompositeEventMonitor, GenericEventsReachEveryMonitorWhateverTheirValueType) {
  const auto queue = serialQueue("monitors");
  const auto recording = std::make_shared<RecordingMonitor>(queue);
  const auto composite = CompositeEventMonitor::make(queue, {std::make_shared<EventMonitor>(), recording});
  const DataResponse<std::vector<int>> response(std::nullopt, nullptr, std::nullopt, nullptr, 0, std::vector{1, 2});
  composite->requestDidParseSerializedResponse(nullptr, response.erasingValue());
  drain(*queue);
  EXPECT_EQ(recording->events(), std::vector<std::string>{"success([1, 2])"});
}

TEST(CompositeEventMonitor, AsksEachMonitorForItsQueueAtEveryEvent) {
  // Names its two queues in turn and counts where its events ran.
  class AlternatingMonitor : public EventMonitor {
   public:
    std::shared_ptr<DispatchQueue> queue() const override { return queues[asked++ % 2]; }
    void requestDidFinish(const std::shared_ptr<Request>&) override { ++(queues[0]->isCurrent() ? onFirst : onSecond); }
    const std::shared_ptr<DispatchQueue> queues[2] = {serialQueue("first"), serialQueue("second")};
    mutable std::atomic<int> asked = 0;
    std::atomic<int> onFirst = 0;
    std::atomic<int> onSecond = 0;
  };
  const auto monitor = std::make_shared<AlternatingMonitor>();
  const auto composite = CompositeEventMonitor::make(DispatchQueue::main(), {monitor});
  for (int i = 0; i < 3; ++i) composite->requestDidFinish(nullptr);
  drain(*monitor->queues[0]);
  drain(*monitor->queues[1]);
  EXPECT_EQ(monitor->onFirst, 2);
  EXPECT_EQ(monitor->onSecond, 1);
}

TEST(CompositeEventMonitor, SubmittedEventsStillArriveAfterTheCompositeIsReleased) {
  const auto queue = serialQueue("monitor");
  const auto monitor = std::make_shared<RecordingMonitor>(queue);
  {
    QueueGate gate(*queue);
    auto composite = CompositeEventMonitor::make(queue, {monitor});
    composite->requestDidFinish(nullptr);
    composite.reset();
  }
  drain(*queue);
  EXPECT_EQ(monitor->events(), std::vector<std::string>{"finish"});
}

TEST(CompositeEventMonitor, ANestedCompositeFansOutOnItsOwnQueue) {
  const auto innerQueue = serialQueue("inner");
  const auto monitorQueue = serialQueue("monitor");
  const auto monitor = std::make_shared<RecordingMonitor>(monitorQueue);
  const auto inner = CompositeEventMonitor::make(innerQueue, {monitor});
  const auto outer = CompositeEventMonitor::make(DispatchQueue::main(), {inner});
  EXPECT_EQ(outer->monitors(), std::vector<std::shared_ptr<EventMonitor>>{inner});
  outer->requestDidFinish(nullptr);
  drain(*innerQueue);
  drain(*monitorQueue);
  EXPECT_EQ(monitor->events(), std::vector<std::string>{"finish"});
}
