#include <gtest/gtest.h>

#include "Platform/Foundation/URLError.h"
#include "Platform/URLLoading/Engine/WebSocketHandshake.h"
#include "Platform/URLLoading/InvalidRequestError.h"

using namespace platform;

namespace {

int failureCode(const std::string& url) {
  const auto endpoint = webSocketEndpoint(URL::string(url));
  if (endpoint) return 0;
  return static_cast<int>(errorAs<URLError>(endpoint.error())->code());
}

}  // namespace

TEST(WebSocketEndpoint, PortsHostFieldAndTargetFollowTheSchemeAndTheURLAsTyped) {
  EXPECT_EQ(webSocketEndpoint(URL::string("ws://example.test")),
            (WebSocketEndpoint{false, "example.test", 80, "example.test", "/"}));
  EXPECT_EQ(webSocketEndpoint(URL::string("WSS://example.test:443/a%20b?q=1&r#frag")),
            (WebSocketEndpoint{true, "example.test", 443, "example.test", "/a%20b?q=1&r"}));
  EXPECT_EQ(webSocketEndpoint(URL::string("ws://[::1]:8080/chat")),
            (WebSocketEndpoint{false, "::1", 8080, "[::1]:8080", "/chat"}));
  EXPECT_EQ(webSocketEndpoint(URL::string("wss://127.0.0.1:80")),
            (WebSocketEndpoint{true, "127.0.0.1", 80, "127.0.0.1:80", "/"}));
}

TEST(WebSocketEndpoint, OtherSchemesAndURLsWithoutAHostAreRefused) {
  EXPECT_EQ(failureCode("http://example.test/"), -1002);
  EXPECT_EQ(failureCode("ftp://example.test/"), -1002);
  EXPECT_EQ(failureCode("ws:///path"), -1000);
  // An escaped line break or space in the host would split the Host line.
  for (const char* url : {"ws://a%0D%0AX-Injected%3A%201/", "ws://a%20b/"}) {
    ASSERT_TRUE(URL::string(url)) << url;
    EXPECT_EQ(failureCode(url), -1000) << url;
  }
  EXPECT_EQ(static_cast<int>(errorAs<URLError>(webSocketEndpoint(std::nullopt).error())->code()), -1000);
}

TEST(UpgradeHeaderFields, CallerFieldsGoAlongButNeverReplaceThoseOfTheHandshake) {
  URLRequest request(URL::string("ws://127.0.0.1/"));
  request.setAllHTTPHeaderFields(HTTPHeaderFields{{"sec-websocket-key", "forged"},
                                                  {"Sec-WebSocket-Protocol", "chat"},
                                                  {"CONNECTION", "close"},
                                                  {"Sec-WebSocket-Extensions", "permessage-deflate"},
                                                  {"X-Token", "t"}});
  const auto fields = upgradeHeaderFields(request, HTTPHeaderFields{{"Host", "elsewhere"}, {"User-Agent", "ua"}});
  ASSERT_TRUE(fields);
  EXPECT_EQ(*fields, (HTTPHeaderFields{{"User-Agent", "ua"}, {"Sec-WebSocket-Protocol", "chat"}, {"X-Token", "t"}}));

  request.setValueForHTTPHeaderField("a\r\nInjected: yes", "X-Token");
  const auto refused = upgradeHeaderFields(request, std::nullopt);
  ASSERT_FALSE(refused);
  EXPECT_NE(errorAs<InvalidRequestError>(refused.error()), nullptr);
}

TEST(OffersSubprotocol, MatchesOneWholeEntryOfTheOfferedList) {
  EXPECT_TRUE(offersSubprotocol("superchat, chat", "chat"));
  EXPECT_TRUE(offersSubprotocol("chat", " chat "));
  EXPECT_FALSE(offersSubprotocol("superchat", "chat"));
  EXPECT_FALSE(offersSubprotocol("chat,", ""));
  EXPECT_FALSE(offersSubprotocol("", "chat"));
}
