#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Wendanet/Source/Policies/OfflineRetrier.h"
#include "tests/Wendanet/Policies/PolicyTestSupport.h"
#include "tests/Wendanet/TestErrors.h"

using namespace wendanet;
using namespace wendanet::testing;
using Code = platform::URLError::Code;
using Status = platform::NetworkPath::Status;

namespace {

// A path monitor the test drives by hand.
class FakePathMonitor final : public platform::NetworkPathMonitor {
 public:
  FakePathMonitor() : NetworkPathMonitor({}) {}

  void setPathUpdateHandler(PathUpdateHandler handler) override { handler_ = std::move(handler); }
  void start(std::shared_ptr<platform::DispatchQueue> queue) override {
    queue_ = std::move(queue);
    started = true;
  }
  void cancel() override { cancelled = true; }

  // Delivers a path on the queue it was started on, as the real one does.
  void deliver(Status status) {
    queue_->async([this, status] {
      if (handler_) handler_({status});
    });
  }

  bool started = false;
  bool cancelled = false;

 private:
  PathUpdateHandler handler_;
  std::shared_ptr<platform::DispatchQueue> queue_;
};

class OfflineRetrierTest : public ::testing::Test {
 protected:
  void SetUp() override {
    retrier = OfflineRetrier::make(
        [this] {
          monitors.push_back(std::make_shared<FakePathMonitor>());
          return monitors.back();
        },
        OfflineRetrier::defaultMaximumWait, OfflineRetrier::isOfflineErrorByDefault,
        [this](const std::shared_ptr<platform::DispatchQueue>& queue, double seconds,
               std::shared_ptr<platform::DispatchWorkItem> item) {
          EXPECT_EQ(queue, OfflineRetrier::monitorQueue());
          timeouts.push_back({seconds, std::move(item)});
        });
  }

  // Whoever still waits is answered when the retrier goes; the answer must
  // arrive while the log still exists.
  void TearDown() override {
    retrier.reset();
    drain();
  }

  void retry(const std::string& name, const platform::AnyError& error = urlError(Code::notConnectedToInternet)) {
    retrier->retry(nullptr, nullptr, error, [this, name](RetryResult result) {
      std::lock_guard lock(mutex);
      log.push_back(name + ": " + describe(result));
    });
  }

  void fireTimeout(std::size_t index) {
    OfflineRetrier::monitorQueue()->async([item = timeouts.at(index).item] { item->perform(); });
  }

  // A result arrives on the monitor queue, and the answers are submitted
  // from there: two hops.
  void drain() {
    for (int hop = 0; hop < 2; ++hop) OfflineRetrier::monitorQueue()->sync([] {});
  }

  std::vector<std::string> takeLog() {
    drain();
    std::lock_guard lock(mutex);
    return std::exchange(log, {});
  }

  struct Timeout {
    double seconds;
    std::shared_ptr<platform::DispatchWorkItem> item;
  };
  std::vector<std::shared_ptr<FakePathMonitor>> monitors;
  std::vector<Timeout> timeouts;
  std::shared_ptr<OfflineRetrier> retrier;
  std::mutex mutex;
  std::vector<std::string> log;
};

}  // namespace

TEST(OfflineRetrierOfflineTest, OnlyNotConnectedCountsHoweverDeeplyWrapped) {
  const auto nested = platform::makeError(
      WNError::sessionTaskFailed(platform::makeError(WNError::requestAdaptationFailed(urlError(Code::notConnectedToInternet)))));
  EXPECT_TRUE(OfflineRetrier::isOfflineErrorByDefault(urlError(Code::notConnectedToInternet)));
  EXPECT_TRUE(OfflineRetrier::isOfflineErrorByDefault(taskFailed(Code::notConnectedToInternet)));
  EXPECT_TRUE(OfflineRetrier::isOfflineErrorByDefault(nested));
  EXPECT_TRUE(OfflineRetrier::isOfflineErrorByDefault(
      platform::makeError(WNError::requestRetryFailed(urlError(Code::notConnectedToInternet), testError()))));
  EXPECT_FALSE(OfflineRetrier::isOfflineErrorByDefault(urlError(Code::timedOut)));
  EXPECT_FALSE(OfflineRetrier::isOfflineErrorByDefault(taskFailed(Code::networkConnectionLost)));
  EXPECT_FALSE(OfflineRetrier::isOfflineErrorByDefault(platform::makeError(WNError::explicitlyCancelled())));
  EXPECT_FALSE(OfflineRetrier::isOfflineErrorByDefault(testError()));
}

TEST_F(OfflineRetrierTest, OtherFailuresAreAnsweredAtOnceWithoutWatching) {
  std::optional<RetryResult> answer = answerNow(*retrier, nullptr, urlError(Code::timedOut));
  EXPECT_EQ(describe(answer), "doNotRetry");
  EXPECT_TRUE(monitors.empty());
  EXPECT_TRUE(timeouts.empty());
}

TEST_F(OfflineRetrierTest, FailuresDuringOneWaitShareOneMonitorAndAreRetriedInOrder) {
  retry("first");
  retry("second");
  retry("other", testError());
  retry("third");
  EXPECT_EQ(takeLog(), std::vector<std::string>{"other: doNotRetry"});
  ASSERT_EQ(monitors.size(), 1u);
  EXPECT_TRUE(monitors[0]->started);
  ASSERT_EQ(timeouts.size(), 1u);
  EXPECT_EQ(timeouts[0].seconds, 5.0);

  monitors[0]->deliver(Status::unsatisfied);
  EXPECT_TRUE(takeLog().empty());

  monitors[0]->deliver(Status::satisfied);
  EXPECT_EQ(takeLog(), (std::vector<std::string>{"first: retry", "second: retry", "third: retry"}));
  EXPECT_TRUE(monitors[0]->cancelled);
  EXPECT_TRUE(timeouts[0].item->isCancelled());
}

TEST_F(OfflineRetrierTest, PathNeedingAConnectionStillEndsTheWait) {
  retry("first");
  monitors[0]->deliver(Status::requiresConnection);
  EXPECT_EQ(takeLog(), std::vector<std::string>{"first: retry"});
}

TEST_F(OfflineRetrierTest, TimeOutGivesUpOnEveryoneAndStopsTheMonitor) {
  retry("first");
  retry("second");
  fireTimeout(0);
  EXPECT_EQ(takeLog(), (std::vector<std::string>{"first: doNotRetry", "second: doNotRetry"}));
  EXPECT_TRUE(monitors[0]->cancelled);

  // A path that arrives late finds nobody waiting.
  monitors[0]->deliver(Status::satisfied);
  EXPECT_TRUE(takeLog().empty());
}

TEST_F(OfflineRetrierTest, NextOfflineFailureAfterAWaitStartsAFreshOne) {
  retry("first");
  monitors[0]->deliver(Status::satisfied);
  EXPECT_EQ(takeLog(), std::vector<std::string>{"first: retry"});

  retry("second");
  ASSERT_EQ(monitors.size(), 2u);
  ASSERT_EQ(timeouts.size(), 2u);
  fireTimeout(0);  // the first wait's time-out was cancelled
  EXPECT_TRUE(takeLog().empty());
  fireTimeout(1);
  EXPECT_EQ(takeLog(), std::vector<std::string>{"second: doNotRetry"});
}

TEST_F(OfflineRetrierTest, ReleasingTheRetrierAnswersThoseStillWaiting) {
  retry("first");
  const auto monitor = monitors[0];
  retrier.reset();
  EXPECT_EQ(takeLog(), std::vector<std::string>{"first: doNotRetry"});
  EXPECT_TRUE(monitor->cancelled);
  EXPECT_TRUE(timeouts[0].item->isCancelled());
}

TEST_F(OfflineRetrierTest, CustomOfflineTestAndWaitAreUsed) {
  std::vector<double> delays;
  retrier = OfflineRetrier::make(
      [this] {
        monitors.push_back(std::make_shared<FakePathMonitor>());
        return monitors.back();
      },
      0.25, [](const platform::AnyError& error) { return platform::errorAs<TestError>(error) != nullptr; },
      [&](const auto&, double seconds, auto) { delays.push_back(seconds); });
  retry("not connected");
  retry("test error", testError());
  EXPECT_EQ(takeLog(), std::vector<std::string>{"not connected: doNotRetry"});
  EXPECT_EQ(delays, std::vector<double>{0.25});
}
