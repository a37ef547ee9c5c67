#include <fmt/format.h>
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

// Many records, each repeating a key, over more text than a pass keeps at
// once while it counts.
std::string recordsRepeatingKeys() {
  std::string text = "[";
  for (int index = 0; index < 2000; ++index) {
    text += fmt::format(R"({{"id":{},"v":[[["x/y"]]],"id":{{"id":[{}],"id":{}}}}},)", index, index, -index);
  }
  text.back() = ']';
  return text;
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
      // Nested deeper than the room a text's size suggests.
      std::string(100, '[') + "1" + std::string(100, ']'),
      // Of a key written twice, the last value counts, at the first place,
      // in objects at any level, hashed or not, in values that count or not.
      R"({"a":1,"b":2,"a":3})",
      R"({"a":"a longer value","b":[],"a":0,"c":{},"a":[1]})",
      R"([{"k":1},{"k":2,"k":[]}])",
      R"({"1":1,"2":2,"3":3,"4":4,"5":5,"6":6,"7":7,"8":8,"9":9,"3":10})",
      R"({"a":{"x":1,"x":{"y":[],"y":2}},"b":[{"k":{"k":1,"k":2}}],"a":{"a":1,"a":[2,{"a":3,"a":4}]},"c":"/","a":[]})",
      recordsRepeatingKeys(),
  };
  for (const auto options : {Options::prettyPrinted, Options(), Options::prettyPrinted | Options::withoutEscapingSlashes}) {
    for (const auto& text : texts) {
      const auto reformatted = reformatJSON(text, options);
      ASSERT_TRUE(reformatted.has_value()) << text.substr(0, 120);
      EXPECT_TRUE(*reformatted == throughTree(text, options)) << text.substr(0, 120);
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
      // The reader would stop at the NUL as at the end of the text.
      {std::string("{\"a\":1}\0{\"b\":2} trailing garbage", 32), ReformatFailure::unwritable},
      {std::string("{\"a\":1,\"a\":2}\0", 14), ReformatFailure::unwritable},
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

// Many records over more text than a pass keeps at once while it counts.
std::string records() {
  std::string text = "[";
  for (int index = 0; index < 2000; ++index) text += fmt::format(R"({{"id":{},"v":[[["x/y"]]]}},)", index);
  text.back() = ']';
  return text;
}

// The largest size given holds, to the byte, for the text that comes out,
// however much larger than what is read.
TEST(JSONReformatter, WritesNoMoreThanTheLargestSizeGiven) {
  const std::string texts[] = {
      std::string(40, '[') + "1" + std::string(40, ']'),
      std::string(400, '[') + std::string(400, ']'),
      records(),
  };
  for (const auto& text : texts) {
    const auto whole = reformatJSON(text, Options::prettyPrinted);
    ASSERT_TRUE(whole.has_value()) << text.substr(0, 80);
    const auto bounded = reformatJSON(text, Options::prettyPrinted, whole->size());
    EXPECT_TRUE(bounded == whole) << text.substr(0, 80);
    const auto tooSmall = reformatJSON(text, Options::prettyPrinted, whole->size() - 1);
    ASSERT_FALSE(tooSmall.has_value()) << text.substr(0, 80);
    EXPECT_EQ(tooSmall.error(), ReformatFailure::tooLarge) << text.substr(0, 80);
  }
}

// Many small records that each repeat a key, and one object that repeats
// each of its many keys.
std::string smallRecordsRepeatingAKey() {
  std::string text = "[";
  for (int index = 0; index < 2000; ++index) text += fmt::format(R"({{"k":{},"k":{}}},)", index, -index);
  text.back() = ']';
  return text;
}
std::string objectRepeatingEachKey() {
  std::string text = "{";
  for (int index = 0; index < 20000; ++index) text += fmt::format(R"("{}":1,"{}":2,)", index, index);
  text.back() = '}';
  return text;
}

// What it takes to plan a text that repeats keys counts against the
// largest size with the text: a text is refused when its plan would take
// the room, even though the text alone would fit.
TEST(JSONReformatter, CountsWhatPlanningHoldsAgainstTheLargestSize) {
  for (const auto& text : {smallRecordsRepeatingAKey(), objectRepeatingEachKey()}) {
    const auto whole = reformatJSON(text, Options::prettyPrinted);
    ASSERT_TRUE(whole.has_value()) << text.substr(0, 80);
    EXPECT_TRUE(*whole == throughTree(text, Options::prettyPrinted)) << text.substr(0, 80);
    const auto atTheTextsSize = reformatJSON(text, Options::prettyPrinted, whole->size());
    ASSERT_FALSE(atTheTextsSize.has_value()) << text.substr(0, 80);
    EXPECT_EQ(atTheTextsSize.error(), ReformatFailure::tooLarge) << text.substr(0, 80);
  }
  // The keys of one large object are the most of its plan: many times
  // what its text takes.
  const auto wide = objectRepeatingEachKey();
  const auto written = reformatJSON(wide, Options::prettyPrinted);
  ASSERT_TRUE(written.has_value());
  EXPECT_EQ(reformatJSON(wide, Options::prettyPrinted, 3 * written->size()).error(), ReformatFailure::tooLarge);
  // Records are planned in less than their size.
  const auto records = smallRecordsRepeatingAKey();
  const auto pretty = reformatJSON(records, Options::prettyPrinted);
  ASSERT_TRUE(pretty.has_value());
  EXPECT_TRUE(reformatJSON(records, Options::prettyPrinted, pretty->size() + records.size()) == pretty);
}

}  // namespace
}  // namespace platform::detail
