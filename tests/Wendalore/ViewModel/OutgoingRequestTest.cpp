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
      {"basic without credentials still goes",
       {},
       {RequestAuthType::basic, "", "", ""},
       {{"Authorization", "Basic Og=="}}},
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

}  // namespace
}  // namespace wendalore
