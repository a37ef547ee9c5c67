#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "Wendanet/Source/Core/DataRequest.h"
#include "tests/Wendanet/DataRequestFixture.h"
#include "tests/Wendanet/TestErrors.h"

using namespace wendanet;
using namespace wendanet::testing;
using Lines = std::vector<std::string>;

namespace {

struct Foo {
  std::string name;
  static constexpr auto codingFields() { return std::tuple{platform::field("name", &Foo::name)}; }
};

struct FailingSerializer {
  using SerializedObject = int;
  int serialize(const std::optional<platform::URLRequest>&, const std::shared_ptr<const platform::HTTPURLResponse>&,
                const std::optional<platform::Data>&, const std::optional<WNError>&) const {
    throw TestError(6);
  }
};

const std::string nilOrZeroLength = "Response could not be serialized, input data was nil or zero length.";
const std::string cancelled = "failure(" + WNError::explicitlyCancelled().errorDescription() + ")";

}  // namespace

class DataResponseFixture : public DataRequestFixture {
 protected:
  // A completion that logs the outcome under `name`, checking the queue.
  template <class Value>
  DataRequest::ResponseHandler<Value> logged(std::string name) {
    return [log = log, name](const DataResponse<Value>& response) {
      EXPECT_TRUE(platform::DispatchQueue::main()->isCurrent());
      log->add(name + " " + response.description());
    };
  }

  const std::shared_ptr<platform::DispatchQueue> mainQueue = platform::DispatchQueue::main();
};

TEST_F(DataResponseFixture, AnEmpty204IsEmptyDataAndAnEmpty200AFailureOfferedForARetryFirst) {
  request->responseData(mainQueue, logged<platform::Data>("data"));
  runAttempt(204, {}, {});
  EXPECT_EQ(log->take(), (Lines{"didFinish", "parsed success(0 bytes)", "delegate cleanup", "data success(0 bytes)"}));

  request = makeDataRequest();
  request->responseData(mainQueue, logged<platform::Data>("data"));
  runAttempt(200, {}, {});
  EXPECT_EQ(log->take(),
            (Lines{"didFinish", "parsed failure(" + nilOrZeroLength + ")", "delegate retryResult " + nilOrZeroLength,
                   "delegate cleanup", "data failure(" + nilOrZeroLength + ")"}));
}

TEST_F(DataResponseFixture, TypedHandlersReadTheGatheredBodyAndCompleteInOrder) {
  request->responseString(mainQueue, logged<std::string>("string"))
      .responseString(mainQueue, logged<std::string>("latin1"), ResponseSerializer::defaultDataPreprocessor(),
                      platform::TextEncoding::isoLatin1)
      .responseJSON(mainQueue, logged<platform::JSONValue>("json"))
      .responseDecodable<Foo>(mainQueue, [&](const auto& response) { log->add("foo " + response.value()->name); })
      .response(mainQueue, FailingSerializer(), logged<int>("custom"));
  runAttempt(200, {}, {"{\"name\":", "\"\xC3\xA9\"}"});
  const auto lines = log->take();
  EXPECT_EQ(Lines(lines.end() - 5, lines.end()),
            (Lines{R"(string success("{\"name\":\"é\"}"))", R"(latin1 success("{\"name\":\"Ã©\"}"))",
                   R"(json success({"name":"é"}))", "foo é",
                   "custom failure(Custom response serializer failed with error:\nSomething went wrong.)"}));
}

TEST_F(DataResponseFixture, TheUnserializedResponseHandsOnTheBodyOrTheStoredErrorWithoutARetry) {
  request->response(mainQueue, [&](const DataResponse<std::optional<platform::Data>>& response) {
    EXPECT_EQ(response.serializationDuration(), 0);
    log->add("response " + response.description());
  });
  runAttempt(200, {}, {});
  EXPECT_EQ(log->take(), (Lines{"didFinish", "parsed success(None)", "delegate cleanup", "response success(None)"}));

  request = makeDataRequest();
  request->response(mainQueue, logged<std::optional<platform::Data>>("response"));
  request->cancel();
  settle();
  EXPECT_EQ(log->take(),
            (Lines{"didCancel", "didFinish", "parsed " + cancelled, "delegate cleanup", "response " + cancelled}));
}

TEST_F(DataResponseFixture, ASerializerRetryRunsEveryHandlerAgainOnTheNextAttempt) {
  delegate->retryAnswer = RetryResult::retryWithDelay(2);
  request->responseString(mainQueue, logged<std::string>("string"))
      .responseData(mainQueue, logged<platform::Data>("data"));
  runAttempt(200, {}, {});
  EXPECT_EQ(log->take().back(), "delegate retryRequest 2.000000");

  delegate->retryAnswer = RetryResult::doNotRetryWithError(platform::makeError(WNError::sessionDeinitialized()));
  onQueue([&] { request->prepareForRetry(); });
  runAttempt(204, {}, {"ok"});
  const auto lines = log->take();
  EXPECT_EQ(Lines(lines.end() - 2, lines.end()), (Lines{R"(string success("ok"))", "data success(2 bytes)"}));
  EXPECT_TRUE(request->isFinished());

  // A refusal's own error replaces the serializer's.
  request = makeDataRequest();
  request->responseData(mainQueue, logged<platform::Data>("data"));
  runAttempt(200, {}, {});
  EXPECT_EQ(log->take().back(), "data failure(" + WNError::sessionDeinitialized().errorDescription() + ")");
}

// The session never retries a cancelled request, so a retry the serializer
// asked for must not keep its completion from being delivered, whether the
// session answered before the cancel or after it.
TEST_F(DataResponseFixture, CancellingWhileASerializersRetryIsPendingStillDeliversTheCompletion) {
  delegate->retryAnswer = RetryResult::retry();
  for (const bool answeredFirst : {true, false}) {
    delegate->holdsAnswers = !answeredFirst;
    request = makeDataRequest();
    request->responseData(mainQueue, logged<platform::Data>("data"));
    runAttempt(200, {}, {});
    EXPECT_EQ(log->take().back(),
              answeredFirst ? "delegate retryRequest now" : "delegate retryResult " + nilOrZeroLength);
    request->cancel();
    if (!answeredFirst) delegate->answerHeld();
    settle();
    EXPECT_EQ(log->take(), (Lines{"didCancel", "parsed " + cancelled, "delegate cleanup", "data " + cancelled}))
        << "answered first: " << answeredFirst;
    EXPECT_TRUE(request->isCancelled());
  }
}

using DataResponseDeathTest = DataResponseFixture;

TEST_F(DataResponseDeathTest, ARefusalWithAForeignErrorStopsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  delegate->retryAnswer = RetryResult::doNotRetryWithError(testError());
  request->responseData(mainQueue, logged<platform::Data>("data"));
  EXPECT_DEATH(runAttempt(200, {}, {}), "Received retryError was not already WNError");
}
