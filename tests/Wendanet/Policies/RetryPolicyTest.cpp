#include <gtest/gtest.h>

#include "Wendanet/Source/Policies/RetryPolicy.h"
#include "tests/Wendanet/Policies/PolicyTestSupport.h"
#include "tests/Wendanet/TestErrors.h"

using namespace wendanet;
using namespace wendanet::testing;
using Code = platform::URLError::Code;

namespace {

std::string answer(RetryPolicy& policy, const FailedAttempt& attempt, const platform::AnyError& error) {
  return describe(answerNow(policy, makeFailedRequest(attempt), error));
}

}  // namespace

TEST(RetryPolicy, DefaultBackOffRetriesTwiceThenGivesUp) {
  const auto policy = RetryPolicy::make();
  EXPECT_EQ(answer(*policy, {.retryCount = 0}, urlError(Code::timedOut)), "retryWithDelay 0.500000");
  EXPECT_EQ(answer(*policy, {.retryCount = 1}, urlError(Code::timedOut)), "retryWithDelay 1.000000");
  EXPECT_EQ(answer(*policy, {.retryCount = 2}, urlError(Code::timedOut)), "doNotRetry");
}

TEST(RetryPolicy, BackOffIsBaseToTheRetryCountTimesScale) {
  const auto policy = RetryPolicy::make(5, 3, 1.0);
  EXPECT_EQ(answer(*policy, {.retryCount = 0}, urlError(Code::timedOut)), "retryWithDelay 1.000000");
  EXPECT_EQ(answer(*policy, {.retryCount = 1}, urlError(Code::timedOut)), "retryWithDelay 3.000000");
  EXPECT_EQ(answer(*policy, {.retryCount = 2}, urlError(Code::timedOut)), "retryWithDelay 9.000000");
}

TEST(RetryPolicy, ZeroLimitNeverRetries) {
  const auto policy = RetryPolicy::make(0);
  EXPECT_EQ(answer(*policy, {.statusCode = 503}, urlError(Code::timedOut)), "doNotRetry");
}

TEST(RetryPolicy, OnlyIdempotentMethodsAreRetriedByDefault) {
  const auto policy = RetryPolicy::make();
  for (const char* method : {"GET", "HEAD", "PUT", "DELETE", "OPTIONS", "TRACE"}) {
    EXPECT_EQ(answer(*policy, {.method = method}, urlError(Code::timedOut)), "retryWithDelay 0.500000") << method;
  }
  for (const char* method : {"POST", "PATCH", "CONNECT", "QUERY", "get"}) {
    EXPECT_EQ(answer(*policy, {.method = method}, urlError(Code::timedOut)), "doNotRetry") << method;
  }
}

TEST(RetryPolicy, RequestThatNeverBuiltAURLRequestIsNotRetried) {
  const auto policy = RetryPolicy::make();
  EXPECT_EQ(answer(*policy, {.method = std::nullopt}, urlError(Code::timedOut)), "doNotRetry");
}

TEST(RetryPolicy, RetryableStatusRetriesWhateverTheError) {
  const auto policy = RetryPolicy::make();
  for (int status : {408, 500, 502, 503, 504}) {
    EXPECT_EQ(answer(*policy, {.statusCode = status}, testError()), "retryWithDelay 0.500000") << status;
  }
  EXPECT_EQ(answer(*policy, {.statusCode = 501}, testError()), "doNotRetry");
}

TEST(RetryPolicy, OtherStatusStillConsultsTheErrorCode) {
  const auto policy = RetryPolicy::make();
  EXPECT_EQ(answer(*policy, {.statusCode = 404}, taskFailed(Code::networkConnectionLost)), "retryWithDelay 0.500000");
  EXPECT_EQ(answer(*policy, {.statusCode = 404}, taskFailed(Code::badURL)), "doNotRetry");
}

TEST(RetryPolicy, URLErrorCodesAreFoundDirectlyOrInsideAWNError) {
  const auto policy = RetryPolicy::make();
  const auto retryFailed =
      platform::makeError(WNError::requestRetryFailed(urlError(Code::cannotFindHost), testError()));
  EXPECT_EQ(answer(*policy, {}, retryFailed), "retryWithDelay 0.500000");
  EXPECT_EQ(answer(*policy, {}, taskFailed(Code::notConnectedToInternet)), "retryWithDelay 0.500000");
  EXPECT_EQ(answer(*policy, {}, platform::makeError(WNError::explicitlyCancelled())), "doNotRetry");
  EXPECT_EQ(answer(*policy, {}, testError()), "doNotRetry");
}

TEST(ConnectionLostRetryPolicy, RetriesLostConnectionsOnlyUpToItsLimit) {
  const auto policy = ConnectionLostRetryPolicy::make();
  EXPECT_EQ(answer(*policy, {.retryCount = 0}, taskFailed(Code::networkConnectionLost)), "retryWithDelay 0.500000");
  EXPECT_EQ(answer(*policy, {.retryCount = 1}, urlError(Code::networkConnectionLost)), "retryWithDelay 1.000000");
  EXPECT_EQ(answer(*policy, {.retryCount = 2}, urlError(Code::networkConnectionLost)), "doNotRetry");
  EXPECT_EQ(answer(*policy, {}, urlError(Code::timedOut)), "doNotRetry");
  EXPECT_EQ(answer(*policy, {.statusCode = 503}, testError()), "doNotRetry");
}

using RetryPolicyDeathTest = ::testing::Test;

TEST_F(RetryPolicyDeathTest, BackOffBaseBelowTwoStopsTheProcess) {
  EXPECT_DEATH(RetryPolicy::make(2, 1), "back-off base");
  EXPECT_DEATH(ConnectionLostRetryPolicy::make(2, 0), "back-off base");
}
