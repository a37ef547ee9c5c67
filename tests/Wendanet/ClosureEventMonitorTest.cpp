#include <gtest/gtest.h>

#include <cstdint>
#include <future>
#include <memory>
#include <vector>

#include "Platform/Dispatch/DispatchQueue.h"
#include "Wendanet/Source/Support/ClosureEventMonitor.h"
#include "Wendanet/Source/Support/CompositeEventMonitor.h"
#include "tests/Wendanet/FakeHandles.h"
#include "tests/Wendanet/RecordingMonitor.h"

using namespace wendanet;
using platform::DispatchQueue;
using wendanet::testing::drain;
using wendanet::testing::fakeHandle;

TEST(ClosureEventMonitor, CallsOnlyTheClosuresThatAreSetOnItsQueue) {
  const auto queue = DispatchQueue::make("monitor");
  const auto monitor = ClosureEventMonitor::make(queue);
  std::vector<std::shared_ptr<Request>> finished;
  bool onQueue = true;
  monitor->closures.requestDidFinish = [&](const std::shared_ptr<Request>& request) {
    finished.push_back(request);
    onQueue = onQueue && queue->isCurrent();
  };
  const auto composite = CompositeEventMonitor::make(queue, {monitor});
  const auto request = fakeHandle<Request>();
  composite->requestDidResume(request);
  composite->requestDidFinish(request);
  composite->requestDidCreateURLRequest(request, platform::URLRequest());
  composite->requestDidParseResponse(nullptr, DataResponse<std::optional<platform::Data>>(
                                                  std::nullopt, nullptr, std::nullopt, nullptr, 0, std::nullopt));
  drain(*queue);
  EXPECT_EQ(finished, std::vector<std::shared_ptr<Request>>{request});
  EXPECT_TRUE(onQueue);
}

TEST(ClosureEventMonitor, AClosureClearedBeforeItsEventRunsIsNotCalled) {
  const auto queue = DispatchQueue::make("monitor");
  const auto monitor = ClosureEventMonitor::make(queue);
  int calls = 0;
  monitor->closures.requestDidCancel = [&](const std::shared_ptr<Request>&) { ++calls; };
  std::promise<void> raised;
  queue->async([&, wait = raised.get_future()] {
    wait.wait();
    monitor->closures.requestDidCancel = nullptr;
  });
  CompositeEventMonitor::make(queue, {monitor})->requestDidCancel(nullptr);
  raised.set_value();
  drain(*queue);
  EXPECT_EQ(calls, 0);
}

TEST(ClosureEventMonitor, GenericEventsCallNoClosure) {
  const auto monitor = ClosureEventMonitor::make();
  int calls = 0;
  monitor->closures.requestDidParseResponse = [&](auto&&...) { ++calls; };
  monitor->closures.requestDidParseDownloadResponse = [&](auto&&...) { ++calls; };
  EventMonitor& asMonitor = *monitor;
  asMonitor.requestDidParseSerializedResponse(
      nullptr, DataResponse<AnyValue>(std::nullopt, nullptr, std::nullopt, nullptr, 0, AnyValue(1)));
  asMonitor.requestDidParseStream(nullptr, AnyValue(2));
  asMonitor.requestDidParseSerializedDownloadResponse(
      nullptr, DownloadResponse<AnyValue>(std::nullopt, nullptr, std::nullopt, std::nullopt, nullptr, 0, AnyValue(3)));
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(monitor->queue(), DispatchQueue::main());
}

TEST(ClosureEventMonitor, DownloadTaskClosuresReceiveTheEventsArguments) {
  const auto monitor = ClosureEventMonitor::make();
  std::vector<std::int64_t> resumed;
  std::optional<platform::URL> location;
  monitor->closures.downloadTaskDidResumeAtOffset = [&](auto&&, auto&&, std::int64_t offset, std::int64_t total) {
    resumed = {offset, total};
  };
  monitor->closures.downloadTaskDidFinishDownloadingToURL = [&](auto&&, auto&&, const platform::URL& url) {
    location = url;
  };
  monitor->downloadTaskDidResumeAtOffset(nullptr, nullptr, 512, 2048);
  monitor->downloadTaskDidFinishDownloadingToURL(nullptr, nullptr, platform::URL::fileURL("/tmp/download"));
  EXPECT_EQ(resumed, (std::vector<std::int64_t>{512, 2048}));
  EXPECT_EQ(location, platform::URL::fileURL("/tmp/download"));
}

TEST(ClosureEventMonitor, AClosureMayClearItselfWhileItRuns) {
  const auto monitor = ClosureEventMonitor::make();
  int calls = 0;
  monitor->closures.requestIsRetrying = [&, keepAlive = std::make_shared<int>(1)](const std::shared_ptr<Request>&) {
    monitor->closures.requestIsRetrying = nullptr;
    calls += *keepAlive;
  };
  monitor->requestIsRetrying(nullptr);
  monitor->requestIsRetrying(nullptr);
  EXPECT_EQ(calls, 1);
}

TEST(ClosureEventMonitor, EventsReachASubclassesOverrides) {
  class Subclass : public ClosureEventMonitor {
   public:
    Subclass() : ClosureEventMonitor(DispatchQueue::main()) {}
    void requestDidResumeTask(const std::shared_ptr<Request>&,
                              const std::shared_ptr<platform::URLSessionTask>&) override {
      ++overridden;
    }
    int overridden = 0;
  };
  Subclass monitor;
  bool closureCalled = false;
  monitor.closures.requestDidResumeTask = [&](auto&&...) { closureCalled = true; };
  static_cast<EventMonitor&>(monitor).requestDidResumeTask(nullptr, nullptr);
  EXPECT_EQ(monitor.overridden, 1);
  EXPECT_FALSE(closureCalled);
}
