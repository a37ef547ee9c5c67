#include <gtest/gtest.h>

#include "Wendanet/Source/Core/Request.h"
#include "tests/Wendanet/RequestTestDoubles.h"

using namespace wendanet;
using namespace wendanet::testing;
using Lines = std::vector<std::string>;

TEST_F(RequestFixture, CompletionsWaitForTheLastSerializerAndRunInOrder) {
  request->addResponseHandler("A", log).addResponseHandler("B", log).addResponseHandler("C", log);
  onQueue([&] {
    request->finish();
    request->finish();  // under way already: nothing, no second event
  });
  EXPECT_EQ(log->take(), (Lines{"didFinish", "serialize A", "serialize B", "serialize C", "completion A none",
                                "completion B none", "completion C none", "delegate cleanup"}));
  EXPECT_TRUE(request->isFinished());
}

TEST_F(RequestFixture, AHandlerAddedAfterFinishingRunsAndCleansUpAgain) {
  request->addResponseHandler("A", log);
  onQueue([&] { request->finish(); });
  log->take();
  request->addResponseHandler("B", log);
  EXPECT_TRUE(request->isResumed());
  settle();
  EXPECT_EQ(log->take(), (Lines{"serialize B", "completion B none", "delegate cleanup"}));
  EXPECT_TRUE(request->isFinished());
}

TEST_F(RequestFixture, TwoHandlersAddedAfterFinishingRunOnceEach) {
  onQueue([&] { request->finish(); });
  log->take();
  request->addResponseHandler("A", log).addResponseHandler("B", log);
  settle();
  EXPECT_EQ(log->take(),
            (Lines{"serialize A", "serialize B", "completion A none", "completion B none", "delegate cleanup"}));
}

TEST_F(RequestFixture, ASerializersRetryRunsEverySerializerAgainFromTheFirst) {
  delegate->retryAnswer = RetryResult::retry();
  request->addResponseHandler("A", log).addResponseHandler("B", log, true);
  onQueue([&] { request->finish(); });
  EXPECT_EQ(log->take(), (Lines{"didFinish", "serialize A", "serialize B", "delegate retryResult explicitlyCancelled",
                                "delegate retryRequest now"}));
  delegate->retryAnswer = RetryResult::doNotRetry();
  onQueue([&] {
    request->prepareForRetry();
    request->finish();
  });
  EXPECT_EQ(log->take(),
            (Lines{"isRetrying", "didFinish", "serialize A", "serialize B", "delegate retryResult explicitlyCancelled",
                   "completion A none", "completion B none", "delegate cleanup"}));
}

// A cancelled request is never retried by its session, so a retry it asked
// for must not keep it from finishing, whether the answer came before the
// cancel or after it.
TEST_F(RequestFixture, CancellingWhileASerializersRetryIsPendingStillFinishes) {
  delegate->retryAnswer = RetryResult::retry();
  for (const bool answeredFirst : {true, false}) {
    delegate->holdsAnswers = !answeredFirst;
    const auto cancelled = makeRequest(false);
    cancelled->addResponseHandler("A", log).addResponseHandler("B", log, true);
    onQueue([&] { cancelled->finish(); });
    log->take();
    cancelled->cancel();
    if (!answeredFirst) delegate->answerHeld();
    settle();
    EXPECT_EQ(log->take(), (Lines{"didCancel", "serialize B", "completion A none", "completion B explicitlyCancelled",
                                  "delegate cleanup"}));
    EXPECT_TRUE(cancelled->isCancelled());
  }
}

TEST_F(RequestFixture, ARetryAnsweredAfterCancellingFinishedTheRequestChangesNothing) {
  delegate->retryAnswer = RetryResult::retry();
  delegate->holdsAnswers = true;
  request->addResponseHandler("A", log);
  const auto task = addTask();
  task->complete();
  onQueue([&] { request->didCompleteTask(task, WNError::sessionDeinitialized()); });
  request->cancel();
  settle();
  EXPECT_EQ(log->take().back(), "delegate cleanup");
  delegate->answerHeld();
  settle();
  EXPECT_EQ(log->take(), Lines{});
}
