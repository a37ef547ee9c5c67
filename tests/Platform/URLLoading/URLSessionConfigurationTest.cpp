#include "Platform/URLLoading/URLSessionConfiguration.h"

#include <gtest/gtest.h>

#include "Platform/Foundation/URLRequest.h"

using namespace platform;

TEST(URLSessionConfiguration, DefaultsAreThePlatforms) {
  const auto configuration = URLSessionConfiguration::defaultConfiguration();
  EXPECT_EQ(configuration->identifier(), std::nullopt);
  EXPECT_EQ(configuration->httpAdditionalHeaders(), std::nullopt);
  EXPECT_TRUE(configuration->httpShouldSetCookies());
  EXPECT_EQ(configuration->timeoutIntervalForRequest(), 60);
  EXPECT_EQ(configuration->timeoutIntervalForResource(), 7 * 24 * 60 * 60);
  EXPECT_EQ(configuration->httpMaximumConnectionsPerHost(), 6);
  EXPECT_EQ(configuration->httpCookieStorage(), HTTPCookieStorage::shared());
  EXPECT_EQ(configuration->urlCredentialStorage(), URLCredentialStorage::shared());
  EXPECT_EQ(configuration->urlCache(), URLCache::shared());
}

TEST(URLSessionConfiguration, EphemeralOnesKeepTheirStoresToThemselves) {
  const auto first = URLSessionConfiguration::ephemeralConfiguration();
  const auto second = URLSessionConfiguration::ephemeralConfiguration();
  EXPECT_NE(first->httpCookieStorage(), HTTPCookieStorage::shared());
  EXPECT_NE(first->httpCookieStorage(), second->httpCookieStorage());
  EXPECT_NE(first->urlCredentialStorage(), second->urlCredentialStorage());
  EXPECT_NE(first->urlCache(), second->urlCache());
}

TEST(URLSessionConfiguration, FactoriesAndCopiesGiveIndependentObjects) {
  const auto first = URLSessionConfiguration::defaultConfiguration();
  const auto second = URLSessionConfiguration::defaultConfiguration();
  EXPECT_NE(first, second);
  first->setHTTPAdditionalHeaders(HTTPHeaderFields{{"User-Agent", "a"}});
  const auto copy = first->copy();
  first->setHTTPAdditionalHeaders(HTTPHeaderFields{{"User-Agent", "b"}});
  first->setTimeoutIntervalForRequest(5);
  EXPECT_EQ(copy->httpAdditionalHeaders(), (HTTPHeaderFields{{"User-Agent", "a"}}));
  EXPECT_EQ(copy->timeoutIntervalForRequest(), 60);
  EXPECT_EQ(second->httpAdditionalHeaders(), std::nullopt);
  EXPECT_EQ(copy->httpCookieStorage(), first->httpCookieStorage());
}

TEST(URLSessionConfiguration, ARequestKeepsItsOwnTimeOutUnlessItIsTheDefault) {
  auto configuration = URLSessionConfiguration::defaultConfiguration();
  configuration->setTimeoutIntervalForRequest(15);
  EXPECT_EQ(configuration->effectiveTimeoutInterval(URLRequest::defaultTimeoutInterval), 15);
  EXPECT_EQ(configuration->effectiveTimeoutInterval(1), 1);
  EXPECT_EQ(configuration->effectiveTimeoutInterval(120), 120);
}
