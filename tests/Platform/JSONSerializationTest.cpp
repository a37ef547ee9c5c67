#include <fmt/format.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Platform/Coding/JSONSerialization.h"

using namespace platform;
using Options = JSONSerialization::WritingOptions;

namespace {

std::string write(const JSONValue& value, Options options = {}) {
  return JSONSerialization::data(value, options).toString();
}

JSONValue read(std::string_view text, JSONSerialization::ReadingOptions options = {}) {
  return JSONSerialization::jsonObject(Data(text), options);
}

JSONSerializationError readingError(std::string_view text) {
  try {
    read(text);
  } catch (const JSONSerializationError& error) {
    return error;
  }
  ADD_FAILURE() << "no error for " << text;
  return JSONSerializationError(JSONSerializationError::Kind::unreadableText, "");
}

}  // namespace

TEST(JSONWriter, CompactOutputHasNoSpacesAndKeepsInsertionOrder) {
  const auto value = JSONValue::object({{"b", JSONValue::array({1, 2})}, {"a", 1}, {"c", JSONValue::object({})}});
  EXPECT_EQ(write(value), R"({"b":[1,2],"a":1,"c":{}})");
  EXPECT_EQ(write(JSONValue::object({})), "{}");
  EXPECT_EQ(write(JSONValue::array({})), "[]");
}

TEST(JSONWriter, PrettyPrintingIndentsByTwoAndEscapesSlashes) {
  EXPECT_EQ(write(JSONValue::object({{"u", "http://x/y"}}), Options::prettyPrinted), "{\n  \"u\" : \"http:\\/\\/x\\/y\"\n}");
  const auto nested = JSONValue::object(
      {{"list", JSONValue::array({1, JSONValue::object({{"k", nullptr}})})}, {"empty", JSONValue::array({})}, {"none", JSONValue::object({})}});
  EXPECT_EQ(write(nested, Options::prettyPrinted),
            "{\n"
            "  \"list\" : [\n"
            "    1,\n"
            "    {\n"
            "      \"k\" : null\n"
            "    }\n"
            "  ],\n"
            "  \"empty\" : [],\n"
            "  \"none\" : {}\n"
            "}");
  EXPECT_EQ(write(JSONValue::object({}), Options::prettyPrinted), "{}");
}

TEST(JSONWriter, SortedKeysFollowCodePointOrderAtEveryLevel) {
  const auto value = JSONValue::object(
      {{"b", 1}, {"\xc3\xa9", 2}, {"B", 3}, {"a", JSONValue::object({{"z", 1}, {"_", 2}})}, {"\xf0\x9f\x98\x80", 4}, {"\xef\xbd\x81", 5}});
  // U+FF41 sorts before U+1F600, which a comparison of UTF-16 units would reverse.
  EXPECT_EQ(write(value, Options::sortedKeys),
            "{\"B\":3,\"a\":{\"_\":2,\"z\":1},\"b\":1,\"\xc3\xa9\":2,\"\xef\xbd\x81\":5,\"\xf0\x9f\x98\x80\":4}");
}

TEST(JSONWriter, FragmentsAreWrittenOnlyWhenAllowed) {
  EXPECT_THROW(write(42), JSONSerializationError);
  EXPECT_THROW(write("text"), JSONSerializationError);
  EXPECT_EQ(write(42, Options::fragmentsAllowed), "42");
  EXPECT_EQ(write(nullptr, Options::fragmentsAllowed), "null");
  EXPECT_EQ(write("a/b", Options::fragmentsAllowed | Options::withoutEscapingSlashes), "\"a/b\"");
}

TEST(JSONWriter, StringsEscapeControlsQuotesAndBackslashButKeepUTF8) {
  const std::string text = "q\"b\\n\n r\r t\t b\b f\f \x01\x1f\x7f \xc3\xa9 \xf0\x9f\x98\x80";
  EXPECT_EQ(write(JSONValue::array({text})),
            "[\"q\\\"b\\\\n\\n r\\r t\\t b\\b f\\f \\u0001\\u001f\x7f \xc3\xa9 \xf0\x9f\x98\x80\"]");
}

TEST(JSONWriter, NumbersKeepTheirKindAndShortestForm) {
  const auto value = JSONValue::array({true, false, 0, -7, std::numeric_limits<std::int64_t>::min(),
                                       std::numeric_limits<std::uint64_t>::max(), 2.0, 0.1, -1.5, 1e16, 1e-5,
                                       1733424000000.0, 0.0001});
  EXPECT_EQ(write(value),
            "[true,false,0,-7,-9223372036854775808,18446744073709551615,2,0.1,-1.5,1e+16,1e-05,1733424000000,0.0001]");
}

// "-0" would read back as the integer 0, losing the sign.
TEST(JSONWriter, NegativeZeroComesBackAsANegativeDouble) {
  EXPECT_EQ(write(JSONValue::array({-0.0, 0.0})), "[-0.0,0]");
  const auto read = JSONSerialization::jsonObject(platform::Data(write(JSONValue::array({-0.0}))));
  const auto* zero = read.as<platform::JSONArray>()->at(0).as<double>();
  ASSERT_NE(zero, nullptr);
  EXPECT_TRUE(std::signbit(*zero));
}

TEST(JSONValidity, NonFiniteNumbersBadTextAndScalarsAtTheTopAreInvalid) {
  EXPECT_TRUE(JSONSerialization::isValidJSONObject(JSONValue::object({{"a", JSONValue::array({1.5, "x", nullptr})}})));
  EXPECT_FALSE(JSONSerialization::isValidJSONObject(JSONValue::array({std::nan("")})));
  EXPECT_FALSE(JSONSerialization::isValidJSONObject(
      JSONValue::object({{"deep", JSONValue::array({std::numeric_limits<double>::infinity()})}})));
  EXPECT_FALSE(JSONSerialization::isValidJSONObject(JSONValue::array({"\xff"})));
  EXPECT_FALSE(JSONSerialization::isValidJSONObject(JSONValue::object({{"\xc0\xaf", 1}})));
  EXPECT_FALSE(JSONSerialization::isValidJSONObject(42));
  EXPECT_TRUE(JSONSerialization::isValidJSONObject(42, Options::fragmentsAllowed));
  EXPECT_FALSE(JSONSerialization::isValidJSONObject(std::nan(""), Options::fragmentsAllowed));

  try {
    write(JSONValue::array({std::nan("")}));
    FAIL() << "NaN was written";
  } catch (const JSONSerializationError& error) {
    EXPECT_EQ(error.kind(), JSONSerializationError::Kind::unwritableValue);
    EXPECT_NE(error.description().find("nan"), std::string::npos) << error.description();
  }
  // Whatever makes a value invalid stops the writing too, however deep.
  const std::vector<std::pair<JSONValue, std::string_view>> unwritable{
      {JSONValue::object({{"ok", 1}, {"deep", JSONValue::array({std::numeric_limits<double>::infinity()})}}), "inf"},
      {JSONValue::array({"fine", "\xff"}), "a string is not valid UTF-8"},
      {JSONValue::object({{"\xc0\xaf", 1}}), "an object key is not valid UTF-8"},
      {JSONValue(42), "fragments are not allowed"},
  };
  for (const auto& [value, message] : unwritable) {
    try {
      write(value, Options::sortedKeys);
      ADD_FAILURE() << "written: " << message;
    } catch (const JSONSerializationError& error) {
      EXPECT_EQ(error.kind(), JSONSerializationError::Kind::unwritableValue);
      EXPECT_NE(error.description().find(message), std::string::npos) << error.description();
    }
  }
}

TEST(JSONReader, KeepsKindsAndKeyOrder) {
  const auto value = read(R"({"z":1,"a":1.0,"m":true,"n":null,"s":"\u00e9\/","big":18446744073709551615,"huge":18446744073709551616})");
  const auto* object = value.as<JSONObject>();
  ASSERT_NE(object, nullptr);
  std::vector<std::string> keys;
  for (const auto& entry : *object) keys.push_back(entry.first);
  EXPECT_EQ(keys, (std::vector<std::string>{"z", "a", "m", "n", "s", "big", "huge"}));
  EXPECT_EQ(*object->find("z"), JSONValue(1));
  EXPECT_NE(object->find("z")->as<std::int64_t>(), nullptr);
  EXPECT_NE(object->find("a")->as<double>(), nullptr);
  EXPECT_NE(object->find("m")->as<bool>(), nullptr);
  EXPECT_TRUE(object->find("n")->isNull());
  EXPECT_EQ(*object->find("s"), JSONValue("\xc3\xa9/"));
  EXPECT_EQ(*object->find("big"), JSONValue(std::numeric_limits<std::uint64_t>::max()));
  EXPECT_EQ(*object->find("huge"), JSONValue(18446744073709551616.0));
}

// Small and large objects look keys up differently; both must find
// duplicates, whether the first one came before the object grew or after.
TEST(JSONReader, ALaterDuplicateKeyWinsButKeepsTheFirstPosition) {
  EXPECT_EQ(write(read(R"({"a":1,"b":2,"a":3})")), R"({"a":3,"b":2})");
  std::string wide = "{";
  std::string expected = "{";
  for (int key = 0; key < 20; ++key) {
    wide += fmt::format(R"("k{}":{},)", key, key);
    expected += fmt::format(R"({}"k{}":{})", key == 0 ? "" : ",", key, key == 3 || key == 15 ? -key : key);
  }
  wide += R"("k3":-3,"k15":-15})";
  expected += "}";
  EXPECT_EQ(write(read(wide)), expected);
  EXPECT_EQ(*read(wide).as<JSONObject>()->find("k19"), JSONValue(19));
}

TEST(JSONReader, FragmentsAreReadOnlyWhenAllowed) {
  EXPECT_THROW(read("42"), JSONSerializationError);
  EXPECT_THROW(read("\"x\""), JSONSerializationError);
  EXPECT_EQ(read("42", JSONSerialization::ReadingOptions::fragmentsAllowed), JSONValue(42));
  EXPECT_EQ(read(" null ", JSONSerialization::ReadingOptions::fragmentsAllowed), JSONValue(nullptr));
}

TEST(JSONReader, MalformedTextGivesAClearMessageWithItsOffset) {
  const auto truncated = readingError("[tru");
  EXPECT_EQ(truncated.kind(), JSONSerializationError::Kind::unreadableText);
  EXPECT_EQ(truncated.offset(), 4u);
  EXPECT_NE(truncated.description().find("invalid literal"), std::string::npos) << truncated.description();
  EXPECT_EQ(truncated.description().find("json.exception"), std::string::npos) << truncated.description();

  EXPECT_EQ(readingError(R"({"a":1,})").offset(), 7u);
  EXPECT_EQ(readingError("").offset(), 0u);
  EXPECT_EQ(readingError("[1] x").offset(), 4u);
  // The message never echoes bytes that are not text.
  const auto badBytes = readingError("[\"\xff\"]");
  EXPECT_EQ(badBytes.description().find('\xff'), std::string::npos);
  EXPECT_NE(readingError("[1e400]").description().find("1e400"), std::string::npos);
  EXPECT_THROW(read("[\"\\ud800\"]"), JSONSerializationError);
  // Not the end of the text: what follows a NUL is read too.
  EXPECT_EQ(readingError(std::string_view("{\"a\":1}\0{\"b\":2} trailing garbage", 32)).offset(), 7u);
}

TEST(JSONReader, RefusesNestingBeyondTheLimit) {
  const auto nested = [](std::size_t depth) { return std::string(depth, '[') + std::string(depth, ']'); };
  EXPECT_NO_THROW(read(nested(512)));
  const auto error = readingError(nested(513));
  EXPECT_NE(error.description().find("512"), std::string::npos) << error.description();
  EXPECT_THROW(read(nested(100000)), JSONSerializationError);
}

TEST(JSONReader, PrettyPrintingWhatWasReadRoundTrips) {
  const std::string text = R"({"url":"https:\/\/example.test\/a","list":[1,2.5,"\u0001"],"nested":{"ok":false}})";
  const auto value = read(text);
  EXPECT_EQ(write(value), text);
  EXPECT_EQ(read(JSONSerialization::data(value, Options::prettyPrinted).view()), value);
}
