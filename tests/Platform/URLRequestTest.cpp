#include <gtest/gtest.h>

#include "Platform/Foundation/URLRequest.h"

namespace platform {
// Streams are only held here, never read.
class InputStream {};
}  // namespace platform

using namespace platform;

TEST(URLRequest, StartsWithTheLoadingDefaults) {
  const URLRequest request(URL::string("http://h/"));
  EXPECT_EQ(request.url(), URL::string("http://h/"));
  EXPECT_EQ(request.httpMethod(), "GET");
  EXPECT_EQ(URLRequest().httpMethod(), "GET");
  EXPECT_EQ(request.allHTTPHeaderFields(), std::nullopt);
  EXPECT_EQ(request.httpBody(), std::nullopt);
  EXPECT_EQ(request.httpBodyStream(), nullptr);
  EXPECT_EQ(request.cachePolicy(), URLRequest::CachePolicy::useProtocolCachePolicy);
  EXPECT_EQ(static_cast<unsigned>(URLRequest::CachePolicy::reloadIgnoringLocalAndRemoteCacheData), 4u);
  EXPECT_EQ(request.timeoutInterval(), 60.0);
  EXPECT_EQ(request.description(), "http://h/");
  EXPECT_EQ(URLRequest().description(), "(no URL)");
}

TEST(URLRequest, HeaderNamesIgnoreCaseAndKeepTheirPlace) {
  URLRequest request;
  request.setValueForHTTPHeaderField("text/plain", "Content-Type");
  request.setValueForHTTPHeaderField("a", "Accept");
  request.setValueForHTTPHeaderField("application/json", "content-type");
  EXPECT_EQ(request.allHTTPHeaderFields(),
            (HTTPHeaderFields{{"content-type", "application/json"}, {"Accept", "a"}}));
  EXPECT_EQ(request.valueForHTTPHeaderField("CONTENT-TYPE"), "application/json");

  request.addValueForHTTPHeaderField("b", "ACCEPT");
  request.addValueForHTTPHeaderField("1", "X-New");
  EXPECT_EQ(request.allHTTPHeaderFields(),
            (HTTPHeaderFields{{"content-type", "application/json"}, {"Accept", "a,b"}, {"X-New", "1"}}));
}

TEST(URLRequest, KeepsAbsentHeadersApartFromEmptyOnes) {
  URLRequest request;
  request.setValueForHTTPHeaderField(std::nullopt, "X");
  EXPECT_EQ(request.allHTTPHeaderFields(), std::nullopt);
  request.setValueForHTTPHeaderField("", "X");
  EXPECT_EQ(request.valueForHTTPHeaderField("x"), "");
  request.setValueForHTTPHeaderField(std::nullopt, "x");
  EXPECT_EQ(request.allHTTPHeaderFields(), HTTPHeaderFields{});
  EXPECT_EQ(request.valueForHTTPHeaderField("X"), std::nullopt);

  request.setAllHTTPHeaderFields(HTTPHeaderFields{{"Accept", "a"}, {"X", "1"}, {"ACCEPT", "b"}});
  EXPECT_EQ(request.allHTTPHeaderFields(), (HTTPHeaderFields{{"ACCEPT", "b"}, {"X", "1"}}));
  request.setAllHTTPHeaderFields(HTTPHeaderFields{});
  EXPECT_EQ(request.allHTTPHeaderFields(), HTTPHeaderFields{});
  request.setAllHTTPHeaderFields(std::nullopt);
  EXPECT_EQ(request.allHTTPHeaderFields(), std::nullopt);
}

TEST(URLRequest, BodyBytesAndBodyStreamExcludeEachOther) {
  URLRequest request;
  request.setHTTPBody(Data());
  ASSERT_TRUE(request.httpBody());
  EXPECT_TRUE(request.httpBody()->empty());

  const auto stream = std::make_shared<InputStream>();
  request.setHTTPBodyStream(stream);
  EXPECT_EQ(request.httpBody(), std::nullopt);
  EXPECT_EQ(request.httpBodyStream(), stream);

  request.setHTTPBody(Data("x"));
  EXPECT_EQ(request.httpBodyStream(), nullptr);
  EXPECT_EQ(request.httpBody(), Data("x"));

  // Clearing one leaves the other alone.
  request.setHTTPBodyStream(nullptr);
  EXPECT_EQ(request.httpBody(), Data("x"));
}

TEST(URLRequest, CopiesAreIndependentValues) {
  URLRequest original(URL::string("http://h/"));
  original.setHTTPMethod("POST");
  auto copy = original;
  EXPECT_EQ(copy, original);
  copy.setValueForHTTPHeaderField("1", "X");
  copy.setHTTPMethod(std::nullopt);
  EXPECT_NE(copy, original);
  EXPECT_EQ(original.httpMethod(), "POST");
  EXPECT_EQ(original.allHTTPHeaderFields(), std::nullopt);
}
