#include <gtest/gtest.h>

#include "Platform/URLLoading/Engine/CacheRevalidation.h"

using namespace platform;

namespace {

const std::string dateText = "Sun, 09 Sep 2001 01:46:40 GMT";

std::shared_ptr<HTTPURLResponse> response(HTTPHeaderFields fields, int status = 200) {
  return HTTPURLResponse::make(*URL::string("http://example.com/doc"), status, fields);
}

URLRequest request(HTTPHeaderFields fields = {}) {
  URLRequest made(URL::string("http://example.com/doc"));
  for (auto& [name, value] : fields) made.setValueForHTTPHeaderField(value, name);
  return made;
}

}  // namespace

TEST(CacheRevalidation, TheStoredValidatorsAreSentUnlessTheRequestStatesItsOwnConditions) {
  const auto both = response({{"ETag", "W/\"a\""}, {"Last-Modified", dateText}});
  EXPECT_EQ(revalidationFields(request(), *both),
            (HTTPHeaderFields{{"If-None-Match", "W/\"a\""}, {"If-Modified-Since", dateText}}));
  EXPECT_EQ(revalidationFields(request(), *response({{"Last-Modified", dateText}})),
            (HTTPHeaderFields{{"If-Modified-Since", dateText}}));
  EXPECT_TRUE(revalidationFields(request({{"if-none-match", "\"b\""}}), *both).empty());
  EXPECT_TRUE(revalidationFields(request({{"If-Unmodified-Since", dateText}}), *both).empty());
  EXPECT_TRUE(revalidationFields(request(), *response({})).empty());
  EXPECT_FALSE(hasValidators(*response({{"Cache-Control", "no-cache"}})));
}

TEST(CacheRevalidation, A304ConfirmsOnlyTheStoredResponseItsValidatorsName) {
  const auto tagged = response({{"ETag", "\"a\""}, {"Last-Modified", dateText}});
  const auto sent = revalidationFields(request(), *tagged);
  // By the 304's own validator first.
  EXPECT_TRUE(confirms(*response({{"ETag", "\"a\""}}, 304), *tagged, sent));
  EXPECT_FALSE(confirms(*response({{"ETag", "\"b\""}}, 304), *tagged, sent));
  EXPECT_FALSE(confirms(*response({{"ETag", "\"a\""}}, 304), *response({{"Last-Modified", dateText}}), sent));
  EXPECT_TRUE(confirms(*response({{"Last-Modified", dateText}}, 304), *response({{"Last-Modified", dateText}}), sent));
  // Else by the conditions that were sent.
  const auto bare = response({}, 304);
  EXPECT_TRUE(confirms(*bare, *tagged, sent));
  EXPECT_TRUE(confirms(*bare, *tagged, {{"If-None-Match", "\"x, y\", W/\"a\""}}));
  EXPECT_FALSE(confirms(*bare, *tagged, {{"If-None-Match", "\"x\""}}));
  EXPECT_FALSE(confirms(*bare, *tagged, {{"If-None-Match", "*"}}));
  EXPECT_TRUE(confirms(*bare, *tagged, {{"If-Modified-Since", dateText}}));
  EXPECT_FALSE(confirms(*bare, *tagged, {{"If-Modified-Since", "Mon, 10 Sep 2001 00:00:00 GMT"}}));
  EXPECT_FALSE(confirms(*bare, *tagged, {}));
  EXPECT_FALSE(confirms(*bare, *response({}), sent));
}

TEST(CacheRevalidation, A304UpdatesTheStoredFieldsButNotThoseOfTheBodyOrConnection) {
  const auto stored = response({{"Content-Type", "text/plain"},
                                {"Content-Length", "5"},
                                {"Content-Encoding", "gzip"},
                                {"Cache-Control", "max-age=0"},
                                {"ETag", "\"a\""}});
  const auto updated = updatedByNotModified(*stored, *response({{"cache-control", "max-age=60"},
                                                                {"Content-Length", "0"},
                                                                {"Content-Encoding", "identity"},
                                                                {"Connection", "close"},
                                                                {"X-Revision", "2"}},
                                                               304));
  EXPECT_EQ(updated->statusCode(), 200);
  EXPECT_EQ(updated->url().absoluteString(), "http://example.com/doc");
  EXPECT_EQ(updated->allHeaderFields(), (HTTPHeaderFields{{"Content-Type", "text/plain"},
                                                          {"Content-Length", "5"},
                                                          {"Content-Encoding", "gzip"},
                                                          {"Cache-Control", "max-age=60"},
                                                          {"ETag", "\"a\""},
                                                          {"X-Revision", "2"}}));
  EXPECT_EQ(updated->expectedContentLength(), 5);
}

TEST(CacheRevalidation, AConfirmedResponseReplacesOnlyAStoredOneThe304Confirms) {
  const auto stored = CachedURLResponse::make(response({{"ETag", "\"a\""}}), Data(std::string_view("body")),
                                              CachedURLResponse::StoragePolicy::allowedInMemoryOnly);
  const auto sent = revalidationFields(request(), *response({{"ETag", "\"a\""}}));

  EXPECT_FALSE(renewalBy(response({{"ETag", "\"b\""}}, 304), *stored, sent));
  EXPECT_FALSE(renewalBy(response({{"ETag", "\"a\""}}, 200), *stored, sent));

  const auto renewal = renewalBy(response({{"X-Revision", "2"}}, 304), *stored, sent);
  ASSERT_TRUE(renewal);
  EXPECT_EQ(renewal->response->data(), stored->data());
  EXPECT_EQ(renewal->response->storagePolicy(), stored->storagePolicy());
  EXPECT_EQ(std::dynamic_pointer_cast<HTTPURLResponse>(renewal->response->response())
                ->valueForHTTPHeaderField("X-Revision"),
            "2");

  // Another task stored a newer version meanwhile: the renewal leaves it.
  const auto cache = URLCache::make();
  const auto newer = CachedURLResponse::make(response({{"ETag", "\"c\""}}), Data(std::string_view("newer")));
  cache->storeCachedResponse(newer, request());
  cache->replaceCachedResponse(request(), renewal->renews, renewal->response);
  EXPECT_EQ(cache->cachedResponse(request()), newer);
  // The same tag, stored by another task, is renewed.
  const auto same = CachedURLResponse::make(response({{"ETag", "W/\"a\""}}), Data(std::string_view("same")));
  cache->storeCachedResponse(same, request());
  cache->replaceCachedResponse(request(), renewal->renews, renewal->response);
  EXPECT_EQ(cache->cachedResponse(request()), renewal->response);
}
