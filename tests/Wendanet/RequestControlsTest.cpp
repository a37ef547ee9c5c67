#include <gtest/gtest.h>

#include "Platform/Foundation/HTTPURLResponse.h"
#include "Wendanet/Source/Support/CompositeEventMonitor.h"
#include "Wendanet/Source/Support/Interceptor.h"
#include "Wendanet/Source/Core/Request.h"
#include "tests/Wendanet/RequestTestDoubles.h"

using namespace wendanet;
using namespace wendanet::testing;
using Lines = std::vector<std::string>;

TEST_F(RequestFixture, CreationHooksSeeTheLatestAndEveryLaterRequestAndTask) {
  onQueue([&] { request->didCreateInitialURLRequest(makeURLRequest("http://example.com/1")); });
  addTask();
  request->onURLRequestCreation(underlying, [this](const auto& urlRequest) { log->add(urlRequest.description()); });
  request->onURLSessionTaskCreation(underlying, [this](const auto& task) { log->add(task->description()); });
  settle();
  onQueue([&] { request->didCreateURLRequest(makeURLRequest("http://example.com/2")); });
  addTask("http://example.com/3");
  EXPECT_EQ(log->take(), (Lines{"http://example.com/1", "FakeTask <1> GET http://example.com/x", "http://example.com/2",
                                "FakeTask <1> GET http://example.com/3"}));
}

TEST_F(RequestFixture, AWaitingCURLHandlerIsDeliveredOnceAndOnlyTheLatest) {
  request->cURLDescription([this](const std::string&) { log->add("first"); });
  request->cURLDescription([this](const std::string& text) { log->add(text); });
  const auto urlRequest = makeURLRequest("http://example.com/x");
  onQueue([&] {
    request->didCreateInitialURLRequest(urlRequest);
    request->didCreateURLRequest(urlRequest);
    request->didFailToAdaptURLRequest(urlRequest, WNError::sessionDeinitialized());
  });
  EXPECT_EQ(log->take(),
            (Lines{"delegate retryResult " + errorText(WNError::sessionDeinitialized()),
                   "$ curl -v \\\n\t-X GET \\\n\t\"http://example.com/x\"", "delegate cleanup", "didFinish"}));
}

TEST_F(RequestFixture, InterceptorsFoldIntoOneInterceptor) {
  const auto a = std::make_shared<RequestInterceptor>();
  const auto b = std::make_shared<RequestInterceptor>();
  using Chains = std::pair<Interceptor::Adapters, Interceptor::Retriers>;
  const auto chains = [](const Request& folded) {
    const auto chain = std::dynamic_pointer_cast<Interceptor>(folded.interceptor());
    return Chains(chain->adapters(), chain->retriers());
  };
  EXPECT_EQ(chains(request->addInterceptor(a).addInterceptor(b).addAdapter(a).addRetrier(b)),
            Chains({a, b, a}, {a, b, b}));
  // Another kind of interceptor keeps its place and its role.
  const auto holdingA = [&] { return TestRequest::make({.underlyingQueue = underlying, .interceptor = a}); };
  EXPECT_EQ(chains(holdingA()->addAdapter(b)), Chains({b, a}, {a}));
  EXPECT_EQ(chains(holdingA()->addRetrier(b)), Chains({a}, {b, a}));
}

TEST_F(RequestFixture, MonitorsFoldIntoOneComposite) {
  const auto existing = request->eventMonitor();
  const auto added = std::make_shared<EventMonitor>();
  request->addEventMonitors(added).addEventMonitors(added);
  const auto composite = std::dynamic_pointer_cast<CompositeEventMonitor>(request->eventMonitor());
  EXPECT_EQ(composite->queue(), underlying);
  EXPECT_EQ(composite->monitors(), (std::vector<std::shared_ptr<EventMonitor>>{existing, added, added}));
}

TEST_F(RequestFixture, DescriptionShowsTheLatestPerformedRequestAndItsStatus) {
  EXPECT_EQ(request->description(), "No request created yet.");
  onQueue([&] { request->didCreateInitialURLRequest(makeURLRequest("http://example.com/a", "POST")); });
  EXPECT_EQ(request->description(), "POST http://example.com/a");
  const auto task = addTask("http://example.com/b");
  EXPECT_EQ(request->description(), "GET http://example.com/b");
  task->complete(platform::HTTPURLResponse::make(*platform::URL::string("http://example.com/b"), 404, {}));
  EXPECT_EQ(request->description(), "GET http://example.com/b (404)");
}

using RequestControlsDeathTest = RequestFixture;

TEST_F(RequestControlsDeathTest, ARequestTakesOneRedirectHandler) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  struct Follows : RedirectHandler {
    void decideRedirect(const std::shared_ptr<platform::URLSessionTask>&, const platform::URLRequest& request,
                        const std::shared_ptr<const platform::HTTPURLResponse>&, Completion completion) override {
      completion(request);
    }
  };
  const auto follows = std::make_shared<Follows>();
  request->setRedirectHandler(follows);
  EXPECT_DEATH(request->setRedirectHandler(follows), "The request already has a redirect handler.");
  EXPECT_EQ(request->redirectHandler(), follows);
}
