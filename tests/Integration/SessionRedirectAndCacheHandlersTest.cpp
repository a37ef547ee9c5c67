#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>

#include "Platform/URLLoading/URLCache.h"
#include "Wendanet/Source/Support/Redirector.h"
#include "Wendanet/Source/Support/ResponseCacher.h"
#include "tests/Integration/SessionHttpbinTest.h"

using namespace wendanet;
using namespace wendanet::testing;
using FetchType = platform::URLSessionTaskTransactionMetrics::ResourceFetchType;

namespace {

class SessionHandlers : public SessionHttpbin {
 protected:
  // A session of its own, so that its cache starts empty.
  static std::shared_ptr<Session> sessionWith(Session::Settings settings) {
    return Session::makeWithConfiguration(nullptr, nullptr,
                                          platform::DispatchQueue::make(std::string(Session::defaultRootQueueLabel)),
                                          std::move(settings));
  }

  DataResponse<std::optional<platform::Data>> get(const std::shared_ptr<Session>& through, const std::string& path,
                                                  std::shared_ptr<RedirectHandler> redirects = nullptr,
                                                  std::shared_ptr<CachedResponseHandler> caching = nullptr) {
    OneResponse<DataResponse<std::optional<platform::Data>>> outcome;
    const auto request = through->requestWithParameters(url(path));
    if (redirects) request->setRedirectHandler(std::move(redirects));
    if (caching) request->setCachedResponseHandler(std::move(caching));
    request->response(handlers, outcome.handler());
    return outcome.get();
  }

  static FetchType fetchType(const DataResponse<std::optional<platform::Data>>& response) {
    return response.metrics()->transactionMetrics.back().resourceFetchType;
  }
};

}  // namespace

TEST_F(SessionHandlers, ARedirectorStopsFollowsOrRewritesEachHop) {
  expectDelivered(get(session, "/redirect/3", Redirector::doNotFollow()), 302);
  expectDelivered(get(session, "/redirect/3", Redirector::follow()), 200);

  std::atomic<int> hops = 0;
  const auto rewrite = Redirector::modify([&](const auto&, const platform::URLRequest& request, const auto& response) {
    ++hops;
    EXPECT_EQ(response->statusCode(), 302);
    auto rewritten = request;
    rewritten.setURL(platform::URL::string(testservers::HttpbinServer::shared().baseURL() + "/get?rewritten=1"));
    return std::optional(rewritten);
  });
  const auto response = get(session, "/redirect-to?url=%2Fget%3Fb%3D2", rewrite);
  expectDelivered(response);
  EXPECT_EQ(hops.load(), 1);
  EXPECT_NE(response.value()->value().view().find("\"rewritten\""), std::string::npos);

  const auto stopping = Redirector::modify([](const auto&, const auto&, const auto&) { return std::nullopt; });
  expectDelivered(get(session, "/redirect/2", stopping), 302);
}

TEST_F(SessionHandlers, ASessionWideRedirectorAppliesUnlessTheRequestHasItsOwn) {
  const auto refusing = sessionWith({.redirectHandler = Redirector::doNotFollow()});
  expectDelivered(get(refusing, "/redirect/1"), 302);
  expectDelivered(get(refusing, "/redirect/1", Redirector::follow()), 200);
}

TEST_F(SessionHandlers, AResponseIsServedFromTheCacheOnlyWhenTheCacherStoredIt) {
  const auto notCaching = sessionWith({.cachedResponseHandler = ResponseCacher::doNotCache()});
  expectDelivered(get(notCaching, "/cache/60"));
  EXPECT_EQ(fetchType(get(notCaching, "/cache/60")), FetchType::networkLoad);
  // The request's own cacher wins over the session's.
  expectDelivered(get(notCaching, "/cache/30", nullptr, ResponseCacher::cache()));
  EXPECT_EQ(fetchType(get(notCaching, "/cache/30", nullptr, ResponseCacher::cache())), FetchType::localCache);

  std::atomic<int> offers = 0;
  const auto caching = sessionWith({.cachedResponseHandler = ResponseCacher::modify([&](const auto&, const auto& proposed) {
    ++offers;
    return proposed;
  })});
  expectDelivered(get(caching, "/cache/60"));
  EXPECT_EQ(fetchType(get(caching, "/cache/60")), FetchType::localCache);
  EXPECT_EQ(offers.load(), 1);
}
