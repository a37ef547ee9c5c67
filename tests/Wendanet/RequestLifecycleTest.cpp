#include <gtest/gtest.h>

#include "Platform/Foundation/URLError.h"
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
  EXPECT_EQ(log->lines(), (Lines{"task resume", "delegate start", "didResume", "didResumeTask"}));
}

TEST_F(RequestFixture, CancelBeforeAnyTaskFinishesWithExplicitlyCancelled) {
  request->addResponseHandler("A", log);
  request->cancel();
  settle();
  EXPECT_TRUE(request->isCancelled());
  EXPECT_EQ(log->lines(), (Lines{"didCancel", "didFinish", "serialize A", "completion A explicitlyCancelled",
                                 "delegate cleanup"}));
}

TEST_F(RequestFixture, CancellingARunningTaskResumesAndCancelsItAndKeepsTheCancellation) {
  const auto task = addTask();
  request->suspend().cancel();
  settle();
  EXPECT_EQ(log->take(), (Lines{"task suspend", "task resume", "task cancel", "didSuspend", "didSuspendTask",
                                "didCancel", "didCancelTask"}));
  task->complete();
  const auto cancelled = WNError::sessionTaskFailed(platform::makeError(platform::URLError(platform::URLError::Code::cancelled)));
  onQueue([&] { request->didCompleteTask(task, cancelled); });
  // No retry is asked for a cancelled request.
  EXPECT_EQ(log->take(), (Lines{"didCompleteTask " + errorText(cancelled), "delegate cleanup", "didFinish"}));
  EXPECT_EQ(errorText(request->error()), "explicitlyCancelled");
}

TEST_F(RequestFixture, CancelAfterTheLastTaskCompletedLeavesTheTaskAlone) {
  addTask()->complete();
  request->cancel();
  settle();
  EXPECT_EQ(log->lines(), (Lines{"didCancel", "delegate cleanup", "didFinish"}));
}

TEST_F(RequestFixture, ControlsTheStateDoesNotAllowDoNothing) {
  request->cancel();
  settle();
  log->take();
  request->resume().suspend().cancel();
  EXPECT_TRUE(request->isCancelled());

  const auto finished = makeRequest(false);
  onQueue([&] { finished->finish(); });
  finished->resume().suspend().cancel();
  EXPECT_TRUE(finished->isFinished());
  settle();
  EXPECT_EQ(log->lines(), (Lines{"delegate cleanup", "didFinish"}));
}

TEST_F(RequestFixture, AddingAHandlerStartsTheRequestAsTheFlagOrTheSessionSays) {
  delegate->startsImmediately = false;
  const auto following = makeRequest();
  following->addResponseHandler("A", log);
  settle();
  EXPECT_TRUE(following->isInitialized());

  delegate->startsImmediately = true;
  const auto again = makeRequest();
  again->addResponseHandler("B", log);
  settle();
  EXPECT_TRUE(again->isResumed());
  EXPECT_EQ(log->lines(), (Lines{"delegate start", "didResume"}));
}

TEST_F(RequestFixture, AStoredErrorOutlivesTheTasksErrorWhichTheMonitorStillSees) {
  const auto task = addTask();
  onQueue([&] {
    request->didFailTaskEarly(task, taskError(1));
    request->didCompleteTask(task, taskError(2));
  });
  EXPECT_EQ(log->lines(), (Lines{"didCompleteTask " + errorText(taskError(2)),
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
  EXPECT_EQ(log->lines(), (Lines{"first sees none", "second sees none", "didCompleteTask none", "delegate cleanup",
                                 "didFinish"}));
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
  EXPECT_EQ(request->requests().size(), 2u);
  EXPECT_EQ(request->tasks().size(), 2u);
  EXPECT_EQ(request->allMetrics().size(), 1u);
}

TEST_F(RequestFixture, ARetriersOwnErrorReplacesTheStoredOne) {
  const auto replacement = WNError::requestRetryFailed(testError(3), platform::makeError(taskError(1)));
  delegate->retryAnswer = RetryResult::doNotRetryWithError(platform::makeError(replacement));
  onQueue([&] { request->didFailToCreateURLRequest(taskError(1)); });
  EXPECT_EQ(errorText(request->error()), errorText(replacement));
}

TEST_F(RequestFixture, UploadProgressReachesItsHandler) {
  request->setUploadProgressHandler(underlying, [this](const platform::Progress& progress) {
    log->add(std::to_string(progress.completedUnitCount()) + "/" + std::to_string(progress.totalUnitCount()));
  });
  request->updateUploadProgress(5, 10);
  settle();
  EXPECT_EQ(log->lines(), (Lines{"5/10"}));
}

using RequestDeathTest = RequestFixture;

TEST_F(RequestDeathTest, LifecycleCallsOffTheRequestsQueueStopTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const char* message = "Expected to run on the queue \"org.wendanet.test.underlying\".";
  EXPECT_DEATH(request->didResume(), message);
  EXPECT_DEATH(request->finish(), message);
  EXPECT_DEATH(request->prepareForRetry(), message);
}

TEST_F(RequestDeathTest, ARetrierErrorThatIsNoWNErrorStopsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  delegate->retryAnswer = RetryResult::doNotRetryWithError(testError(3));
  EXPECT_DEATH(onQueue([&] { request->didFailToCreateURLRequest(taskError(1)); }),
               "Received retryError was not already WNError");
}
