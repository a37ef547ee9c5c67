#include <gtest/gtest.h>

#include "Platform/URLLoading/Engine/CacheRules.h"

using namespace platform;

namespace {

const Date stored{1'000'000'000};
// "Sun, 09 Sep 2001 01:46:40 GMT" is `stored`.
const std::string storedText = "Sun, 09 Sep 2001 01:46:40 GMT";

std::shared_ptr<HTTPURLResponse> response(HTTPHeaderFields fields, int status = 200) {
  return HTTPURLResponse::make(*URL::string("http://example.com/"), status, fields);
}

URLRequest request(std::optional<std::string> method = std::nullopt, HTTPHeaderFields fields = {}) {
  URLRequest made(URL::string("http://example.com/"));
  made.setHTTPMethod(std::move(method));
  for (auto& [name, value] : fields) made.setValueForHTTPHeaderField(value, name);
  return made;
}

URLCache::Entry entry(HTTPHeaderFields fields) { return {CachedURLResponse::make(response(fields), Data()), stored}; }

}  // namespace

TEST(CacheRules, ReadsDirectivesWithQuotedCommas) {
  const auto directives = cacheControlDirectives(R"(Public, max-age="60", no-cache="Set-Cookie, X", ,private)");
  EXPECT_EQ(directives.at("public"), std::nullopt);
  EXPECT_EQ(directives.at("max-age"), "60");
  EXPECT_EQ(directives.at("no-cache"), "Set-Cookie, X");
  EXPECT_TRUE(directives.contains("private"));
  EXPECT_EQ(directives.size(), 4u);
  EXPECT_TRUE(cacheControlDirectives("").empty());
}

TEST(CacheRules, OnlyACompleteGETAnsweredOKWithoutNoStoreOrVaryIsOffered) {
  EXPECT_TRUE(isCacheable(request(), *response({})));
  EXPECT_TRUE(isCacheable(request("GET"), *response({}, 203)));
  EXPECT_FALSE(isCacheable(request("POST"), *response({})));
  EXPECT_FALSE(isCacheable(request(), *response({}, 302)));
  EXPECT_FALSE(isCacheable(request(), *response({{"Cache-Control", "private, no-store"}})));
  EXPECT_FALSE(isCacheable(request(std::nullopt, {{"Cache-Control", "no-store"}}), *response({})));
  EXPECT_FALSE(isCacheable(request(), *response({{"Vary", "Accept-Encoding"}})));
}

TEST(CacheRules, FreshWhileTheLifetimeExceedsTheAge) {
  const auto maxAge = response({{"Cache-Control", "max-age=60"}, {"Date", storedText}});
  EXPECT_TRUE(isFresh(*maxAge, stored, stored.addingTimeInterval(59)));
  EXPECT_FALSE(isFresh(*maxAge, stored, stored.addingTimeInterval(60)));
  // Age the response already had when it came counts too.
  EXPECT_FALSE(
      isFresh(*response({{"Cache-Control", "max-age=60"}, {"Age", "50"}}), stored, stored.addingTimeInterval(10)));
  // Expires counts from the response's own Date, max-age wins over it.
  const auto expires = response({{"Date", storedText}, {"Expires", "Sun, 09 Sep 2001 01:47:40 GMT"}});
  EXPECT_TRUE(isFresh(*expires, stored, stored.addingTimeInterval(30)));
  EXPECT_FALSE(isFresh(*expires, stored, stored.addingTimeInterval(61)));
  EXPECT_FALSE(isFresh(*response({{"Cache-Control", "max-age=0"}, {"Expires", "Sun, 09 Sep 2031 01:47:40 GMT"}}),
                       stored, stored));
}

TEST(CacheRules, NeverFreshWithoutALifetimeOrWithNoCache) {
  EXPECT_FALSE(isFresh(*response({}), stored, stored));
  EXPECT_FALSE(isFresh(*response({{"Expires", "0"}}), stored, stored));
  EXPECT_FALSE(isFresh(*response({{"Cache-Control", "max-age=soon"}}), stored, stored));
  EXPECT_FALSE(isFresh(*response({{"Cache-Control", "no-cache, max-age=60"}}), stored, stored));
  // A change date alone gives no lifetime: such an answer is asked about again.
  EXPECT_FALSE(isFresh(*response({{"Date", storedText}, {"Last-Modified", "Sun, 09 Sep 2001 01:30:00 GMT"}}), stored,
                       stored.addingTimeInterval(1)));
}

TEST(CacheRules, TheRequestsPolicyDecidesWhatIsUsed) {
  using Policy = URLRequest::CachePolicy;
  const auto fresh = entry({{"Cache-Control", "max-age=60"}});
  const auto stale = entry({});
  const auto now = stored.addingTimeInterval(1);
  auto withPolicy = [](Policy policy, HTTPHeaderFields fields = {}) {
    auto made = request(std::nullopt, std::move(fields));
    made.setCachePolicy(policy);
    return made;
  };
  EXPECT_EQ(cacheUse(withPolicy(Policy::useProtocolCachePolicy), fresh, now), CacheUse::useStored);
  EXPECT_EQ(cacheUse(withPolicy(Policy::useProtocolCachePolicy), stale, now), CacheUse::load);
  EXPECT_EQ(cacheUse(withPolicy(Policy::useProtocolCachePolicy), std::nullopt, now), CacheUse::load);
  EXPECT_EQ(cacheUse(withPolicy(Policy::useProtocolCachePolicy, {{"Cache-Control", "no-cache"}}), fresh, now),
            CacheUse::load);
  EXPECT_EQ(cacheUse(withPolicy(Policy::useProtocolCachePolicy, {{"Pragma", "no-cache"}}), fresh, now), CacheUse::load);
  EXPECT_EQ(cacheUse(withPolicy(Policy::reloadIgnoringLocalCacheData), fresh, now), CacheUse::load);
  EXPECT_EQ(cacheUse(withPolicy(Policy::returnCacheDataElseLoad), stale, now), CacheUse::useStored);
  EXPECT_EQ(cacheUse(withPolicy(Policy::returnCacheDataElseLoad), std::nullopt, now), CacheUse::load);
  EXPECT_EQ(cacheUse(withPolicy(Policy::returnCacheDataDontLoad), std::nullopt, now), CacheUse::fail);
  EXPECT_EQ(cacheUse(request("POST"), fresh, now), CacheUse::load);
  // What a GET stored answers no other method, and this one may not load.
  auto offlinePost = withPolicy(Policy::returnCacheDataDontLoad);
  offlinePost.setHTTPMethod("POST");
  EXPECT_EQ(cacheUse(offlinePost, fresh, now), CacheUse::fail);
}

TEST(CacheRules, AnEntryWithValidatorsIsRevalidatedWhenItMayNotAnswerByItself) {
  using Policy = URLRequest::CachePolicy;
  const auto staleTagged = entry({{"ETag", "\"a\""}});
  const auto freshDated = entry({{"Cache-Control", "max-age=60"}, {"Last-Modified", storedText}});
  const auto noCacheTagged = entry({{"Cache-Control", "no-cache, max-age=60"}, {"ETag", "\"a\""}});
  const auto now = stored.addingTimeInterval(1);
  auto withPolicy = [](Policy policy, HTTPHeaderFields fields = {}) {
    auto made = request(std::nullopt, std::move(fields));
    made.setCachePolicy(policy);
    return made;
  };
  const auto protocol = withPolicy(Policy::useProtocolCachePolicy);
  EXPECT_EQ(cacheUse(protocol, staleTagged, now), CacheUse::revalidate);
  EXPECT_EQ(cacheUse(protocol, noCacheTagged, now), CacheUse::revalidate);
  EXPECT_EQ(cacheUse(protocol, freshDated, now), CacheUse::useStored);
  EXPECT_EQ(cacheUse(withPolicy(Policy::useProtocolCachePolicy, {{"Cache-Control", "no-cache"}}), freshDated, now),
            CacheUse::revalidate);
  EXPECT_EQ(cacheUse(withPolicy(Policy::useProtocolCachePolicy, {{"Cache-Control", "no-store"}}), staleTagged, now),
            CacheUse::load);

  const auto revalidating = withPolicy(Policy::reloadRevalidatingCacheData);
  EXPECT_EQ(cacheUse(revalidating, freshDated, now), CacheUse::revalidate);
  EXPECT_EQ(cacheUse(revalidating, entry({{"Cache-Control", "max-age=60"}}), now), CacheUse::load);
  EXPECT_EQ(cacheUse(revalidating, std::nullopt, now), CacheUse::load);
  EXPECT_EQ(cacheUse(withPolicy(Policy::reloadIgnoringLocalCacheData), staleTagged, now), CacheUse::load);
}

TEST(CacheRules, ARequestWithConditionsOfItsOwnBypassesTheCacheUnlessItMustNotLoad) {
  const auto fresh = entry({{"Cache-Control", "max-age=60"}, {"ETag", "\"a\""}});
  const auto now = stored.addingTimeInterval(1);
  for (const auto* name : {"If-None-Match", "if-modified-since", "If-Match", "If-Unmodified-Since", "If-Range"}) {
    auto conditional = request(std::nullopt, {{name, "\"a\""}});
    EXPECT_EQ(cacheUse(conditional, fresh, now), CacheUse::load) << name;
    EXPECT_FALSE(isCacheable(conditional, *response({{"Cache-Control", "max-age=60"}}))) << name;
    conditional.setCachePolicy(URLRequest::CachePolicy::returnCacheDataDontLoad);
    EXPECT_EQ(cacheUse(conditional, fresh, now), CacheUse::useStored) << name;
    EXPECT_EQ(cacheUse(conditional, std::nullopt, now), CacheUse::fail) << name;
  }
  EXPECT_EQ(cacheUse(request(), fresh, now), CacheUse::useStored);
}
