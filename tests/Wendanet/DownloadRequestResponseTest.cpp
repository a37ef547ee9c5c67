#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "Wendanet/Source/Core/DownloadRequest.h"
#include "tests/Wendanet/DownloadRequestFixture.h"
#include "tests/Wendanet/TestErrors.h"

using namespace wendanet;
using namespace wendanet::testing;
using Lines = std::vector<std::string>;
namespace fs = std::filesystem;

namespace {

const std::string inputFileNil = "Response could not be serialized, input file was nil.";
const std::string cancelled = "failure(" + WNError::explicitlyCancelled().errorDescription() + ")";

}  // namespace

class DownloadResponseFixture : public DownloadRequestFixture {
 protected:
  // A completion that logs the outcome under `name`, checking the queue.
  template <class Value>
  DownloadRequest::ResponseHandler<Value> logged(std::string name) {
    return [log = log, name](const DownloadResponse<Value>& response) {
      EXPECT_TRUE(platform::DispatchQueue::main()->isCurrent());
      log->add(name + " " + response.description());
    };
  }

  std::string fileURLText() const { return scratch.url("file.bin").absoluteString(); }

  const std::shared_ptr<platform::DispatchQueue> mainQueue = platform::DispatchQueue::main();
};

TEST_F(DownloadResponseFixture, TypedHandlersReadTheMovedFileAndCompleteInOrder) {
  request->responseURL(mainQueue, logged<platform::URL>("url"))
      .responseData(mainQueue, logged<platform::Data>("data"))
      .responseString(mainQueue, logged<std::string>("string"))
      .responseJSON(mainQueue, logged<platform::JSONValue>("json"));
  runAttempt(200, {}, "{\"a\":1}");
  const auto lines = log->take();
  EXPECT_EQ(Lines(lines.end() - 4, lines.end()),
            (Lines{"url success(" + fileURLText() + ")", "data success(7 bytes)", R"(string success("{\"a\":1}"))",
                   R"(json success({"a":1}))"}));
}

TEST_F(DownloadResponseFixture, AMissingOrVanishedFileFailsTheSerializersAfterOfferingARetry) {
  request->responseData(mainQueue, logged<platform::Data>("data"));
  runAttempt(200, {}, std::nullopt);
  EXPECT_EQ(log->take(), (Lines{"didFinish", "parsed failure(" + inputFileNil + ")",
                                "delegate retryResult " + inputFileNil, "delegate cleanup",
                                "data failure(" + inputFileNil + ")"}));

  // The file was moved, then removed before the serializer read it.
  request = makeDownloadRequest();
  const auto task = startAttempt();
  task->complete(httpResponse(200));
  finishDownload(task, "body");
  fs::remove(scratch.path() / "file.bin");
  request->responseData(mainQueue, logged<platform::Data>("data")).responseURL(mainQueue, logged<platform::URL>("url"));
  onQueue([&] { request->didCompleteTask(task, std::nullopt); });
  const auto lines = log->take();
  EXPECT_EQ(Lines(lines.end() - 2, lines.end()),
            (Lines{"data failure(Response could not be serialized, input file could not be read: " + fileURLText() +
                       ".)",
                   "url success(" + fileURLText() + ")"}));
}

TEST_F(DownloadResponseFixture, TheUnserializedResponseHandsOnTheFileOrTheStoredErrorWithoutARetry) {
  std::optional<DownloadResponse<std::optional<platform::URL>>> received;
  request->response(mainQueue, [&](const auto& response) { received = response; });
  runAttempt(200, {}, "body");
  ASSERT_TRUE(received);
  EXPECT_EQ(received->value(), std::optional(scratch.url("file.bin")));
  EXPECT_EQ(received->fileURL(), scratch.url("file.bin"));
  EXPECT_EQ(received->response()->statusCode(), 200);
  EXPECT_EQ(received->serializationDuration(), 0);

  // A stored error wins even when the file was moved.
  fs::remove(scratch.path() / "file.bin");
  request = makeDownloadRequest();
  request->validateStatusCode(std::vector{201});
  request->response(mainQueue, logged<std::optional<platform::URL>>("response"));
  runAttempt(200, {}, "body");
  EXPECT_EQ(log->take().back(), "response failure(Response status code was unacceptable: 200.)");
  EXPECT_EQ(request->fileURL(), scratch.url("file.bin"));

  request = makeDownloadRequest();
  request->response(mainQueue, logged<std::optional<platform::URL>>("response"));
  runAttempt(200, {}, std::nullopt);
  EXPECT_EQ(log->take().back(), "response success(None)");
}

TEST_F(DownloadResponseFixture, ASerializerRetryDeliversOnlyTheAttemptThatIsNotRetried) {
  delegate->retryAnswer = RetryResult::retry();
  request->responseString(mainQueue, logged<std::string>("string"));
  runAttempt(200, {}, std::nullopt);
  EXPECT_EQ(log->take().back(), "delegate retryRequest now");

  delegate->retryAnswer = RetryResult::doNotRetry();
  onQueue([&] { request->prepareForRetry(); });
  runAttempt(200, {}, "ok");
  EXPECT_EQ(log->take().back(), R"(string success("ok"))");
  EXPECT_TRUE(request->isFinished());

  // A refusal's own error replaces the serializer's.
  delegate->retryAnswer = RetryResult::doNotRetryWithError(platform::makeError(WNError::sessionDeinitialized()));
  request = makeDownloadRequest();
  request->responseData(mainQueue, logged<platform::Data>("data"));
  runAttempt(200, {}, std::nullopt);
  EXPECT_EQ(log->take().back(), "data failure(" + WNError::sessionDeinitialized().errorDescription() + ")");
}

TEST_F(DownloadResponseFixture, ACancelledDownloadDeliversTheCancellationWithItsResumeData) {
  std::optional<DownloadResponse<std::optional<platform::URL>>> received;
  request->response(mainQueue, [&](const auto& response) { received = response; });
  request->cancelProducingResumeData(true);
  settle();
  ASSERT_TRUE(received);
  EXPECT_EQ(received->description(), cancelled);
  EXPECT_EQ(received->resumeData(), std::nullopt);
  EXPECT_EQ(log->take(), (Lines{"didCancel", "didFinish", "parsed " + cancelled, "delegate cleanup"}));
}

// The session never retries a cancelled request, so a retry a serializer
// asked for must not keep the completion from being delivered, whether the
// session answered before the cancel or after it.
TEST_F(DownloadResponseFixture, CancellingWhileASerializersRetryIsPendingStillDeliversTheCompletion) {
  delegate->retryAnswer = RetryResult::retry();
  for (const bool answeredFirst : {true, false}) {
    delegate->holdsAnswers = !answeredFirst;
    request = makeDownloadRequest();
    request->responseData(mainQueue, logged<platform::Data>("data"));
    runAttempt(200, {}, std::nullopt);
    log->take();
    request->cancel();
    if (!answeredFirst) delegate->answerHeld();
    settle();
    EXPECT_EQ(log->take().back(), "data " + cancelled) << "answered first: " << answeredFirst;
    EXPECT_TRUE(request->isCancelled());
  }
}
