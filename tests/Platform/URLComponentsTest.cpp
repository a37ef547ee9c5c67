#include <gtest/gtest.h>

#include "Platform/Foundation/URLComponents.h"

using namespace platform;

namespace {

URLComponents components(std::string_view text) {
  auto parsed = URLComponents::string(text);
  EXPECT_TRUE(parsed) << text;
  return parsed.value_or(URLComponents(*URL::string("x:")));
}

std::string rebuilt(const URLComponents& parts) {
  const auto url = parts.url();
  return url ? url->absoluteString() : "<no URL>";
}

}  // namespace

TEST(URLComponents, TellsNoQueryFromAnEmptyOne) {
  EXPECT_EQ(components("http://h/p?").percentEncodedQuery(), "");
  EXPECT_EQ(components("http://h/p?").queryItems(), std::vector<URLQueryItem>{});
  EXPECT_EQ(components("http://h/p").percentEncodedQuery(), std::nullopt);
  EXPECT_EQ(components("http://h/p").queryItems(), std::nullopt);
  EXPECT_FALSE(URLComponents::string(""));
  EXPECT_FALSE(URLComponents::string("http://h/a b"));
}

TEST(URLComponents, WritesQueryItemsSoTheyReadBackUnchanged) {
  auto parts = components("http://h/p");
  const std::vector<URLQueryItem> items{{"a b", "x&y"}, {"flag", ""}};
  parts.setQueryItems(items);
  EXPECT_EQ(parts.percentEncodedQuery(), "a%20b=x%26y&flag=");
  EXPECT_EQ(parts.queryItems(), items);
  EXPECT_EQ(rebuilt(parts), "http://h/p?a%20b=x%26y&flag=");

  const std::vector<URLQueryItem> awkward{
      {"k=v", "1+1=2"}, {"#", "%20"}, {"é", "?/:@"}, {"bare", std::nullopt}, {"", ""}, {"a", "b;c,d"}};
  parts.setQueryItems(awkward);
  EXPECT_EQ(parts.percentEncodedQuery(), "k%3Dv=1%2B1%3D2&%23=%2520&%C3%A9=?/:@&bare&=&a=b;c,d");
  EXPECT_EQ(URLComponents(*parts.url()).queryItems(), awkward);
}

TEST(URLComponents, ReadsItemsAsTyped) {
  const auto items = components("http://h/?a=1&a=2&flag&x=a=b&&p=1+2%2B3&e=").queryItems();
  const std::vector<URLQueryItem> expected{{"a", "1"},   {"a", "2"},        {"flag", std::nullopt}, {"x", "a=b"},
                                           {"", std::nullopt}, {"p", "1+2+3"}, {"e", ""}};
  EXPECT_EQ(items, expected);
}

TEST(URLComponents, ChangesOnlyTheQuery) {
  const auto text = "HTTP://u:p@Host.example:0080//a/./%7e?old=1#frag?x";
  auto parts = components(text);
  EXPECT_EQ(rebuilt(parts), text);
  parts.setPercentEncodedQuery("old=1&new=2");
  EXPECT_EQ(rebuilt(parts), "HTTP://u:p@Host.example:0080//a/./%7e?old=1&new=2#frag?x");
  parts.setQueryItems(std::nullopt);
  EXPECT_EQ(rebuilt(parts), "HTTP://u:p@Host.example:0080//a/./%7e#frag?x");
  parts.setQueryItems(std::vector<URLQueryItem>{});
  EXPECT_EQ(rebuilt(parts), "HTTP://u:p@Host.example:0080//a/./%7e?#frag?x");
  EXPECT_EQ(parts.path(), "//a/./~");
  EXPECT_EQ(parts.host(), "Host.example");
  EXPECT_EQ(parts.port(), 80);
  EXPECT_EQ(parts.fragment(), "frag?x");
}

TEST(URLComponents, GivesNoURLForAQueryAURLCannotHold) {
  auto parts = components("http://h/p#f");
  for (const auto* query : {"a b", "a#b", "%zz", "caf\xC3\xA9"}) {
    parts.setPercentEncodedQuery(query);
    EXPECT_FALSE(parts.url()) << query;
  }
}

TEST(URLComponents, DecodesPathAndQueryForDisplay) {
  const auto parts = components("http://localhost:8080/a%20b?q=x%26y");
  EXPECT_EQ(parts.path(), "/a b");
  EXPECT_EQ(parts.percentEncodedPath(), "/a%20b");
  EXPECT_EQ(parts.query(), "q=x&y");
  EXPECT_EQ(components("http://[::1]/").host(), "::1");
}
