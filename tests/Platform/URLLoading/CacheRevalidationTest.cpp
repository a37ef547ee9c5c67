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
  // By the 304's own validator first.
  EXPECT_TRUE(confirms(*response({{"ETag", "\"a\""}}, 304), *tagged, request()));
  EXPECT_FALSE(confirms(*response({{"ETag", "\"b\""}}, 304), *tagged, request()));
  EXPECT_FALSE(confirms(*response({{"ETag", "\"a\""}}, 304), *response({{"Last-Modified", dateText}}), request()));
  EXPECT_TRUE(confirms(*response({{"Last-Modified", dateText}}, 304), *response({{"Last-Modified", dateText}}),
                       request()));
  // Else by what was asked: the stored validators, or the caller's own.
  const auto bare = response({}, 304);
  EXPECT_TRUE(confirms(*bare, *tagged, request()));
  EXPECT_TRUE(confirms(*bare, *tagged, request({{"If-None-Match", "\"x, y\", W/\"a\""}})));
  EXPECT_FALSE(confirms(*bare, *tagged, request({{"If-None-Match", "\"x\""}})));
  EXPECT_FALSE(confirms(*bare, *tagged, request({{"If-None-Match", "*"}})));
  EXPECT_TRUE(confirms(*bare, *tagged, request({{"If-Modified-Since", dateText}})));
  EXPECT_FALSE(confirms(*bare, *tagged, request({{"If-Modified-Since", "Mon, 10 Sep 2001 00:00:00 GMT"}})));
  EXPECT_FALSE(confirms(*bare, *response({}), request()));
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

TEST(CacheRevalidation, AConfirmedResponseReplacesTheStoredOneUnlessItMayNoLongerBeKept) {
  const auto cache = URLCache::make();
  const auto stored = CachedURLResponse::make(response({{"ETag", "\"a\""}}), Data(std::string_view("body")));
  cache->storeCachedResponse(stored, request());

  EXPECT_EQ(renewStored(*cache, *stored, request(), *response({{"ETag", "\"b\""}}, 304)), nullptr);
  EXPECT_EQ(renewStored(*cache, *stored, request(), *response({{"ETag", "\"a\""}}, 200)), nullptr);
  EXPECT_EQ(cache->cachedResponse(request()), stored);

  const auto renewed = renewStored(*cache, *stored, request(), *response({{"X-Revision", "2"}}, 304));
  ASSERT_NE(renewed, nullptr);
  EXPECT_EQ(renewed->data(), stored->data());
  EXPECT_EQ(cache->cachedResponse(request()), renewed);
  EXPECT_EQ(std::dynamic_pointer_cast<HTTPURLResponse>(renewed->response())->valueForHTTPHeaderField("X-Revision"),
            "2");

  const auto forbidden = renewStored(*cache, *renewed, request(), *response({{"Cache-Control", "no-store"}}, 304));
  ASSERT_NE(forbidden, nullptr);
  EXPECT_EQ(forbidden->data(), stored->data());
  EXPECT_EQ(cache->cachedResponse(request()), nullptr);
}
