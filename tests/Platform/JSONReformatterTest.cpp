#include <gtest/gtest.h>

#include <string>

#include "Platform/Coding/JSONSerialization.h"
#include "Platform/Coding/detail/JSONReformatter.h"
#include "Platform/Coding/detail/JSONWriter.h"
#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/Error.h"

namespace platform::detail {
namespace {

using Options = JSONSerialization::WritingOptions;

// What reading the text into a tree and writing that gives, if anything.
std::optional<std::string> throughTree(const std::string& text, Options options) {
  try {
    JSONWriter writer(options);
    return writer.writeIfValid(JSONSerialization::jsonObject(Data(text)));
  } catch (const Error&) {
    return std::nullopt;
  }
}

TEST(JSONReformatter, WritesWhatTheTreeWouldWrite) {
  const std::string texts[] = {
      "[]",
      "{}",
      " [ [ ] , { } , [ [ 1 ] ] ] ",
      R"({"a":{"b":[1,2,{"c":null}]},"d":[],"e":{}})",
      R"([true,false,null,0,-0,1.0,1e2,-1.5e-3,12345678901234567890,-9223372036854775808,0.1])",
      R"(["a/b","q\"uote","back\\slash","\u00e9\u4e2d\ud83d\ude00","\b\f\n\r\t\u0001\u001f","\/"])",
      R"({"sl/ash":"k\u0000ey","\u00e9":1})",
      R"({"1":1,"2":2,"3":3,"4":4,"5":5,"6":6,"7":7,"8":8,"9":9,"10":10,"11":{"x":[{}]}})",
  };
  for (const auto options : {Options::prettyPrinted, Options(), Options::prettyPrinted | Options::withoutEscapingSlashes}) {
    for (const auto& text : texts) {
      const auto reformatted = reformatJSON(text, options);
      ASSERT_TRUE(reformatted.has_value()) << text;
      EXPECT_EQ(*reformatted, throughTree(text, options)) << text;
    }
  }
}

// Where the tree's text differs from the order of the input, or where
// reading or writing would fail, no text comes out, and the caller learns
// whether the tree would do better.
TEST(JSONReformatter, LeavesToTheTreeOnlyWhatItAloneCanWrite) {
  struct Case {
    std::string text;
    ReformatFailure failure;
  };
  const Case cases[] = {
      {R"({"a":1,"b":2,"a":3})", ReformatFailure::needsTree},
      {R"([{"k":1},{"k":2,"k":[]}])", ReformatFailure::needsTree},
      {R"({"1":1,"2":2,"3":3,"4":4,"5":5,"6":6,"7":7,"8":8,"9":9,"3":10})", ReformatFailure::needsTree},
      {"", ReformatFailure::unwritable},
      {"1", ReformatFailure::unwritable},
      {R"("text")", ReformatFailure::unwritable},
      {"[1,", ReformatFailure::unwritable},
      {"[1] [2]", ReformatFailure::unwritable},
      {"[1e999]", ReformatFailure::unwritable},
      {"[\"\xff\"]", ReformatFailure::unwritable},
      {"{\"\xc3\":1}", ReformatFailure::unwritable},
      {"<html></html>", ReformatFailure::unwritable},
      {std::string(600, '[') + std::string(600, ']'), ReformatFailure::unwritable},
  };
  for (const auto& test : cases) {
    const auto reformatted = reformatJSON(test.text, Options::prettyPrinted);
    ASSERT_FALSE(reformatted.has_value()) << test.text << " gave " << *reformatted;
    EXPECT_EQ(reformatted.error(), test.failure) << test.text;
    if (test.failure == ReformatFailure::unwritable) {
      EXPECT_EQ(throughTree(test.text, Options::prettyPrinted), std::nullopt) << test.text;
    }
  }
  EXPECT_EQ(reformatJSON("[]", Options::sortedKeys).error(), ReformatFailure::needsTree);
}

}  // namespace
}  // namespace platform::detail
