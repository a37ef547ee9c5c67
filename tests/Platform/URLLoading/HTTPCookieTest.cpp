#include <gtest/gtest.h>

#include "Platform/URLLoading/HTTPCookie.h"
#include "Platform/URLLoading/HTTPCookieStorage.h"

using namespace platform;

namespace {

const Date now{1'000'000'000};

URL url(const std::string& text) { return *URL::string(text); }

std::optional<HTTPCookie> parsed(const std::string& field, const std::string& from = "http://www.example.com/a/b") {
  const auto cookies = HTTPCookie::cookiesWithResponseHeaderFields({{"Set-Cookie", field}}, url(from), now);
  if (cookies.empty()) return std::nullopt;
  return cookies.front();
}

HTTPCookie cookie(const std::string& name, const std::string& domain, const std::string& path = "/") {
  HTTPCookie made;
  made.name = name;
  made.value = "v";
  made.domain = domain;
  made.path = path;
  return made;
}

std::vector<std::string> names(const std::optional<std::vector<HTTPCookie>>& cookies) {
  std::vector<std::string> found;
  for (const auto& each : cookies.value_or(std::vector<HTTPCookie>{})) found.push_back(each.name);
  return found;
}

}  // namespace

TEST(HTTPCookie, ReadsEveryAttribute) {
  const auto full = parsed(
      " id = a3fWa ; Expires=Wed, 21 Oct 2015 07:28:00 GMT; Domain=.Example.com; Path=/docs; "
      "Secure; HttpOnly; Unknown=1");
  ASSERT_TRUE(full);
  EXPECT_EQ(full->name, "id");
  EXPECT_EQ(full->value, "a3fWa");
  EXPECT_EQ(full->domain, "example.com");
  EXPECT_FALSE(full->isHostOnly);
  EXPECT_EQ(full->path, "/docs");
  EXPECT_EQ(full->expiresDate, Date{1445412480});
  EXPECT_TRUE(full->isSecure && full->isHTTPOnly);

  const auto plain = parsed("a=b");
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->domain, "www.example.com");
  EXPECT_TRUE(plain->isHostOnly);
  EXPECT_EQ(plain->path, "/a");
  EXPECT_TRUE(plain->isSessionOnly());
  EXPECT_FALSE(plain->isSecure || plain->isHTTPOnly);
  EXPECT_EQ(parsed("a=b", "http://www.example.com/top")->path, "/");
  EXPECT_EQ(parsed("a=b; Path=relative")->path, "/a");
}

TEST(HTTPCookie, MaxAgeWinsOverExpiresAndZeroExpiresAtOnce) {
  EXPECT_EQ(parsed("a=b; Max-Age=60; Expires=Wed, 21 Oct 2015 07:28:00 GMT")->expiresDate, now.addingTimeInterval(60));
  EXPECT_TRUE(parsed("a=b; Max-Age=0")->isExpired(now));
  EXPECT_TRUE(parsed("a=b; Max-Age=-5")->isExpired(now));
  EXPECT_TRUE(parsed("a=b; Max-Age=soon")->isSessionOnly());
  EXPECT_TRUE(parsed("a=b; Expires=never")->isSessionOnly());
}

TEST(HTTPCookie, RefusesWhatCouldHarmOtherSitesOrLaterRequests) {
  EXPECT_FALSE(parsed("novalue"));
  EXPECT_FALSE(parsed("=b"));
  EXPECT_FALSE(parsed("a=b; Domain=other.com"));
  EXPECT_FALSE(parsed("a=b; Domain=com"));
  EXPECT_FALSE(parsed("a=b; Domain=ww.example.com"));
  EXPECT_FALSE(parsed(std::string("a=b\0c", 5)));
  EXPECT_FALSE(parsed("a=" + std::string(4096, 'v')));
  EXPECT_FALSE(parsed("a=b; Domain=0.0.1", "http://127.0.0.1/"));
  EXPECT_TRUE(parsed("a=b; Domain=127.0.0.1", "http://127.0.0.1/"));
  EXPECT_TRUE(parsed("a=b; Domain=localhost", "http://localhost/"));
}

TEST(HTTPCookie, IsSentByDomainPathAndScheme) {
  const auto hostOnly = *parsed("a=b; Path=/docs");
  EXPECT_TRUE(hostOnly.isSentTo(url("http://WWW.example.com/docs")));
  EXPECT_TRUE(hostOnly.isSentTo(url("http://www.example.com/docs/page")));
  EXPECT_FALSE(hostOnly.isSentTo(url("http://www.example.com/docsets")));
  EXPECT_FALSE(hostOnly.isSentTo(url("http://sub.www.example.com/docs")));
  const auto domain = *parsed("a=b; Domain=example.com; Secure");
  EXPECT_TRUE(domain.isSentTo(url("https://deep.sub.example.com/a")));
  EXPECT_FALSE(domain.isSentTo(url("http://example.com/a")));
  EXPECT_FALSE(domain.isSentTo(url("https://badexample.com/a")));
}

TEST(HTTPCookie, EverySetCookieFieldCountsAndOneCookieFieldSendsThemAll) {
  const auto cookies = HTTPCookie::cookiesWithResponseHeaderFields(
      {{"Set-Cookie", "a=1"}, {"Content-Type", "x=y"}, {"set-cookie", "b=2; Expires=Wed, 21 Oct 2015 07:28:00 GMT"}},
      url("http://example.com/"), now);
  ASSERT_EQ(cookies.size(), 2u);
  EXPECT_EQ(HTTPCookie::requestHeaderFieldsWithCookies(cookies), (HTTPHeaderFields{{"Cookie", "a=1; b=2"}}));
  EXPECT_TRUE(HTTPCookie::requestHeaderFieldsWithCookies({}).empty());
}

TEST(HTTPCookieStorage, ReplacesInPlaceRemovesWithExpiredOrdersByPathAndHasNoneForOtherSchemes) {
  const auto storage = HTTPCookieStorage::make();
  storage->setCookie(cookie("first", "example.com"));
  storage->setCookie(cookie("deep", "example.com", "/a/b"));
  storage->setCookie(cookie("middle", "example.com", "/a"));
  auto replacement = cookie("first", "example.com");
  replacement.value = "new";
  storage->setCookie(replacement);
  EXPECT_EQ(names(storage->cookies(url("http://example.com/a/b/c"))),
            (std::vector<std::string>{"deep", "middle", "first"}));
  EXPECT_EQ(storage->cookies().front().value, "new");

  auto expired = cookie("middle", "example.com", "/a");
  expired.expiresDate = Date::now().addingTimeInterval(-1);
  storage->setCookie(expired);
  EXPECT_EQ(names(storage->cookies(url("http://example.com/a/b/c"))), (std::vector<std::string>{"deep", "first"}));
  storage->deleteCookie(cookie("deep", "example.com", "/a/b"));
  EXPECT_EQ(storage->cookies().size(), 1u);
  EXPECT_FALSE(storage->cookies(url("file:///tmp/x")));
  EXPECT_FALSE(storage->cookies(url("ftp://example.com/")));
}

TEST(HTTPCookieStorage, ADomainKeepsItsNewestCookiesOnly) {
  const auto storage = HTTPCookieStorage::make();
  storage->setCookie(cookie("other", "other.com"));
  for (std::size_t index = 0; index <= HTTPCookieStorage::maximumCookiesPerDomain; ++index) {
    storage->setCookie(cookie("c" + std::to_string(index), "example.com"));
  }
  const auto kept = names(storage->cookies(url("http://example.com/")));
  EXPECT_EQ(kept.size(), HTTPCookieStorage::maximumCookiesPerDomain);
  EXPECT_EQ(kept.front(), "c1");
  EXPECT_EQ(names(storage->cookies(url("http://other.com/"))), std::vector<std::string>{"other"});
}
