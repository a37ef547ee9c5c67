#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "Wendalore/ViewModel/OutgoingRequest.h"
#include "tests/Wendalore/ViewModel/HeaderRows.h"

namespace wendalore {
namespace {

using test::headerRows;
using test::Row;
using Fields = std::vector<std::pair<std::string, std::string>>;

Fields fields(const wendanet::HTTPHeaders& headers) {
  Fields result;
  for (const auto& header : headers) result.emplace_back(header.name(), header.value());
  return result;
}

TEST(OutgoingRequestTest, HeadersComeFromEnabledRowsThenTheAuthorisation) {
  struct Case {
    const char* name;
    std::vector<Row> rows;
    Credentials credentials;
    Fields expected;
  };
  const Case cases[] = {
      {"disabled and keyless rows add nothing", {{"X-Off", "1", false}, {"", "v"}}, {}, {}},
      {"a later row takes an earlier one's place, name and value",
       {{"Accept", "a"}, {"X-B", "2"}, {"accept", "b"}},
       {},
       {{"accept", "b"}, {"X-B", "2"}}},
      {"keys and values stay as typed", {{" Key ", ""}}, {}, {{" Key ", ""}}},
      {"basic without credentials still goes", {}, {RequestAuthType::basic, "", "", ""}, {{"Authorization", "Basic Og=="}}},
      {"basic", {}, {RequestAuthType::basic, "ada", "pw", ""}, {{"Authorization", "Basic YWRhOnB3"}}},
      {"bearer without a token", {}, {RequestAuthType::bearer, "", "", ""}, {{"Authorization", "Bearer "}}},
      {"bearer replaces a row in its place",
       {{"X-A", "1"}, {"authorization", "x"}, {"X-B", "2"}},
       {RequestAuthType::bearer, "", "", "t"},
       {{"X-A", "1"}, {"Authorization", "Bearer t"}, {"X-B", "2"}}},
  };
  for (const auto& test : cases) {
    EXPECT_EQ(fields(outgoingHeaders(headerRows(test.rows), test.credentials)), test.expected) << test.name;
  }
}

TEST(OutgoingRequestTest, TextBodiesGoOnlyWithMethodsMeantForThemAndDeclareTheirType) {
  struct Case {
    RequestBodyType type;
    const char* method;
    std::vector<Row> rows;
    bool carried;
    std::optional<std::string> contentType;
  };
  const Case cases[] = {
      {RequestBodyType::json, "patch", {}, true, "application/json"},
      {RequestBodyType::json, "Post", {{"content-type", "application/vnd.api+json"}}, true,
       "application/vnd.api+json"},
      {RequestBodyType::rawText, "GET", {}, false, "text/plain"},
      {RequestBodyType::rawText, "DELETE", {}, false, "text/plain"},
      {RequestBodyType::rawText, "PUT", {}, true, "text/plain"},
      {RequestBodyType::formUrlEncoded, "GET", {{"Content-Type", "text/plain"}}, true,
       "application/x-www-form-urlencoded"},
  };
  const auto url = *platform::URL::string("http://127.0.0.1/anything");
  for (const auto& test : cases) {
    const auto request = textBodyRequest(url, test.method, outgoingHeaders(headerRows(test.rows), {}), "a=1", test.type);
    const auto label = std::string(test.method) + " " + std::string(rawValue(test.type));
    EXPECT_EQ(carriesBody(test.type, test.method), test.carried) << label;
    EXPECT_EQ(request.httpBody(), test.carried ? std::optional(platform::Data("a=1")) : std::nullopt) << label;
    EXPECT_EQ(request.valueForHTTPHeaderField("Content-Type"), test.contentType) << label;
    EXPECT_EQ(request.httpMethod(), test.method) << label;
    EXPECT_EQ(request.timeoutInterval(), 60) << label;
  }
  EXPECT_FALSE(carriesBody(RequestBodyType::none, "POST"));
  EXPECT_TRUE(carriesBody(RequestBodyType::multipart, "GET"));
}

}  // namespace
}  // namespace wendalore
