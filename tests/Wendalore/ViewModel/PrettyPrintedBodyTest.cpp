#include <gtest/gtest.h>

#include <string>

#include "Platform/Coding/JSONSerialization.h"
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

// A NUL ends no JSON text: such a body is shown whole, as the text it is,
// whether or not an object in it repeats a key.
TEST(PrettyPrintedBodyTest, ABodyHoldingANulIsShownWhole) {
  const std::string bodies[] = {
      std::string("{\"a\":1}\0{\"b\":2} trailing garbage", 32),
      std::string("{\"a\":1,\"a\":2}\0{\"b\":2}", 21),
  };
  for (const auto& body : bodies) EXPECT_EQ(prettyPrintedBody(platform::Data(body)), body);
}

std::string writtenFromTree(const std::string& body) {
  return platform::JSONSerialization::data(platform::JSONSerialization::jsonObject(platform::Data(body)),
                                           platform::JSONWritingOptions::prettyPrinted)
      .toString();
}

// Records whose members nest sixty deep: compact, their pretty text is many
// times their size.
std::string deeplyIndentedRecords() {
  std::string record;
  for (int level = 0; level < 60; ++level) record += R"({"id":)" + std::to_string(level) + R"(,"next":)";
  record += R"(["a/b",true,null])" + std::string(60, '}');
  std::string body = "[";
  for (int index = 0; index < 40; ++index) body += record + ",";
  body.back() = ']';
  return body;
}

// Arrays nested hundreds deep grow hundreds of times when indented: such a
// body is shown as it came, while ordinary JSON, however deeply indented,
// is pretty-printed as before.
TEST(PrettyPrintedBodyTest, PrettyTextIsBoundedByTheInMemoryLimit) {
  std::string nested = "[";
  const auto block = std::string(499, '[') + std::string(499, ']');
  while (nested.size() < (1u << 20)) nested += block + ",";
  nested.back() = ']';
  EXPECT_TRUE(prettyPrintedBody(platform::Data(nested)) == nested);

  const auto records = deeplyIndentedRecords();
  const auto pretty = writtenFromTree(records);
  ASSERT_GT(pretty.size(), 4 * records.size());
  EXPECT_EQ(prettyPrintedBody(platform::Data(records)), pretty);
  // The bound is the limit beyond thrice the body, to the byte.
  const auto limit = pretty.size() - 3 * records.size();
  EXPECT_EQ(prettyPrintedBody(platform::Data(records), limit), pretty);
  EXPECT_EQ(prettyPrintedBody(platform::Data(records), limit - 1), records);
}

}  // namespace
}  // namespace wendalore
