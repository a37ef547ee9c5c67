#include "Platform/URLLoading/Engine/RequestHeaderLines.h"

#include <gtest/gtest.h>

#include "Platform/URLLoading/InvalidRequestError.h"

using namespace platform;

namespace {

URLRequest requestWith(const HTTPHeaderFields& fields) {
  URLRequest request(URL::string("http://127.0.0.1/"));
  request.setAllHTTPHeaderFields(fields);
  return request;
}

}  // namespace

TEST(RequestHeaderLines, RequestFieldsReplaceConfigurationFieldsOfAnyCaseInPlace) {
  const auto lines = requestHeaderLines(requestWith({{"user-agent", "mine"}, {"X-New", "1"}}),
                                        HTTPHeaderFields{{"User-Agent", "default"}, {"Accept-Language", "en"}});
  ASSERT_TRUE(lines);
  EXPECT_EQ(*lines, (std::vector<std::string>{"user-agent: mine", "Accept-Language: en", "X-New: 1", "Expect:", "Content-Type:"}));
}

// "Name:" with only spaces and tabs after it would leave the field out.
TEST(RequestHeaderLines, EmptyAndBlankValuesAreStillSent) {
  const auto lines = requestHeaderLines(
      requestWith({{"X-Empty", ""}, {"X-Space", " "}, {"X-Blank", " \t "}, {"X-Padded", " a\t"}}), std::nullopt);
  EXPECT_EQ(*lines, (std::vector<std::string>{"X-Empty;", "X-Space;", "X-Blank;", "X-Padded:  a\t", "Expect:",
                                              "Content-Type:"}));
}

TEST(RequestHeaderLines, LeavesTheBodyLengthToTheLibraryAndKeepsAnExpectOfTheRequests) {
  const auto lines =
      requestHeaderLines(requestWith({{"content-length", "999"}, {"Expect", "100-continue"}}), std::nullopt);
  EXPECT_EQ(*lines, (std::vector<std::string>{"Expect: 100-continue", "Content-Type:"}));
}

TEST(RequestHeaderLines, RefusesValuesThatWouldBreakTheMessage) {
  for (const auto& value : std::vector<std::string>{"a\r\nX-Injected: 1", "a\nb", "a\rb", std::string("a\0b", 3)}) {
    const auto lines = requestHeaderLines(requestWith({{"X-Value", value}}), std::nullopt);
    ASSERT_FALSE(lines);
    EXPECT_TRUE(errorAs<InvalidRequestError>(lines.error()));
  }
  EXPECT_FALSE(requestHeaderLines(URLRequest(), HTTPHeaderFields{{"X-Config", "a\r\nb"}}));
}

TEST(RequestHeaderLines, RefusesEveryControlCharacterButTabInValues) {
  for (int byte = 0; byte < 0x20; ++byte) {
    const auto lines = requestHeaderLines(requestWith({{"X-Value", "a" + std::string(1, static_cast<char>(byte)) + "b"}}),
                                          std::nullopt);
    EXPECT_EQ(lines.has_value(), byte == '\t') << byte;
    if (!lines) {
      EXPECT_TRUE(errorAs<InvalidRequestError>(lines.error())) << byte;
    }
  }
  EXPECT_FALSE(requestHeaderLines(requestWith({{"X-Value", "a\x7f"}}), std::nullopt));
  EXPECT_TRUE(requestHeaderLines(requestWith({{"X-Value", "caf\xc3\xa9"}}), std::nullopt));
}

TEST(RequestHeaderLines, RefusesNamesThatAreNoTokens) {
  for (const std::string name : {"Bad Name", "Colon:", "New\nLine", ""}) {
    EXPECT_FALSE(requestHeaderLines(requestWith({{name, "v"}}), std::nullopt)) << name;
  }
  EXPECT_TRUE(requestHeaderLines(requestWith({{"X-Odd!#$%&'*+.^_`|~", "v"}}), std::nullopt));
}

TEST(RequestHeaderLines, MethodsMustBeTokens) {
  EXPECT_TRUE(isHTTPToken("PATCH"));
  EXPECT_FALSE(isHTTPToken("GET /x HTTP/1.1"));
  EXPECT_FALSE(isHTTPToken(""));
}
