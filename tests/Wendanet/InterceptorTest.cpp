#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "Platform/Foundation/URLRequest.h"
#include "Platform/Foundation/UUID.h"
#include "Wendanet/Source/Support/Interceptor.h"
#include "tests/Wendanet/FakeHandles.h"
#include "tests/Wendanet/TestErrors.h"

using namespace wendanet;
using platform::URLRequest;
using wendanet::testing::fakeHandle;
using wendanet::testing::testError;

namespace {

// Takes part in both chains, writing down each time it is asked.
class ScriptedInterceptor : public RequestInterceptor {
 public:
  ScriptedInterceptor(std::string name, std::vector<std::string>& log, std::optional<RetryResult> answer = {})
      : name_(std::move(name)), log_(log), answer_(std::move(answer)) {}

  void adapt(const URLRequest& urlRequest, const std::shared_ptr<Session>&, AdaptCompletion completion) override {
    log_.push_back("adapt " + name_);
    URLRequest adapted = urlRequest;
    adapted.addValueForHTTPHeaderField(name_, "X-Path");
    completion(adapted);
  }
  void retry(const std::shared_ptr<Request>& request, const std::shared_ptr<Session>& session,
             const platform::AnyError& error, RetryCompletion completion) override {
    log_.push_back("retry " + name_);
    if (!answer_) return RequestInterceptor::retry(request, session, error, std::move(completion));
    completion(*answer_);
  }

 private:
  std::string name_;
  std::vector<std::string>& log_;
  std::optional<RetryResult> answer_;
};

AdaptResult adaptNow(RequestAdapter& adapter, const URLRequest& request = URLRequest()) {
  std::optional<AdaptResult> answer;
  adapter.adapt(request, nullptr, [&](AdaptResult result) { answer = std::move(result); });
  return *answer;
}

RetryResult retryNow(RequestRetrier& retrier, const platform::AnyError& error = testError()) {
  std::optional<RetryResult> answer;
  retrier.retry(nullptr, nullptr, error, [&](RetryResult result) { answer = std::move(result); });
  return *answer;
}

template <class Case>
bool is(const RetryResult& result) {
  return std::holds_alternative<Case>(result.value());
}

}  // namespace

TEST(Interceptor, EmptyChainsAnswerAtOnceWithoutChange) {
  const auto interceptor = Interceptor::make({}, {}, {});
  const URLRequest request(platform::URL::string("https://h/"));
  EXPECT_EQ(adaptNow(*interceptor, request), request);
  EXPECT_TRUE(is<RetryResult::DoNotRetry>(retryNow(*interceptor)));
}

TEST(Interceptor, ArraysAdaptWithAdaptersThenInterceptorsAndRetryWithRetriersThenInterceptors) {
  std::vector<std::string> log;
  const auto a = std::make_shared<ScriptedInterceptor>("A", log);
  const auto r = std::make_shared<ScriptedInterceptor>("R", log);
  const auto i = std::make_shared<ScriptedInterceptor>("I", log);
  const auto interceptor = Interceptor::make({a}, {r}, {i});
  EXPECT_EQ(interceptor->adapters(), (Interceptor::Adapters{a, i}));
  EXPECT_EQ(interceptor->retriers(), (Interceptor::Retriers{r, i}));

  EXPECT_EQ(adaptNow(*interceptor)->valueForHTTPHeaderField("X-Path"), "A,I");
  EXPECT_TRUE(is<RetryResult::DoNotRetry>(retryNow(*interceptor)));
  EXPECT_EQ(log, (std::vector<std::string>{"adapt A", "adapt I", "retry R", "retry I"}));
}

TEST(Interceptor, TheFirstFailingAdapterEndsTheChainWithItsOwnError) {
  const auto error = testError(9);
  int laterCalls = 0;
  const auto interceptor = Interceptor::make(
      {Adapter::make([&](const URLRequest&, const std::shared_ptr<Session>&, AdaptCompletion completion) {
         completion(std::unexpected(error));
       }),
       Adapter::make([&](const URLRequest& request, const std::shared_ptr<Session>&, AdaptCompletion completion) {
         ++laterCalls;
         completion(request);
       })},
      {}, {});
  EXPECT_EQ(adaptNow(*interceptor).error(), error);
  EXPECT_EQ(laterCalls, 0);
}

TEST(Interceptor, TheFirstAnswerOtherThanDoNotRetryDecides) {
  std::vector<std::string> log;
  const auto error = testError(3);
  const auto interceptor =
      Interceptor::make({},
                        {std::make_shared<ScriptedInterceptor>("1", log, RetryResult::doNotRetry()),
                         std::make_shared<ScriptedInterceptor>("2", log, RetryResult::doNotRetryWithError(error)),
                         std::make_shared<ScriptedInterceptor>("3", log, RetryResult::retry())},
                        {});
  const RetryResult answer = retryNow(*interceptor);
  ASSERT_TRUE(is<RetryResult::DoNotRetryWithError>(answer));
  EXPECT_EQ(std::get<RetryResult::DoNotRetryWithError>(answer.value()).error, error);
  EXPECT_EQ(log, (std::vector<std::string>{"retry 1", "retry 2"}));

  log.clear();
  const auto refusing = Interceptor::make(
      {}, {std::make_shared<ScriptedInterceptor>("1", log), std::make_shared<ScriptedInterceptor>("2", log)}, {});
  EXPECT_TRUE(is<RetryResult::DoNotRetry>(retryNow(*refusing)));
  EXPECT_EQ(log, (std::vector<std::string>{"retry 1", "retry 2"}));
}

TEST(Interceptor, EveryRetrierSeesTheSameError) {
  const auto error = testError(5);
  std::vector<platform::AnyError> seen;
  const auto record = [&](const std::shared_ptr<Request>&, const std::shared_ptr<Session>&,
                          const platform::AnyError& failure, RetryCompletion completion) {
    seen.push_back(failure);
    completion(RetryResult::doNotRetry());
  };
  retryNow(*Interceptor::make({}, {Retrier::make(record), Retrier::make(record)}, {}), error);
  EXPECT_EQ(seen, (std::vector<platform::AnyError>{error, error}));
}

TEST(Interceptor, ChainsGoOnOnTheThreadThatCompletedTheStep) {
  std::thread worker;
  const auto later =
      Adapter::make([&](const URLRequest& request, const std::shared_ptr<Session>&, AdaptCompletion completion) {
        worker = std::thread([request, completion = std::move(completion)]() mutable { completion(request); });
      });
  std::vector<std::string> log;
  const auto interceptor = Interceptor::make({later, std::make_shared<ScriptedInterceptor>("B", log)}, {}, {});
  std::optional<std::thread::id> completedOn;
  interceptor->adapt(URLRequest(), nullptr, [&](AdaptResult result) {
    EXPECT_EQ(result->valueForHTTPHeaderField("X-Path"), "B");
    completedOn = std::this_thread::get_id();
  });
  const auto workerID = worker.get_id();
  worker.join();
  EXPECT_EQ(completedOn, workerID);
}

TEST(Interceptor, HandlersAndSingleElementsMakeOneOfEach) {
  const auto fromHandlers =
      Interceptor::make([](const URLRequest& request, const std::shared_ptr<Session>&,
                           AdaptCompletion completion) { completion(request); },
                        [](const std::shared_ptr<Request>&, const std::shared_ptr<Session>&, const platform::AnyError&,
                           RetryCompletion completion) { completion(RetryResult::retryWithDelay(2)); });
  EXPECT_EQ(fromHandlers->adapters().size(), 1u);
  EXPECT_EQ(fromHandlers->retriers().size(), 1u);
  EXPECT_TRUE(is<RetryResult::RetryWithDelay>(retryNow(*fromHandlers)));

  std::vector<std::string> log;
  const auto both = std::make_shared<ScriptedInterceptor>("X", log);
  const auto fromElements = Interceptor::make(both, both);
  EXPECT_EQ(fromElements->adapters(), Interceptor::Adapters{both});
  EXPECT_EQ(fromElements->retriers(), Interceptor::Retriers{both});
}

TEST(Interceptor, AdaptersAndRetriersKeepTheDefaultsOfTheRoleTheyDoNotTake) {
  const auto adapter = Adapter::make(
      [](const URLRequest&, const std::shared_ptr<Session>&, AdaptCompletion c) { c(std::unexpected(testError())); });
  EXPECT_TRUE(is<RetryResult::DoNotRetry>(retryNow(*adapter)));

  const auto retrier = Retrier::make([](const std::shared_ptr<Request>&, const std::shared_ptr<Session>&,
                                        const platform::AnyError&, RetryCompletion c) { c(RetryResult::retry()); });
  const URLRequest request(platform::URL::string("https://h/"));
  EXPECT_EQ(adaptNow(*retrier, request), request);
  std::optional<AdaptResult> viaState;
  retrier->adaptWithState(request, {platform::UUID(), nullptr}, [&](AdaptResult result) { viaState = result; });
  EXPECT_EQ(*viaState, request);
}

TEST(Interceptor, AdaptingWithStateHandsEveryAdapterTheSameStateAndAdaptersItsSession) {
  const auto session = fakeHandle<Session>();
  const RequestAdapterState state{platform::UUID(), session};
  std::vector<std::shared_ptr<Session>> sessions;
  const auto adapter =
      Adapter::make([&](const URLRequest& request, const std::shared_ptr<Session>& given, AdaptCompletion completion) {
        sessions.push_back(given);
        completion(request);
      });
  // Sees the whole state, not only its session.
  class StateReader : public RequestInterceptor {
   public:
    void adaptWithState(const URLRequest& request, const RequestAdapterState& given,
                        AdaptCompletion completion) override {
      ids.push_back(given.requestID);
      completion(request);
    }
    std::vector<platform::UUID> ids;
  };
  const auto reader = std::make_shared<StateReader>();
  const auto interceptor = Interceptor::make({adapter, reader, reader, adapter}, {}, {});
  bool completed = false;
  interceptor->adaptWithState(URLRequest(), state, [&](const AdaptResult& result) { completed = result.has_value(); });
  EXPECT_TRUE(completed);
  EXPECT_EQ(sessions, (std::vector<std::shared_ptr<Session>>{session, session}));
  EXPECT_EQ(reader->ids, (std::vector<platform::UUID>{state.requestID, state.requestID}));
}

TEST(InterceptorDeathTest, MissingPartsStopWithAMessage) {
  EXPECT_DEATH(Interceptor::make({nullptr}, {}, {}), "An Interceptor cannot hold a null adapter or retrier.");
  EXPECT_DEATH(Adapter::make(nullptr), "An Adapter needs an adapt handler.");
  EXPECT_DEATH(Retrier::make(nullptr), "A Retrier needs a retry handler.");
}
