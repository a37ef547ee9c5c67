#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <string>
#include <vector>

#include "Platform/URLLoading/URLSessionConfiguration.h"
#include "Wendanet/Source/Support/Adapter.h"
#include "Wendanet/Source/Support/Interceptor.h"
#include "Wendanet/Source/Core/WNErrorCasts.h"
#include "Wendanet/Source/Support/Retrier.h"
#include "Wendanet/Source/Core/Session.h"
#include "Wendanet/Source/Core/Uploadable.h"
#include "tests/Wendanet/RecordingMonitor.h"
#include "tests/Wendanet/TestErrors.h"

using namespace wendanet;
using wendanet::testing::TestError;

namespace {

// Records the pipeline's events for one request, in the order they come.
class PipelineLog final : public EventMonitor {
  using R = const std::shared_ptr<Request>&;
  using T = const std::shared_ptr<platform::URLSessionTask>&;
  using U = const platform::URLRequest&;

 public:
  std::shared_ptr<platform::DispatchQueue> queue() const override { return queue_; }
  void requestDidCreateInitialURLRequest(R, U) override { add("initial"); }
  void requestDidFailToCreateURLRequestWithError(R, const WNError& error) override {
    add("failToCreate " + kind(error));
  }
  void requestDidAdaptInitialRequestToAdaptedRequest(R, U, U adapted) override {
    add("adapted " + adapted.valueForHTTPHeaderField("Order").value_or(""));
  }
  void requestDidFailToAdaptURLRequestWithError(R, U, const WNError& error) override {
    add("failToAdapt " + kind(error));
  }
  void requestDidCreateUploadable(const std::shared_ptr<UploadRequest>&, const Uploadable&) override {
    add("uploadable");
  }
  void requestDidFailToCreateUploadableWithError(const std::shared_ptr<UploadRequest>&, const WNError& error) override {
    add("failToCreateUploadable " + kind(error));
  }
  void requestDidCreateURLRequest(R, U) override { add("urlRequest"); }
  void requestDidCreateTask(R, T) override { add("task"); }
  void requestDidResumeTask(R, T) override { add("resumeTask"); }
  void requestDidFinish(R) override { add("finish"); }

  // The events once `last` has come.
  std::vector<std::string> eventsThrough(const std::string& last) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::seconds(30), [&] { return std::ranges::find(events_, last) != events_.end(); });
    return events_;
  }

 private:
  static std::string kind(const WNError& error) {
    if (error.isRequestAdaptationFailed()) {
      const auto inner = castToWNError(error.getUnderlyingError());
      return "requestAdaptationFailed(" + (inner ? kind(*inner) : std::string("foreign")) + ")";
    }
    if (error.isCreateURLRequestFailed()) return "createURLRequestFailed";
    if (error.isCreateUploadableFailed()) return "createUploadableFailed";
    if (std::holds_alternative<WNError::URLRequestValidationFailed>(error.value())) return "urlRequestValidationFailed";
    if (error.isMultipartEncodingFailed()) return "multipartEncodingFailed";
    if (error.isInvalidURL()) return "invalidURL";
    return error.errorDescription();
  }
  void add(std::string event) {
    std::lock_guard lock(mutex_);
    events_.push_back(std::move(event));
    changed_.notify_all();
  }

  const std::shared_ptr<platform::DispatchQueue> queue_ = platform::DispatchQueue::make("test.pipelineLog");
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> events_;
};

// Appends its name to the "Order" header.
std::shared_ptr<RequestInterceptor> orderMarker(std::string name) {
  class Marker final : public RequestInterceptor {
   public:
    explicit Marker(std::string name) : name_(std::move(name)) {}
    void adapt(const platform::URLRequest& request, const std::shared_ptr<Session>&, AdaptCompletion completion) override {
      auto adapted = request;
      const auto order = request.valueForHTTPHeaderField("Order");
      adapted.setValueForHTTPHeaderField(order ? *order + "," + name_ : name_, "Order");
      completion(adapted);
    }

   private:
    std::string name_;
  };
  return std::make_shared<Marker>(std::move(name));
}

class ThrowingConvertible final : public URLRequestConvertible {
 public:
  platform::URLRequest asURLRequest() const override { throw TestError(); }
};

class SessionPipelineTest : public ::testing::Test {
 protected:
  // An eager session whose requests never resume by themselves: tasks are
  // made but never sent.
  std::shared_ptr<Session> makeSession(std::shared_ptr<RequestInterceptor> interceptor = nullptr) {
    return Session::makeWithConfiguration(platform::URLSessionConfiguration::ephemeralConfiguration(), nullptr,
                                          platform::DispatchQueue::make("test.session"),
                                          {.startRequestsImmediately = false,
                                           .requestSetup = Session::RequestSetup::eager,
                                           .interceptor = std::move(interceptor),
                                           .eventMonitors = {log}});
  }
  static Session::URLRef url(const char* text = "http://127.0.0.1:9/get") {
    return std::make_shared<ConvertibleString>(text);
  }

  const std::shared_ptr<PipelineLog> log = std::make_shared<PipelineLog>();
};

}  // namespace

TEST_F(SessionPipelineTest, AnEagerRequestGetsItsTaskWithoutBeingResumed) {
  const auto session = makeSession();
  const auto request = session->requestWithParameters(url());
  EXPECT_EQ(log->eventsThrough("task"), (std::vector<std::string>{"initial", "urlRequest", "task"}));
  ASSERT_NE(request->task(), nullptr);
  EXPECT_EQ(request->task()->state(), platform::URLSessionTask::State::suspended);
}

TEST_F(SessionPipelineTest, TheSessionsAdapterRunsBeforeTheRequestsOwn) {
  const auto session = makeSession(orderMarker("session"));
  const auto request = session->requestWithParameters(url(), HTTPMethod::get(), std::nullopt, nullptr, std::nullopt,
                                                      orderMarker("request"));
  EXPECT_EQ(log->eventsThrough("task"),
            (std::vector<std::string>{"initial", "adapted session,request", "urlRequest", "task"}));
  EXPECT_EQ(request->request()->valueForHTTPHeaderField("Order"), "session,request");
}

TEST_F(SessionPipelineTest, URLRequestFailuresKeepAWNErrorAndWrapAnyOther) {
  const auto session = makeSession();
  platform::URLRequest getWithBody(*platform::URL::string("http://127.0.0.1:9/get"));
  getWithBody.setHTTPMethod("GET");
  getWithBody.setHTTPBody(platform::Data(std::string_view("body")));
  session->requestWithURLRequest(std::make_shared<ConvertibleURLRequest>(getWithBody));
  EXPECT_EQ(log->eventsThrough("finish"), (std::vector<std::string>{"failToCreate urlRequestValidationFailed", "finish"}));

  const auto other = std::make_shared<PipelineLog>();
  const auto throwing = Session::makeWithConfiguration(
      platform::URLSessionConfiguration::ephemeralConfiguration(), nullptr, platform::DispatchQueue::make("test.other"),
      {.requestSetup = Session::RequestSetup::eager, .eventMonitors = {other}});
  throwing->requestWithURLRequest(std::make_shared<ThrowingConvertible>());
  EXPECT_EQ(other->eventsThrough("finish"), (std::vector<std::string>{"failToCreate createURLRequestFailed", "finish"}));
}

TEST_F(SessionPipelineTest, AdaptationFailuresAreAlwaysWrapped) {
  const auto failing = Adapter::make([](const platform::URLRequest&, const std::shared_ptr<Session>&,
                                        AdaptCompletion completion) {
    completion(std::unexpected(platform::makeError(WNError::explicitlyCancelled())));
  });
  const auto session = makeSession(Interceptor::make(Interceptor::Adapters{failing}, {}, {}));
  session->requestWithParameters(url());
  const auto events = log->eventsThrough("finish");
  ASSERT_EQ(events.size(), 3U);
  EXPECT_EQ(events[0], "initial");
  EXPECT_TRUE(events[1].starts_with("failToAdapt requestAdaptationFailed(")) << events[1];
  EXPECT_EQ(events[1].find("createURLRequestFailed"), std::string::npos);
}

TEST_F(SessionPipelineTest, AnAdaptedGETWithABodyFailsAdaptation) {
  const auto addsBody = Adapter::make([](const platform::URLRequest& request, const std::shared_ptr<Session>&,
                                         AdaptCompletion completion) {
    auto adapted = request;
    adapted.setHTTPBody(platform::Data(std::string_view("x")));
    completion(adapted);
  });
  const auto session = makeSession(Interceptor::make(Interceptor::Adapters{addsBody}, {}, {}));
  session->requestWithParameters(url());
  EXPECT_EQ(log->eventsThrough("finish"),
            (std::vector<std::string>{"initial", "failToAdapt requestAdaptationFailed(urlRequestValidationFailed)",
                                      "finish"}));
}

TEST_F(SessionPipelineTest, AnUploadWhoseBodyCannotBeMadeGetsNoTask) {
  const auto session = makeSession();
  session->uploadMultipartClosureToURL(
      [](MultipartFormData& form) { form.append(platform::URL::fileURL("/nonexistent/wendanet-test.bin"), "file"); },
      url("http://127.0.0.1:9/post"));
  EXPECT_EQ(log->eventsThrough("finish"),
            (std::vector<std::string>{"initial", "failToCreateUploadable multipartEncodingFailed", "finish"}));
}

TEST_F(SessionPipelineTest, ARetriersRefusalReachesTheRequestAsRequestRetryFailed) {
  const auto refusing = Retrier::make(
      [](const std::shared_ptr<Request>&, const std::shared_ptr<Session>&, const platform::AnyError&,
         RetryCompletion completion) { completion(RetryResult::doNotRetryWithError(platform::makeError(TestError(3)))); });
  const auto session = makeSession(Interceptor::make({}, Interceptor::Retriers{refusing}, {}));
  std::promise<DataResponse<platform::Data>> delivered;
  session->requestWithURLRequest(std::make_shared<ThrowingConvertible>())
      ->responseData(session->rootQueue(), [&](const auto& response) { delivered.set_value(response); });
  const auto response = delivered.get_future().get();
  ASSERT_TRUE(response.error());
  EXPECT_TRUE(response.error()->isRequestRetryFailed()) << response.error()->errorDescription();
}

TEST_F(SessionPipelineTest, ALazyRequestStartsOnItsFirstResumeOnly) {
  const auto session = Session::makeWithConfiguration(platform::URLSessionConfiguration::ephemeralConfiguration(),
                                                      nullptr, platform::DispatchQueue::make("test.lazy"),
                                                      {.startRequestsImmediately = false, .eventMonitors = {log}});
  const auto request = session->requestWithURLRequest(std::make_shared<ThrowingConvertible>());
  session->rootQueue()->sync([] {});
  session->requestQueue()->sync([] {});
  session->rootQueue()->sync([] {});
  EXPECT_EQ(request->requests().size(), 0U);
  EXPECT_FALSE(request->error());
  request->resume();
  EXPECT_EQ(log->eventsThrough("finish"), (std::vector<std::string>{"failToCreate createURLRequestFailed", "finish"}));
}

TEST_F(SessionPipelineTest, ARequestResumedAgainBeforeItsTaskExistsIsPerformedOnce) {
  const auto session = Session::makeWithConfiguration(platform::URLSessionConfiguration::ephemeralConfiguration(),
                                                      nullptr, platform::DispatchQueue::make("test.twice"),
                                                      {.startRequestsImmediately = false, .eventMonitors = {log}});
  const auto request = session->requestWithParameters(url());
  {
    wendanet::testing::QueueGate gate(*session->rootQueue());
    request->resume();
    request->suspend();
    request->resume();
  }
  log->eventsThrough("task");
  // Any second perform would have made its task by now.
  session->rootQueue()->sync([] {});
  session->requestQueue()->sync([] {});
  session->rootQueue()->sync([] {});
  EXPECT_EQ(request->tasks().size(), 1U);
}
