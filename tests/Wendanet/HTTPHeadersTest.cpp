#include <fmt/format.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Platform/Foundation/HTTPURLResponse.h"
#include "Platform/Foundation/URLRequest.h"
#include "Wendanet/Source/Core/DefaultHeaders.h"
#include "Wendanet/Source/Core/HTTPHeaders.h"

using namespace wendanet;

namespace {

std::vector<std::string> texts(const HTTPHeaders& headers) {
  std::vector<std::string> lines;
  for (const auto& header : headers) lines.push_back(header.makeDescription());
  return lines;
}

}  // namespace

TEST(HTTPHeaders, UpdateReplacesAnyCaseMatchInPlace) {
  HTTPHeaders headers;
  headers.update("Content-type", "a");
  headers.update("Accept", "x");
  headers.update("Content-Type", "b");
  EXPECT_EQ(texts(headers), (std::vector<std::string>{"Content-Type: b", "Accept: x"}));

  const HTTPHeaders built{{"Accept", "a"}, {"X", "1"}, {"ACCEPT", "b"}};
  EXPECT_EQ(texts(built), (std::vector<std::string>{"ACCEPT: b", "X: 1"}));
  EXPECT_EQ(HTTPHeaders(std::vector<HTTPHeader>{{"Accept", "a"}, {"X", "1"}, {"ACCEPT", "b"}}), built);
  EXPECT_EQ(HTTPHeaders(platform::HTTPHeaderFields{{"Accept", "a"}, {"X", "1"}, {"ACCEPT", "b"}}), built);
}

TEST(HTTPHeaders, LookupAndRemovalIgnoreCase) {
  HTTPHeaders headers{{"Accept", "a"}, {"X", "1"}};
  EXPECT_EQ(headers.findValue("ACCEPT"), "a");
  EXPECT_EQ(headers.findIndex("x"), 1u);
  EXPECT_EQ(headers.findValue("Missing"), std::nullopt);
  headers.remove("accept");
  headers.remove("absent");
  EXPECT_EQ(texts(headers), std::vector<std::string>{"X: 1"});
  headers.setValue("x", "2");
  EXPECT_EQ(texts(headers), std::vector<std::string>{"x: 2"});
  headers.setValue("X", std::nullopt);
  EXPECT_TRUE(headers.empty());
}

TEST(HTTPHeaders, NamesMatchInAnyUnicodeLetterCase) {
  HTTPHeaders headers;
  headers.update("\u00C4rger", "1");
  EXPECT_EQ(headers.findValue("\u00E4rger"), "1");
  EXPECT_EQ(headers.findValue("Arger"), std::nullopt);
  headers.update("\u00E4RGER", "2");
  EXPECT_EQ(texts(headers), std::vector<std::string>{"\u00E4RGER: 2"});

  // Capital sharp s, the Kelvin sign that lower-cases to an ASCII k, and a
  // precomposed letter against its decomposed form.
  headers.update("STRA\u1E9EE", "3");
  headers.update("\u212Aey", "4");
  headers.update("\u00C9tag", "5");
  EXPECT_EQ(headers.findValue("stra\u00DFe"), "3");
  EXPECT_EQ(headers.findValue("KEY"), "4");
  EXPECT_EQ(headers.findValue("e\u0301TAG"), "5");
  headers.remove("\u00E4rger");
  EXPECT_EQ(headers.size(), 3u);
}

TEST(HTTPHeaders, CapitalSigmaMatchesTheFinalFormAtTheEndOfAWord) {
  HTTPHeaders headers;
  headers.update("\u039F\u0394\u039F\u03A3", "1");
  EXPECT_EQ(headers.findValue("\u03BF\u03B4\u03BF\u03C2"), "1");
  EXPECT_EQ(headers.findValue("\u03BF\u03B4\u03BF\u03C3"), std::nullopt);
  // Inside a word, or alone, it is the ordinary small sigma.
  headers.update("\u03A3\u039F", "2");
  headers.update("\u03A3", "3");
  EXPECT_EQ(headers.findValue("\u03C3\u03BF"), "2");
  EXPECT_EQ(headers.findValue("\u03C3"), "3");
}

// A long response head builds as its fields updated one after another.
TEST(HTTPHeaders, LongListsBuildAsUpdatesInOrder) {
  std::vector<HTTPHeader> fields;
  for (int index = 0; index < 300; ++index) fields.emplace_back(fmt::format("X-Field-{}", index), "v");
  fields.emplace_back("\u212Aey", "kelvin");
  fields.emplace_back("x-field-7", "again");
  fields.emplace_back("KEY", "ascii");
  fields.emplace_back("\u039F\u0394\u039F\u03A3", "1");
  fields.emplace_back("\u03BF\u03B4\u03BF\u03C2", "2");
  HTTPHeaders oneByOne;
  for (const auto& field : fields) oneByOne.update(field);
  const HTTPHeaders built(fields);
  EXPECT_EQ(built, oneByOne);
  EXPECT_EQ(built.size(), 302u);
  EXPECT_EQ(built[7].makeDescription(), "x-field-7: again");
  EXPECT_EQ(built[300].makeDescription(), "KEY: ascii");
  EXPECT_EQ(built.findValue("X-FIELD-299"), "v");
  EXPECT_EQ(built.findValue("\u212AEY"), "ascii");
}

TEST(HTTPHeaders, EqualityAndHashingSeeCaseAndOrder) {
  const HTTPHeaders lower{{"accept", "a"}};
  const HTTPHeaders upper{{"Accept", "a"}};
  EXPECT_NE(lower, upper);
  EXPECT_NE((HTTPHeaders{{"A", "1"}, {"B", "2"}}), (HTTPHeaders{{"B", "2"}, {"A", "1"}}));
  EXPECT_EQ((HTTPHeaders{{"A", "1"}, {"B", "2"}}), (HTTPHeaders{{"A", "1"}, {"B", "2"}}));
  const std::hash<HTTPHeaders> hash;
  EXPECT_EQ(hash(HTTPHeaders{{"A", "1"}}), hash(HTTPHeaders{{"A", "1"}}));
  EXPECT_NE(hash(HTTPHeaders{{"A", "1"}, {"B", "2"}}), hash(HTTPHeaders{{"B", "2"}, {"A", "1"}}));
}

TEST(HTTPHeaders, DescriptionIsOneLinePerEntry) {
  EXPECT_EQ((HTTPHeaders{{"A", "1"}, {"B", ""}}).makeDescription(), "A: 1\nB: ");
  EXPECT_EQ(HTTPHeaders().makeDescription(), "");
}

TEST(HTTPHeaders, SortingOrdersByLowerCasedName) {
  const HTTPHeaders headers{{"B", "1"}, {"a", "2"}, {"c", "3"}, {"A2", "4"}};
  EXPECT_EQ(texts(headers.sortedByName()), (std::vector<std::string>{"a: 2", "A2: 4", "B: 1", "c: 3"}));
  EXPECT_EQ(texts(headers), (std::vector<std::string>{"B: 1", "a: 2", "c: 3", "A2: 4"}));
}

TEST(HTTPHeaders, SortingLowerCasesNamesBeyondASCII) {
  // Lower-cased, "\u00C4rger" sorts between "\u00E4pfel" and
  // "\u00E4rger2"; the decomposed e with acute sorts as the precomposed
  // letter, after every ASCII one and after "\u00E4".
  const HTTPHeaders headers{
      {"\u00C4rger", "1"}, {"e\u0301t", "2"}, {"\u00E4pfel", "3"}, {"z", "4"}, {"\u00E4rger2", "5"}};
  EXPECT_EQ(texts(headers.sortedByName()),
            (std::vector<std::string>{"z: 4", "\u00E4pfel: 3", "\u00C4rger: 1", "\u00E4rger2: 5", "e\u0301t: 2"}));
}

TEST(HTTPHeadersDeathTest, PositionPastTheEndStops) {
  const HTTPHeaders headers{{"A", "1"}};
  EXPECT_DEATH(headers[1], "HTTPHeaders position 1 is out of range 0..<1");
}

TEST(HTTPHeader, AuthorizationFactories) {
  EXPECT_EQ(HTTPHeader::basicAuthorization("user", "pass"), HTTPHeader("Authorization", "Basic dXNlcjpwYXNz"));
  EXPECT_EQ(HTTPHeader::basicAuthorization("", "").value(), "Basic Og==");
  EXPECT_EQ(HTTPHeader::basicAuthorization("a:b", "c").value(), "Basic YTpiOmM=");
  EXPECT_EQ(HTTPHeader::bearerAuthorization("t0k3n").value(), "Bearer t0k3n");
  EXPECT_EQ(HTTPHeader::webSocketProtocol("chat").name(), "Sec-WebSocket-Protocol");
}

TEST(DefaultHeaders, QualityListsAndLanguages) {
  EXPECT_EQ(HTTPHeader::defaultAcceptEncoding(), HTTPHeader("Accept-Encoding", "br;q=1.0, gzip;q=0.9, deflate;q=0.8"));
  EXPECT_EQ(acceptLanguageValue({"en-US", "de-DE", "fr", "es", "it", "ja", "ko", "zh"}),
            "en-US;q=1.0, de-DE;q=0.9, fr;q=0.8, es;q=0.7, it;q=0.6, ja;q=0.5");
  EXPECT_EQ(acceptLanguageValue({}), "");
  EXPECT_EQ(&HTTPHeader::defaultAcceptLanguage(), &HTTPHeader::defaultAcceptLanguage());
  EXPECT_EQ(HTTPHeader::defaultAcceptLanguage().name(), "Accept-Language");
}

TEST(DefaultHeaders, UserAgentFromBundleArgumentsAndSystem) {
  const platform::Bundle::InfoDictionary info = {{"CFBundleExecutable", "App"},
                                                 {"CFBundleShortVersionString", "1.2"},
                                                 {"CFBundleIdentifier", "ident"},
                                                 {"CFBundleVersion", "7"}};
  const std::string system = operatingSystemVersionText({6, 1, 0});
  EXPECT_EQ(system, "Linux 6.1.0");
  EXPECT_EQ(userAgentValue(info, {"/usr/bin/other"}, system), "App/1.2 (ident; build:7; Linux 6.1.0) Wendanet/5.11.0");
  EXPECT_EQ(userAgentValue({}, {"/opt//tool/"}, system),
            "tool/Unknown (Unknown; build:Unknown; Linux 6.1.0) Wendanet/5.11.0");
  EXPECT_EQ(userAgentValue({}, {"/"}, system), "Unknown/Unknown (Unknown; build:Unknown; Linux 6.1.0) Wendanet/5.11.0");
  EXPECT_EQ(userAgentValue({}, {}, system), "Unknown/Unknown (Unknown; build:Unknown; Linux 6.1.0) Wendanet/5.11.0");
}

TEST(DefaultHeaders, DefaultSetIsEncodingLanguageAgentInOrder) {
  const auto& defaults = HTTPHeaders::defaultHeaders();
  ASSERT_EQ(defaults.size(), 3u);
  EXPECT_EQ(defaults[0], HTTPHeader::defaultAcceptEncoding());
  EXPECT_EQ(defaults[1], HTTPHeader::defaultAcceptLanguage());
  EXPECT_EQ(defaults[2], HTTPHeader::defaultUserAgent());
  EXPECT_NE(defaults[2].value().find("; " + HTTPHeader::operatingSystemVersionText() + ") Wendanet/5.11.0"),
            std::string::npos);
  EXPECT_EQ(HTTPHeader::operatingSystemVersionText().rfind("Linux ", 0), 0u);
  // This test program registers no bundle information of its own, so it
  // names itself by its executable, not as the application.
  EXPECT_EQ(defaults[2].value().rfind("wendanet_tests/Unknown (Unknown; build:Unknown; ", 0), 0u)
      << defaults[2].value();
}

TEST(HTTPHeadersBridges, RequestAndResponse) {
  platform::URLRequest request(platform::URL::string("http://h/"));
  EXPECT_TRUE(getHeaders(request).empty());
  setHeaders(request, HTTPHeaders{{"A", "1"}, {"B", "2"}});
  EXPECT_EQ(request.valueForHTTPHeaderField("b"), "2");
  EXPECT_EQ(getHeaders(request), (HTTPHeaders{{"A", "1"}, {"B", "2"}}));
  setHeaders(request, HTTPHeaders());
  ASSERT_TRUE(request.allHTTPHeaderFields().has_value());
  EXPECT_TRUE(request.allHTTPHeaderFields()->empty());

  const auto response =
      platform::HTTPURLResponse::make(*platform::URL::string("http://h/"), 200, {{"Set-Cookie", "a"}, {"X", "1"}});
  EXPECT_EQ(getHeaders(*response), (HTTPHeaders{{"Set-Cookie", "a"}, {"X", "1"}}));
}
