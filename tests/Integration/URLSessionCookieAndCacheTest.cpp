#include <gtest/gtest.h>

#include "Platform/Foundation/URLError.h"
#include "Platform/URLLoading/HTTPCookieStorage.h"
#include "Platform/URLLoading/URLCache.h"
#include "tests/Integration/DecidingSessionTest.h"
#include "tests/servers/HttpbinServer.h"

using namespace platform;
using testservers::HttpbinServer;
using FetchType = URLSessionTaskTransactionMetrics::ResourceFetchType;

namespace {

using URLSessionCookies = DecidingSessionTest;
using URLSessionCache = DecidingSessionTest;

}  // namespace

TEST_F(URLSessionCookies, ACookieSetOnARedirectIsSentToItsTarget) {
  const auto record = run(httpbinRequest("/cookies/set?a=b"));
  ASSERT_EQ(record.errorCode(), 0);
  EXPECT_EQ(bodyJSON(record), nlohmann::json::parse(R"({"cookies": {"a": "b"}})"));
  const auto stored = session->configuration()->httpCookieStorage()->cookies(*httpbinRequest("/").url());
  ASSERT_TRUE(stored && stored->size() == 1);
  EXPECT_EQ(stored->front().name, "a");
  EXPECT_EQ(stored->front().domain, "127.0.0.1");
  EXPECT_TRUE(stored->front().isHostOnly);

  const auto deleted = run(httpbinRequest("/cookies/delete?a"));
  EXPECT_EQ(bodyJSON(deleted), nlohmann::json::parse(R"({"cookies": {}})"));
}

TEST_F(URLSessionCookies, CookiesAreStoredButNotSentWhenTheConfigurationSaysNo) {
  auto configuration = URLSessionConfiguration::ephemeralConfiguration();
  configuration->setHTTPShouldSetCookies(false);
  remakeSession(configuration);
  const auto record = run(httpbinRequest("/cookies/set?a=b"));
  EXPECT_EQ(bodyJSON(record), nlohmann::json::parse(R"({"cookies": {}})"));
  EXPECT_EQ(configuration->httpCookieStorage()->cookies().size(), 1u);
}

TEST_F(URLSessionCookies, TheRequestsOwnCookieFieldWins) {
  run(httpbinRequest("/cookies/set?a=b"));
  auto request = httpbinRequest("/cookies");
  request.setValueForHTTPHeaderField("own=1", "Cookie");
  EXPECT_EQ(bodyJSON(run(request)), nlohmann::json::parse(R"({"cookies": {"own": "1"}})"));
}

TEST_F(URLSessionCache, AFreshResponseIsOfferedOnceAndThenServedFromTheCache) {
  const auto first = run(httpbinRequest("/cache/60"));
  ASSERT_EQ(first.errorCode(), 0);
  ASSERT_EQ(delegate->cacheOffers().size(), 1u);
  // After the last data, before the metrics.
  EXPECT_EQ(delegate->eventsBeforeCacheOffer(), std::vector<std::string>(first.events.begin(), first.events.end() - 2));
  EXPECT_EQ(first.events.back(), "complete");
  EXPECT_EQ(delegate->cacheOffers()[0]->data(), first.data);
  EXPECT_EQ(fetchType(first), FetchType::networkLoad);

  const auto second = run(httpbinRequest("/cache/60"));
  ASSERT_EQ(second.errorCode(), 0);
  EXPECT_EQ(fetchType(second), FetchType::localCache);
  EXPECT_EQ(second.metrics->transactionMetrics.size(), 1u);
  EXPECT_EQ(second.data, first.data);
  EXPECT_EQ(statusCode(second), 200);
  EXPECT_EQ(delegate->cacheOffers().size(), 1u);
  EXPECT_EQ(second.events.front(), "response");
}

TEST_F(URLSessionCache, OnlyWhatTheDelegateAnswersIsStored) {
  delegate->answerCacheOffersWith([](const std::shared_ptr<CachedURLResponse>&) { return nullptr; });
  run(httpbinRequest("/cache/60"));
  EXPECT_EQ(delegate->cacheOffers().size(), 1u);
  EXPECT_EQ(fetchType(run(httpbinRequest("/cache/60"))), FetchType::networkLoad);
  EXPECT_EQ(session->configuration()->urlCache()->currentMemoryUsage(), 0u);
}

TEST_F(URLSessionCache, WhatIsNotFreshOrNotAskedForFromTheCacheGoesToTheNetwork) {
  // Stored, but without a lifetime it is never fresh.
  run(httpbinRequest("/get"));
  EXPECT_EQ(delegate->cacheOffers().size(), 1u);
  EXPECT_EQ(fetchType(run(httpbinRequest("/get"))), FetchType::networkLoad);
  // Unless the request prefers what is stored.
  auto preferring = httpbinRequest("/get");
  preferring.setCachePolicy(URLRequest::CachePolicy::returnCacheDataElseLoad);
  EXPECT_EQ(fetchType(run(preferring)), FetchType::localCache);

  run(httpbinRequest("/cache/60"));
  auto reloading = httpbinRequest("/cache/60");
  reloading.setCachePolicy(URLRequest::CachePolicy::reloadIgnoringLocalCacheData);
  EXPECT_EQ(fetchType(run(reloading)), FetchType::networkLoad);

  auto offline = httpbinRequest("/cache/30");
  offline.setCachePolicy(URLRequest::CachePolicy::returnCacheDataDontLoad);
  const auto missing = run(offline);
  EXPECT_EQ(missing.errorCode(), -1008);
  EXPECT_EQ(missing.metrics->transactionMetrics.size(), 0u);
}

TEST_F(URLSessionCache, NoStoreAndPostAreNotOffered) {
  run(httpbinRequest("/response-headers?Cache-Control=no-store"));
  auto post = httpbinRequest("/post");
  post.setHTTPMethod("POST");
  run(post);
  EXPECT_TRUE(delegate->cacheOffers().empty());
}
