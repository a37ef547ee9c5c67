#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "Wendanet/Source/Core/DataRequest.h"
#include "tests/Wendanet/DataRequestFixture.h"
#include "tests/Wendanet/TestErrors.h"

using namespace wendanet;
using namespace wendanet::testing;
using Lines = std::vector<std::string>;
using Disposition = platform::URLSessionResponseDisposition;

namespace {

const auto& mainQueue = platform::DispatchQueue::main();

}  // namespace

TEST_F(DataRequestFixture, ChunksGatherInOrderAndProgressCountsThemWithoutALength) {
  std::vector<std::pair<std::int64_t, std::int64_t>> seen;
  request->setDownloadProgressHandler(mainQueue, [&](const platform::Progress& progress) {
    seen.emplace_back(progress.totalUnitCount(), progress.completedUnitCount());
  });
  const auto task = startAttempt();
  receive({"ab", "cd"});
  EXPECT_EQ(request->data(), platform::Data("abcd"));
  EXPECT_EQ(request->downloadProgress()->totalUnitCount(), -1);
  EXPECT_EQ(request->downloadProgress()->completedUnitCount(), 4);
  task->complete(httpResponse(200, {{"Content-Length", "6"}}));
  receive({"ef"});
  settle();
  // Each queued call reads the progress when it runs.
  EXPECT_EQ(seen, (std::vector<std::pair<std::int64_t, std::int64_t>>(3, {6, 6})));
  // A handler set empty before the queued call runs counts as removed.
  receive({"gh"});
  request->setDownloadProgressHandler(mainQueue, nullptr);
  settle();
  EXPECT_EQ(seen.size(), 3u);
}

TEST_F(DataRequestFixture, ARetryDropsTheFirstAttemptsBytesAndProgress) {
  delegate->retryAnswer = RetryResult::retry();
  request->validate();
  runAttempt(503, {}, {"ab"});
  EXPECT_EQ(log->take(),
            (Lines{"validated Response status code was unacceptable: 503.",
                   "delegate retryResult Response status code was unacceptable: 503.", "delegate retryRequest now"}));
  onQueue([&] { request->prepareForRetry(); });
  EXPECT_EQ(request->data(), std::nullopt);
  EXPECT_EQ(request->downloadProgress()->completedUnitCount(), 0);
  runAttempt(200, {}, {"cd"});
  EXPECT_EQ(request->data(), platform::Data("cd"));
  EXPECT_EQ(request->error(), std::nullopt);
}

TEST_F(DataRequestFixture, DefaultValidationChecksTheStatusThenTheTypeTheAcceptHeaderSentLastAdmits) {
  const auto validated = [&](int status, const char* contentType, std::initializer_list<const char*> body) {
    request = makeDataRequest();
    request->validate();
    urlRequest.setValueForHTTPHeaderField("application/json, text/plain", "Accept");
    runAttempt(status, {{"Content-Type", contentType}}, body);
    return errorText(request->error());
  };
  EXPECT_EQ(validated(404, "text/html", {"<p>"}), "Response status code was unacceptable: 404.");
  EXPECT_EQ(validated(200, "text/html; charset=utf-8", {"<p>"}),
            "Response Content-Type \"text/html\" does not match any acceptable types:  text/plain,application/json.");
  EXPECT_EQ(validated(204, "text/html", {}), "none");
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
  // Once the request has failed, later validators do not run.
  EXPECT_EQ(log->take()[0], "validated TestError(code: 4)");
  EXPECT_EQ(errorText(request->error()), "Custom response validation failed with error: Something went wrong.");
}

TEST_F(DataRequestFixture, TheLatestResponseHandlerAnswersEveryAttemptOnItsQueue) {
  const auto answer = [&](Disposition disposition) {
    EXPECT_TRUE(underlying->isCurrent());
    log->add(disposition == Disposition::allow ? "allow" : "cancel");
  };
  request->didReceiveResponse(httpResponse(200), answer);
  settle();
  request->onHTTPResponse(mainQueue, [&](const auto&) { log->add("first handler"); });
  request->onHTTPResponse(mainQueue, [&](const auto& response) { log->add(std::to_string(response->statusCode())); });
  onQueue([&] { request->prepareForRetry(); });
  request->didReceiveResponse(httpResponse(201), answer);
  settle();
  EXPECT_EQ(log->take(), (Lines{"allow", "isRetrying", "201", "allow"}));
  EXPECT_TRUE(request->isInitialized());
}

TEST_F(DataRequestFixture, AnsweringCancelCancelsTheRequestWithoutTheCancelEvents) {
  request->onHTTPResponseWithDisposition(
      mainQueue, [](const auto&, const auto& completion) { completion(Request::ResponseDisposition::cancel); });
  const auto task = startAttempt();
  onQueue([&] { request->didFailTaskEarly(task, WNError::sessionTaskFailed(testError())); });
  for (const char* expectedError : {"URLSessionTask failed with error: Something went wrong.", "explicitlyCancelled"}) {
    request->didReceiveResponse(httpResponse(200), [&](Disposition disposition) {
      log->add(disposition == Disposition::cancel ? "cancel" : "allow");
    });
    settle();
    EXPECT_TRUE(request->isCancelled());
    EXPECT_EQ(errorText(request->error()), expectedError);
    EXPECT_EQ(log->take(), Lines{"cancel"});
    onQueue([&] { request->reset(); });
  }
}
