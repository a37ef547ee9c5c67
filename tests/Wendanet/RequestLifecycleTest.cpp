#include <gtest/gtest.h>

#include "Wendanet/Source/Core/Request.h"
#include "tests/Wendanet/RequestTestDoubles.h"
#include "tests/Wendanet/TestErrors.h"

using namespace wendanet;
using namespace wendanet::testing;
using Lines = std::vector<std::string>;

namespace {

WNError taskError(int code) { return WNError::sessionTaskFailed(testError(code)); }

}  // namespace

TEST_F(RequestFixture, ResumingTwiceResumesOnce) {
  addTask();
  request->resume().resume();
  settle();
  EXPECT_TRUE(request->isResumed());
  EXPECT_EQ(log->take(), (Lines{"task resume", "delegate start", "didResume", "didResumeTask"}));
}

TEST_F(RequestFixture, CancelBeforeAnyTaskFinishesWithExplicitlyCancelled) {
  request->addResponseHandler("A", log);
  request->cancel();
  settle();
  EXPECT_TRUE(request->isCancelled());
  EXPECT_EQ(log->take(),
            (Lines{"didCancel", "didFinish", "serialize A", "completion A explicitlyCancelled", "delegate cleanup"}));
}

TEST_F(RequestFixture, CancellingARunningTaskResumesAndCancelsItAndKeepsTheCancellation) {
  const auto task = addTask();
  request->suspend().cancel();
  settle();
  EXPECT_EQ(log->take(), (Lines{"task suspend", "task resume", "task cancel", "didSuspend", "didSuspendTask",
                                "didCancel", "didCancelTask"}));
  task->complete();
  onQueue([&] { request->didCompleteTask(task, taskError(9)); });
  // No retry is asked for a cancelled request.
  EXPECT_EQ(log->take(), (Lines{"didCompleteTask " + errorText(taskError(9)), "delegate cleanup", "didFinish"}));
  EXPECT_EQ(errorText(request->error()), "explicitlyCancelled");
}

TEST_F(RequestFixture, CancelAfterTheTaskCompletedLeavesItAloneAndIsFinal) {
  addTask()->complete();
  request->cancel();
  settle();
  request->cancel().suspend().resume();
  settle();
  EXPECT_TRUE(request->isCancelled());
  EXPECT_EQ(log->take(), (Lines{"didCancel", "delegate cleanup", "didFinish"}));
}

TEST_F(RequestFixture, AddingAHandlerStartsTheRequestWhenTheSessionSays) {
  delegate->startsImmediately = false;
  const auto waiting = makeRequest(std::nullopt);
  waiting->addResponseHandler("A", log);
  settle();
  delegate->startsImmediately = true;
  const auto started = makeRequest(std::nullopt);
  started->addResponseHandler("B", log);
  settle();
  EXPECT_TRUE(waiting->isInitialized());
  EXPECT_TRUE(started->isResumed());
  EXPECT_EQ(log->take(), (Lines{"delegate start", "didResume"}));
}

TEST_F(RequestFixture, AStoredErrorOutlivesTheTasksErrorWhichTheMonitorStillSees) {
  const auto task = addTask();
  onQueue([&] {
    request->didFailTaskEarly(task, taskError(1));
    request->didCompleteTask(task, taskError(2));
  });
  EXPECT_EQ(log->take(), (Lines{"didCompleteTask " + errorText(taskError(2)),
                                "delegate retryResult " + errorText(taskError(1)), "delegate cleanup", "didFinish"}));
  EXPECT_EQ(errorText(request->error()), errorText(taskError(1)));
}

TEST_F(RequestFixture, ValidatorsRunInOrderWithoutTheLockHeld) {
  for (const char* name : {"first", "second"}) {
    request->validators_.write([&](auto& validators) {
      validators.push_back([this, name] { log->add(std::string(name) + " sees " + errorText(request->error())); });
    });
  }
  const auto task = addTask();
  onQueue([&] { request->didCompleteTask(task, std::nullopt); });
  EXPECT_EQ(log->take(),
            (Lines{"first sees none", "second sees none", "didCompleteTask none", "delegate cleanup", "didFinish"}));
}

TEST_F(RequestFixture, ARetryKeepsEveryAttemptAndStartsTheNextOneClean) {
  delegate->retryAnswer = RetryResult::retryWithDelay(2);
  const auto task = addTask();
  onQueue([&] {
    request->didCreateInitialURLRequest(makeURLRequest("http://example.com/1"));
    request->didGatherMetrics(std::make_shared<platform::URLSessionTaskMetrics>());
    request->didCompleteTask(task, taskError(1));
  });
  EXPECT_EQ(log->take(), (Lines{"didCompleteTask " + errorText(taskError(1)),
                                "delegate retryResult " + errorText(taskError(1)), "delegate retryRequest 2.000000"}));
  onQueue([&] {
    request->prepareForRetry();
    request->didCreateInitialURLRequest(makeURLRequest("http://example.com/2"));
  });
  addTask();
  EXPECT_EQ(log->take(), (Lines{"isRetrying"}));
  EXPECT_EQ(request->retryCount(), 1);
  EXPECT_FALSE(request->error());
  EXPECT_EQ(request->requests().size() + request->tasks().size() + request->allMetrics().size(), 5u);
}

TEST_F(RequestFixture, ARetriersOwnErrorReplacesTheStoredOne) {
  const auto replacement = WNError::requestRetryFailed(testError(3), platform::makeError(taskError(1)));
  delegate->retryAnswer = RetryResult::doNotRetryWithError(platform::makeError(replacement));
  onQueue([&] { request->didFailToCreateURLRequest(taskError(1)); });
  EXPECT_EQ(errorText(request->error()), errorText(replacement));
}

using RequestDeathTest = RequestFixture;

TEST_F(RequestDeathTest, LifecycleCallsOffTheRequestsQueueAndForeignRetryErrorsStopTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const char* message = "Expected to run on the queue \"org.wendanet.test.underlying\".";
  EXPECT_DEATH(request->didResume(), message);
  EXPECT_DEATH(request->finish(), message);
  delegate->retryAnswer = RetryResult::doNotRetryWithError(testError(3));
  EXPECT_DEATH(onQueue([&] { request->didFailToCreateURLRequest(taskError(1)); }),
               "Received retryError was not already WNError");
}
