#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "Platform/URLLoading/URLSession.h"
#include "Platform/URLLoading/URLSessionConfiguration.h"
#include "Wendanet/Source/Core/DataRequest.h"
#include "tests/Wendanet/DataRequestFixture.h"
#include "tests/Wendanet/TestErrors.h"

using namespace wendanet;
using namespace wendanet::testing;
using Lines = std::vector<std::string>;
using Disposition = platform::URLSessionResponseDisposition;

namespace {

std::string dispositionText(Disposition disposition) {
  return disposition == Disposition::allow ? "answer allow" : "answer cancel";
}

}  // namespace

TEST_F(DataRequestFixture, ChunksGatherInOrderAndProgressCountsThemWithoutALength) {
  std::vector<std::pair<std::int64_t, std::int64_t>> seen;
  request->setDownloadProgressHandler(platform::DispatchQueue::main(), [&](const platform::Progress& progress) {
    seen.emplace_back(progress.totalUnitCount(), progress.completedUnitCount());
  });
  EXPECT_EQ(request->data(), std::nullopt);
  const auto task = startAttempt();
  receive({"ab", "cd"});
  EXPECT_EQ(request->data(), platform::Data("abcd"));
  EXPECT_EQ(request->downloadProgress()->totalUnitCount(), -1);
  EXPECT_EQ(request->downloadProgress()->completedUnitCount(), 4);
  settle();
  // Each call reads the progress when it runs, after both chunks.
  EXPECT_EQ(seen, (std::vector<std::pair<std::int64_t, std::int64_t>>{{-1, 4}, {-1, 4}}));

  task->complete(httpResponse(200, {{"Content-Length", "6"}}));
  receive({"ef"});
  settle();
  EXPECT_EQ(seen.back(), (std::pair<std::int64_t, std::int64_t>{6, 6}));
}

TEST_F(DataRequestFixture, AProgressHandlerRemovedBeforeItRunsIsNotCalled) {
  int calls = 0;
  request->setDownloadProgressHandler(platform::DispatchQueue::main(), [&](const platform::Progress&) { ++calls; });
  receive({"ab"});
  request->setDownloadProgressHandler(platform::DispatchQueue::main(), nullptr);
  settle();
  EXPECT_EQ(calls, 0);
}

TEST_F(DataRequestFixture, ARetryDropsTheFirstAttemptsBytesAndProgress) {
  delegate->retryAnswer = RetryResult::retry();
  request->validate();
  runAttempt(503, {}, {"ab"});
  EXPECT_EQ(log->take(), (Lines{"validated Response status code was unacceptable: 503.",
                                "delegate retryResult Response status code was unacceptable: 503.",
                                "delegate retryRequest now"}));
  onQueue([&] { request->prepareForRetry(); });
  EXPECT_EQ(request->data(), std::nullopt);
  EXPECT_EQ(request->downloadProgress()->completedUnitCount(), 0);
  EXPECT_EQ(request->error(), std::nullopt);

  runAttempt(200, {}, {"cd"});
  EXPECT_EQ(request->data(), platform::Data("cd"));
  EXPECT_EQ(log->take(), (Lines{"isRetrying", "validated ok", "validated ok", "delegate cleanup", "didFinish"}));
}

TEST_F(DataRequestFixture, DefaultValidationFailsAnUnacceptableStatusBeforeLookingAtTheType) {
  urlRequest.setValueForHTTPHeaderField("application/json", "Accept");
  request->validate();
  runAttempt(404, {{"Content-Type", "text/html"}}, {"<p>"});
  EXPECT_EQ(errorText(request->error()), "Response status code was unacceptable: 404.");
  EXPECT_EQ(log->take()[0], "validated Response status code was unacceptable: 404.");
}

TEST_F(DataRequestFixture, DefaultValidationChecksTheTypeAgainstTheAcceptHeaderSentLast) {
  request->validate();
  urlRequest.setValueForHTTPHeaderField("application/json, text/plain", "Accept");
  runAttempt(200, {{"Content-Type", "text/html; charset=utf-8"}}, {"<p>"});
  EXPECT_EQ(errorText(request->error()),
            "Response Content-Type \"text/html\" does not match any acceptable types:  text/plain,application/json.");
  ASSERT_TRUE(request->error()->isResponseValidationFailed());
  EXPECT_EQ(request->error()->getResponseContentType(), "text/html");
}

TEST_F(DataRequestFixture, AnEmptyBodyPassesTheTypeCheck) {
  urlRequest.setValueForHTTPHeaderField("application/json", "Accept");
  request->validate();
  runAttempt(204, {{"Content-Type", "text/html"}}, {});
  EXPECT_EQ(request->error(), std::nullopt);
}

TEST_F(DataRequestFixture, ValidatorsSeeTheBodyAndAForeignFailureIsWrappedForTheRequestOnly) {
  std::optional<platform::Data> seenBody;
  request->validate([&](const auto& urlRequest, const auto& response, const auto& body) -> ValidationResult {
    seenBody = body;
    EXPECT_EQ(urlRequest->url(), this->urlRequest.url());
    EXPECT_EQ(response->statusCode(), 200);
    return std::unexpected(testError(4));
  });
  request->validateStatusCode(std::vector{201});
  runAttempt(200, {}, {"ab", "c"});
  EXPECT_EQ(seenBody, platform::Data("abc"));
  // The monitor sees the validation's own error; the second validator does
  // not run once the request has failed.
  EXPECT_EQ(log->take()[0], "validated TestError(code: 4)");
  EXPECT_EQ(errorText(request->error()), "Custom response validation failed with error: Something went wrong.");
}

TEST_F(DataRequestFixture, ValidatorsDoNotRunOnAFailedRequestOrWithoutAResponse) {
  int runs = 0;
  const auto counting = [&](const auto&, const auto&, const auto&) -> ValidationResult {
    ++runs;
    return {};
  };
  request->validate(counting);
  completeAttempt(startAttempt(), httpResponse(200), WNError::sessionTaskFailed(testError()));
  request = makeDataRequest(std::make_shared<DataEventLog>(log));
  request->validate(counting);
  completeAttempt(startAttempt(), nullptr);
  EXPECT_EQ(runs, 0);
  for (const auto& line : log->take()) EXPECT_FALSE(line.starts_with("validated")) << line;
}

TEST_F(DataRequestFixture, WithoutAResponseHandlerTheResponseIsAllowedOnTheRequestsQueue) {
  request->didReceiveResponse(httpResponse(200), [&](Disposition answer) {
    EXPECT_TRUE(underlying->isCurrent());
    log->add(dispositionText(answer));
  });
  EXPECT_EQ(log->take(), Lines{});
  settle();
  EXPECT_EQ(log->take(), Lines{"answer allow"});
}

TEST_F(DataRequestFixture, OnlyTheLatestResponseHandlerAnswersAndThePlainOneAllows) {
  request->onHTTPResponse(platform::DispatchQueue::main(), [&](const auto&) { log->add("first handler"); });
  request->onHTTPResponse(platform::DispatchQueue::main(),
                          [&](const auto& response) { log->add("second handler " + std::to_string(response->statusCode())); });
  request->didReceiveResponse(httpResponse(201), [&](Disposition answer) { log->add(dispositionText(answer)); });
  settle();
  EXPECT_EQ(log->take(), (Lines{"second handler 201", "answer allow"}));
  EXPECT_TRUE(request->isInitialized());
}

TEST_F(DataRequestFixture, AHandlerAnsweringCancelCancelsTheRequestWithoutTheCancelEvents) {
  request->onHTTPResponseWithDisposition(platform::DispatchQueue::main(), [](const auto&, const auto& completion) {
    completion(Request::ResponseDisposition::cancel);
  });
  for (const bool failedBefore : {false, true}) {
    if (failedBefore) {
      const auto task = startAttempt();
      onQueue([&] { request->didFailTaskEarly(task, WNError::sessionTaskFailed(testError())); });
    }
    request->didReceiveResponse(httpResponse(200), [&](Disposition answer) { log->add(dispositionText(answer)); });
    settle();
    EXPECT_TRUE(request->isCancelled());
    EXPECT_EQ(errorText(request->error()), failedBefore ? errorText(WNError::sessionTaskFailed(testError()))
                                                        : "explicitlyCancelled");
    EXPECT_EQ(log->take(), Lines{"answer cancel"});
  }
}

TEST_F(DataRequestFixture, TheResponseHandlerOutlivesARetry) {
  request->onHTTPResponse(platform::DispatchQueue::main(), [&](const auto&) { log->add("handler"); });
  onQueue([&] { request->prepareForRetry(); });
  request->didReceiveResponse(httpResponse(200), [&](Disposition answer) { log->add(dispositionText(answer)); });
  settle();
  EXPECT_EQ(log->take(), (Lines{"isRetrying", "handler", "answer allow"}));
}

TEST_F(DataRequestFixture, TheTaskIsTheSessionsDataTaskForTheURLRequest) {
  const auto session = platform::URLSession::make(platform::URLSessionConfiguration::ephemeralConfiguration());
  const auto task = request->createTask(urlRequest, session);
  EXPECT_NE(std::dynamic_pointer_cast<platform::URLSessionDataTask>(task), nullptr);
  EXPECT_EQ(task->originalRequest()->url(), urlRequest.url());
  EXPECT_EQ(task->state(), platform::URLSessionTask::State::suspended);
  EXPECT_EQ(request->convertible()->asURLRequest().url(), urlRequest.url());
  session->invalidateAndCancel();
}
