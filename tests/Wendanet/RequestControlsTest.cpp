#include <gtest/gtest.h>

#include "Platform/Foundation/HTTPURLResponse.h"
#include "Wendanet/Source/Core/CompositeEventMonitor.h"
#include "Wendanet/Source/Core/Interceptor.h"
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
  EXPECT_EQ(log->lines(), (Lines{"http://example.com/1", "FakeTask <1> GET http://example.com/x",
                                 "http://example.com/2", "FakeTask <1> GET http://example.com/3"}));
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
  EXPECT_EQ(log->lines(), (Lines{"delegate retryResult " + errorText(WNError::sessionDeinitialized()),
                                 "$ curl -v \\\n\t-X GET \\\n\t\"http://example.com/x\"", "delegate cleanup",
                                 "didFinish"}));
}

TEST_F(RequestFixture, InterceptorsFoldIntoOneInterceptor) {
  const auto a = std::make_shared<RequestInterceptor>();
  const auto b = std::make_shared<RequestInterceptor>();
  const auto chain = [&] { return std::dynamic_pointer_cast<Interceptor>(request->interceptor()); };
  request->addInterceptor(a).addInterceptor(b).addAdapter(a).addRetrier(b);
  EXPECT_EQ(chain()->adapters(), (Interceptor::Adapters{a, b, a}));
  EXPECT_EQ(chain()->retriers(), (Interceptor::Retriers{a, b, b}));

  // Another kind of interceptor keeps its place and its role.
  const auto adapting = TestRequest::make({.underlyingQueue = underlying, .interceptor = a});
  adapting->addAdapter(b);
  const auto adaptingChain = std::dynamic_pointer_cast<Interceptor>(adapting->interceptor());
  EXPECT_EQ(adaptingChain->adapters(), (Interceptor::Adapters{b, a}));
  EXPECT_EQ(adaptingChain->retriers(), (Interceptor::Retriers{a}));
  const auto retrying = TestRequest::make({.underlyingQueue = underlying, .interceptor = a});
  retrying->addRetrier(b);
  const auto retryingChain = std::dynamic_pointer_cast<Interceptor>(retrying->interceptor());
  EXPECT_EQ(retryingChain->adapters(), (Interceptor::Adapters{a}));
  EXPECT_EQ(retryingChain->retriers(), (Interceptor::Retriers{b, a}));
}

TEST_F(RequestFixture, MonitorsFoldIntoOneComposite) {
  const auto existing = request->eventMonitor();
  const auto added = std::make_shared<EventMonitor>();
  request->addEventMonitors(added);
  const auto composite = std::dynamic_pointer_cast<CompositeEventMonitor>(request->eventMonitor());
  EXPECT_EQ(composite->queue(), underlying);
  EXPECT_EQ(composite->monitors(), (std::vector<std::shared_ptr<EventMonitor>>{existing, added}));

  const auto otherQueue = testQueue("org.wendanet.test.monitors");
  const auto extended = TestRequest::make(
      {.underlyingQueue = underlying, .eventMonitor = CompositeEventMonitor::make(otherQueue, {existing})});
  extended->addEventMonitors(added);
  const auto extendedComposite = std::dynamic_pointer_cast<CompositeEventMonitor>(extended->eventMonitor());
  EXPECT_EQ(extendedComposite->queue(), otherQueue);
  EXPECT_EQ(extendedComposite->monitors(), (std::vector<std::shared_ptr<EventMonitor>>{existing, added}));
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

TEST_F(RequestFixture, RequestsAreTheSameWhenTheirIdentifiersAre) {
  const auto twin = TestRequest::make({.id = request->id(), .underlyingQueue = testQueue("org.wendanet.test.twin")});
  request->cancel();
  EXPECT_EQ(*request, *twin);
  EXPECT_EQ(std::hash<Request>{}(*request), std::hash<Request>{}(*twin));
  EXPECT_FALSE(*request == *makeRequest());
}

using RequestControlsDeathTest = RequestFixture;

TEST_F(RequestControlsDeathTest, ARequestTakesOneRedirectAndOneCacheHandler) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  struct Redirects : RedirectHandler {
    void decideRedirect(const std::shared_ptr<platform::URLSessionTask>&, const platform::URLRequest& request,
                        const std::shared_ptr<const platform::HTTPURLResponse>&, Completion completion) override {
      completion(request);
    }
  };
  struct Caches : CachedResponseHandler {
    void decideCachedResponse(const std::shared_ptr<platform::URLSessionDataTask>&,
                              const std::shared_ptr<const platform::CachedURLResponse>& proposed,
                              Completion completion) override {
      completion(proposed);
    }
  };
  const auto redirects = std::make_shared<Redirects>();
  const auto caches = std::make_shared<Caches>();
  request->setRedirectHandler(redirects).setCachedResponseHandler(caches);
  EXPECT_DEATH(request->setRedirectHandler(redirects), "already has a redirect handler");
  EXPECT_DEATH(request->setCachedResponseHandler(caches), "already has a cached response handler");
  EXPECT_EQ(request->redirectHandler(), redirects);
}
