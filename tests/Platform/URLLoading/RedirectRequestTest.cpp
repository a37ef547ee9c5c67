#include <gtest/gtest.h>

#include "Platform/URLLoading/Engine/RedirectRequest.h"

using namespace platform;

namespace {

const URL base = *URL::string("http://example.com:8080/a/b?q=1#frag");

std::string resolved(std::string_view location) {
  const auto url = resolveLocation(base, location);
  return url ? url->absoluteString() : "none";
}

URLRequest post() {
  URLRequest request(base);
  request.setHTTPMethod("POST");
  request.setHTTPBody(Data("body"));
  request.setValueForHTTPHeaderField("text/plain", "Content-Type");
  request.setValueForHTTPHeaderField("Basic x", "Authorization");
  request.setValueForHTTPHeaderField("a=1", "Cookie");
  request.setValueForHTTPHeaderField("kept", "X-Other");
  return request;
}

std::optional<RedirectRequest> redirected(const URLRequest& request, int status, const std::string& location) {
  return redirectRequest(request, *HTTPURLResponse::make(base, status, {{"Location", location}}));
}

}  // namespace

TEST(RedirectRequest, ResolvesLocationsAsLinks) {
  EXPECT_EQ(resolved("/c"), "http://example.com:8080/c#frag");
  EXPECT_EQ(resolved("c/d?x"), "http://example.com:8080/a/c/d?x#frag");
  EXPECT_EQ(resolved("../up"), "http://example.com:8080/up#frag");
  EXPECT_EQ(resolved("//other.org/p"), "http://other.org/p#frag");
  EXPECT_EQ(resolved("https://other.org/p#own"), "https://other.org/p#own");
  EXPECT_EQ(resolved("/with space/é"), "http://example.com:8080/with%20space/%C3%A9#frag");
  EXPECT_EQ(resolved("unknown://x"), "none");
}

// Which statuses change POST is shown against httpbin; other methods here.
TEST(RedirectRequest, OnlySeeOtherTurnsOtherMethodsIntoGETAndHEADStays) {
  auto put = post();
  put.setHTTPMethod("PUT");
  EXPECT_EQ(redirected(put, 302, "/next")->request.httpMethod(), "PUT");
  const auto turned = redirected(put, 303, "/next");
  EXPECT_EQ(turned->request.httpMethod(), "GET");
  EXPECT_TRUE(turned->dropsBody);
  EXPECT_FALSE(turned->request.httpBody() || turned->request.valueForHTTPHeaderField("Content-Type"));
  EXPECT_EQ(turned->request.valueForHTTPHeaderField("X-Other"), "kept");
  auto head = URLRequest(base);
  head.setHTTPMethod("HEAD");
  EXPECT_EQ(redirected(head, 303, "/next")->request.httpMethod(), "HEAD");
}

TEST(RedirectRequest, AnotherServerLosesTheRequestsOwnCredentialsAndCookies) {
  const auto same = redirected(post(), 307, "http://EXAMPLE.com:8080/x");
  EXPECT_EQ(same->request.valueForHTTPHeaderField("Authorization"), "Basic x");
  EXPECT_EQ(same->request.valueForHTTPHeaderField("Cookie"), "a=1");
  for (const char* elsewhere : {"http://other.com:8080/x", "https://example.com:8080/x", "http://example.com/x"}) {
    const auto next = redirected(post(), 307, elsewhere);
    EXPECT_FALSE(next->request.valueForHTTPHeaderField("Authorization")) << elsewhere;
    EXPECT_FALSE(next->request.valueForHTTPHeaderField("Cookie")) << elsewhere;
    EXPECT_EQ(next->request.valueForHTTPHeaderField("X-Other"), "kept") << elsewhere;
  }
}

TEST(RedirectRequest, IsNoRedirectWithoutARedirectStatusOrAUsableLocation) {
  EXPECT_FALSE(redirected(post(), 300, "/next"));
  EXPECT_FALSE(redirected(post(), 304, "/next"));
  EXPECT_FALSE(redirected(post(), 200, "/next"));
  EXPECT_FALSE(redirected(post(), 302, "unknown://x"));
  EXPECT_FALSE(redirectRequest(post(), *HTTPURLResponse::make(base, 302, {})));
}
