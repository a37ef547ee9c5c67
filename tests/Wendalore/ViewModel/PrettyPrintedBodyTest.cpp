#include <gtest/gtest.h>

#include <string>

#include "Wendalore/ViewModel/PrettyPrintedBody.h"

namespace wendalore {
namespace {

TEST(PrettyPrintedBodyTest, OnlyObjectsAndArraysAreReformatted) {
  struct Case {
    std::optional<std::string> body;
    std::string shown;
  };
  const Case cases[] = {
      {std::nullopt, ""},
      {"", ""},
      {R"({"a":{"b":[1,2]}})", "{\n  \"a\" : {\n    \"b\" : [\n      1,\n      2\n    ]\n  }\n}"},
      {"\"text\"", "\"text\""},
      {"{\"a\":", "{\"a\":"},
      {"caf\xc3\xa9", "caf\xc3\xa9"},
  };
  for (const auto& test : cases) {
    const auto body = test.body ? std::optional(platform::Data(*test.body)) : std::nullopt;
    EXPECT_EQ(prettyPrintedBody(body), test.shown) << test.body.value_or("(no body)");
  }
}

}  // namespace
}  // namespace wendalore
