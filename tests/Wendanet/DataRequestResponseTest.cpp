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

// Throws a foreign error.
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
  // A completion that logs the outcome under `name`.
  template <class Value>
  DataRequest::ResponseHandler<Value> logged(std::string name) {
    return [log = log, name](const DataResponse<Value>& response) {
      EXPECT_TRUE(platform::DispatchQueue::main()->isCurrent());
      log->add(name + " " + response.description());
    };
  }

  const std::shared_ptr<platform::DispatchQueue>& main = platform::DispatchQueue::main();
};

TEST_F(DataResponseFixture, TheDataSerializerGivesEmptyDataWhereAnEmptyBodyIsAllowed) {
  request->responseData(main, logged<platform::Data>("data"));
  runAttempt(204, {}, {});
  EXPECT_EQ(log->take(), (Lines{"didFinish", "parsed success(0 bytes)", "delegate cleanup", "data success(0 bytes)"}));

  urlRequest.setHTTPMethod("HEAD");
  request = makeDataRequest(std::make_shared<DataEventLog>(log));
  request->responseData(main, logged<platform::Data>("data"));
  runAttempt(200, {}, {});
  EXPECT_EQ(log->take().back(), "data success(0 bytes)");
}

TEST_F(DataResponseFixture, AnEmpty200IsAFailureOfferedForARetryFirst) {
  request->responseData(main, logged<platform::Data>("data"));
  runAttempt(200, {}, {});
  EXPECT_EQ(log->take(), (Lines{"didFinish", "parsed failure(" + nilOrZeroLength + ")",
                                "delegate retryResult " + nilOrZeroLength, "delegate cleanup",
                                "data failure(" + nilOrZeroLength + ")"}));
}

TEST_F(DataResponseFixture, DecodingAnEmpty204NamesTheType) {
  request->responseDecodable<Foo>(main, [&](const DataResponse<Foo>& response) {
    ASSERT_TRUE(response.error());
    log->add(errorText(response.error()));
  });
  runAttempt(204, {}, {});
  EXPECT_EQ(log->take().back(),
            "Empty response could not be serialized to type: Foo. Use Empty as the expected type for such responses.");
}

TEST_F(DataResponseFixture, TypedHandlersReadTheGatheredBodyAndCompleteInOrder) {
  request->responseString(main, logged<std::string>("string"))
      .responseString(main, logged<std::string>("latin1"), ResponseSerializer::defaultDataPreprocessor(),
                      platform::TextEncoding::isoLatin1)
      .responseJSON(main, logged<platform::JSONValue>("json"))
      .responseDecodable<Foo>(main, [&](const DataResponse<Foo>& response) { log->add("foo " + response.value()->name); });
  runAttempt(200, {}, {"{\"name\":", "\"\xC3\xA9\"}"});
  const auto lines = log->take();
  EXPECT_EQ(Lines(lines.end() - 4, lines.end()),
            (Lines{R"(string success("{\"name\":\"é\"}"))", R"(latin1 success("{\"name\":\"Ã©\"}"))",
                   R"(json success({"name":"é"}))", "foo é"}));
}

TEST_F(DataResponseFixture, TheUnserializedResponseHandsOnTheBodyOrTheStoredError) {
  request->response(main, [&](const DataResponse<std::optional<platform::Data>>& response) {
    EXPECT_EQ(response.serializationDuration(), 0);
    EXPECT_EQ(response.response()->statusCode(), 200);
    log->add("response " + response.description());
  });
  runAttempt(200, {}, {});
  EXPECT_EQ(log->take(), (Lines{"didFinish", "parsed success(None)", "delegate cleanup", "response success(None)"}));

  request = makeDataRequest(std::make_shared<DataEventLog>(log));
  request->response(main, logged<std::optional<platform::Data>>("response"));
  const auto task = startAttempt();
  receive({"ab"});
  completeAttempt(task, httpResponse(500), WNError::sessionTaskFailed(testError()));
  const auto failure = "failure(" + errorText(WNError::sessionTaskFailed(testError())) + ")";
  EXPECT_EQ(log->take(), (Lines{"delegate retryResult " + errorText(WNError::sessionTaskFailed(testError())),
                                "didFinish", "parsed " + failure, "delegate cleanup", "response " + failure}));
}

TEST_F(DataResponseFixture, AForeignSerializerErrorIsACustomSerializationFailure) {
  request->response(main, FailingSerializer(), [&](const DataResponse<int>& response) {
    EXPECT_GE(response.serializationDuration(), 0);
    EXPECT_EQ(response.data(), platform::Data("x"));
    log->add(errorText(response.error()));
  });
  runAttempt(200, {}, {"x"});
  EXPECT_EQ(log->take().back(), "Custom response serializer failed with error:\nSomething went wrong.");
}

TEST_F(DataResponseFixture, ASerializerRetryRunsEveryHandlerAgainOnTheNextAttempt) {
  delegate->retryAnswer = RetryResult::retryWithDelay(2);
  request->responseString(main, logged<std::string>("string")).responseData(main, logged<platform::Data>("data"));
  runAttempt(200, {}, {});
  EXPECT_EQ(log->take().back(), "delegate retryRequest 2.000000");

  delegate->retryAnswer = RetryResult::doNotRetry();
  onQueue([&] { request->prepareForRetry(); });
  runAttempt(200, {}, {"ok"});
  const auto lines = log->take();
  EXPECT_EQ(Lines(lines.end() - 2, lines.end()), (Lines{R"(string success("ok"))", "data success(2 bytes)"}));
  EXPECT_TRUE(request->isFinished());
}

TEST_F(DataResponseFixture, ARefusalWithAnErrorIsDeliveredInPlaceOfTheSerializerError) {
  const auto refusal = WNError::sessionTaskFailed(testError(8));
  delegate->retryAnswer = RetryResult::doNotRetryWithError(platform::makeError(refusal));
  request->responseData(main, logged<platform::Data>("data"));
  runAttempt(200, {}, {});
  EXPECT_EQ(log->take().back(), "data failure(" + errorText(refusal) + ")");
}

TEST_F(DataResponseFixture, ACancelledRequestDeliversItsFailureWithoutARetryDecision) {
  request->responseData(main, logged<platform::Data>("data"));
  request->cancel();
  settle();
  EXPECT_EQ(log->take(),
            (Lines{"didCancel", "didFinish", "parsed " + cancelled, "delegate cleanup", "data " + cancelled}));
}

// The session never retries a cancelled request, so a retry the serializer
// asked for must not keep its completion from being delivered, whether the
// session answered before the cancel or after it.
TEST_F(DataResponseFixture, CancellingWhileASerializersRetryIsPendingStillDeliversTheCompletion) {
  delegate->retryAnswer = RetryResult::retry();
  for (const bool answeredFirst : {true, false}) {
    delegate->holdsAnswers = !answeredFirst;
    request = makeDataRequest(std::make_shared<DataEventLog>(log));
    request->responseData(main, logged<platform::Data>("data"));
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

TEST_F(DataResponseFixture, AHandlerAddedAfterFinishingRunsOnceOnTheGatheredBody) {
  request->responseData(main, logged<platform::Data>("first"));
  runAttempt(200, {}, {"abc"});
  log->take();
  request->responseData(main, logged<platform::Data>("late"));
  EXPECT_TRUE(request->isResumed());
  settle();
  EXPECT_EQ(log->take(), (Lines{"parsed success(3 bytes)", "delegate cleanup", "late success(3 bytes)"}));
  EXPECT_TRUE(request->isFinished());
}

using DataResponseDeathTest = DataResponseFixture;

TEST_F(DataResponseDeathTest, ARefusalWithAForeignErrorStopsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  delegate->retryAnswer = RetryResult::doNotRetryWithError(testError());
  request->responseData(main, logged<platform::Data>("data"));
  EXPECT_DEATH(runAttempt(200, {}, {}), "Received retryError was not already WNError");
}
