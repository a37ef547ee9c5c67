#include <gtest/gtest.h>

#include "Platform/Foundation/HTTPURLResponse.h"
#include "Platform/URLLoading/URLCache.h"

using namespace platform;

namespace {

URLRequest request(const std::string& url) { return URLRequest(URL::string(url)); }

std::shared_ptr<CachedURLResponse> cached(
    std::size_t bodySize, CachedURLResponse::StoragePolicy policy = CachedURLResponse::StoragePolicy::allowed) {
  return CachedURLResponse::make(HTTPURLResponse::make(*URL::string("http://example.com/"), 200, {}),
                                 Data(std::string(bodySize, 'x')), policy);
}

}  // namespace

TEST(URLCache, FindsByURLWithoutFragmentAndReplaces) {
  const auto cache = URLCache::make(1000);
  const auto first = cached(10);
  cache->storeCachedResponse(first, request("http://example.com/a#one"));
  EXPECT_EQ(cache->cachedResponse(request("http://example.com/a#two")), first);
  EXPECT_FALSE(cache->cachedResponse(request("http://example.com/a?q")));
  EXPECT_FALSE(cache->cachedResponse(URLRequest()));
  const auto before = Date::now();
  const auto second = cached(20);
  cache->storeCachedResponse(second, request("http://example.com/a"));
  const auto entry = cache->entry(request("http://example.com/a"));
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->response, second);
  EXPECT_GE(entry->storedDate, before);
  EXPECT_EQ(cache->currentMemoryUsage(), std::string("http://example.com/a").size() + 20);
}

TEST(URLCache, AResponseThatMayNotBeKeptOnlyRemovesTheOldOne) {
  const auto cache = URLCache::make(1000);
  cache->storeCachedResponse(cached(10), request("http://example.com/a"));
  cache->storeCachedResponse(cached(10, CachedURLResponse::StoragePolicy::notAllowed), request("http://example.com/a"));
  EXPECT_FALSE(cache->cachedResponse(request("http://example.com/a")));
  cache->storeCachedResponse(cached(10), request("http://example.com/a"));
  cache->storeCachedResponse(cached(2000), request("http://example.com/a"));
  EXPECT_FALSE(cache->cachedResponse(request("http://example.com/a")));
  EXPECT_EQ(cache->currentMemoryUsage(), 0u);
}

TEST(URLCache, TheLeastRecentlyUsedGoFirstWhenFull) {
  const auto cache = URLCache::make(300);
  for (const char* path : {"http://example.com/1", "http://example.com/2", "http://example.com/3"}) {
    cache->storeCachedResponse(cached(80), request(path));
  }
  cache->cachedResponse(request("http://example.com/1"));
  cache->storeCachedResponse(cached(80), request("http://example.com/4"));
  EXPECT_TRUE(cache->cachedResponse(request("http://example.com/1")));
  EXPECT_FALSE(cache->cachedResponse(request("http://example.com/2")));
  EXPECT_TRUE(cache->cachedResponse(request("http://example.com/4")));
  EXPECT_LE(cache->currentMemoryUsage(), 300u);
  cache->removeAllCachedResponses();
  EXPECT_EQ(cache->currentMemoryUsage(), 0u);
}

// Storing a URL again makes it the most recently used, and its new size is
// what counts against the capacity.
TEST(URLCache, AReplacedResponseIsTheMostRecentlyUsed) {
  const auto cache = URLCache::make(300);
  for (const char* path : {"http://example.com/1", "http://example.com/2", "http://example.com/3"}) {
    cache->storeCachedResponse(cached(80), request(path));
  }
  const auto replacement = cached(60);
  cache->storeCachedResponse(replacement, request("http://example.com/1"));
  EXPECT_EQ(cache->currentMemoryUsage(), 3 * std::string("http://example.com/1").size() + 80 + 80 + 60);
  cache->storeCachedResponse(cached(80), request("http://example.com/4"));
  EXPECT_EQ(cache->cachedResponse(request("http://example.com/1")), replacement);
  EXPECT_FALSE(cache->cachedResponse(request("http://example.com/2")));
  cache->storeCachedResponse(cached(250), request("http://example.com/1"));
  EXPECT_FALSE(cache->cachedResponse(request("http://example.com/3")));
  EXPECT_FALSE(cache->cachedResponse(request("http://example.com/4")));
  EXPECT_TRUE(cache->cachedResponse(request("http://example.com/1")));
  EXPECT_LE(cache->currentMemoryUsage(), 300u);
}

TEST(URLCache, AConditionalReplacementTouchesOnlyAnEntryItAccepts) {
  const auto cache = URLCache::make(1000);
  const auto url = request("http://example.com/a");
  const auto old = cached(10);
  const auto isOld = [&](const CachedURLResponse& stored) { return &stored == old.get(); };
  cache->replaceCachedResponse(url, isOld, cached(5));
  EXPECT_FALSE(cache->cachedResponse(url));

  cache->storeCachedResponse(old, url);
  cache->replaceCachedResponse(url, [](const CachedURLResponse&) { return false; }, cached(5));
  EXPECT_EQ(cache->cachedResponse(url), old);
  const auto replacement = cached(5);
  cache->replaceCachedResponse(url, isOld, replacement);
  EXPECT_EQ(cache->cachedResponse(url), replacement);
  EXPECT_EQ(cache->currentMemoryUsage(), std::string("http://example.com/a").size() + 5);

  cache->storeCachedResponse(old, url);
  cache->replaceCachedResponse(url, isOld, nullptr);
  EXPECT_FALSE(cache->cachedResponse(url));
  EXPECT_EQ(cache->currentMemoryUsage(), 0u);
}
