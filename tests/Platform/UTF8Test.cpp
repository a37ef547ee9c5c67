#include <gtest/gtest.h>

#include <string>

#include "Platform/Foundation/UTF8.h"

using platform::decodeUTF8;
using platform::decodeUTF8Repairing;
using platform::isValidUTF8;

namespace {

const std::string fffd = "\xEF\xBF\xBD";

std::string repeated(const std::string& text, int count) {
  std::string result;
  for (int i = 0; i < count; ++i) result += text;
  return result;
}

}  // namespace

TEST(UTF8, WellFormedTextPassesUnchanged) {
  const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xEF\xBF\xBF\xF4\x8F\xBF\xBF";  // a é € 😀 U+FFFF U+10FFFF
  EXPECT_TRUE(isValidUTF8(text));
  EXPECT_EQ(decodeUTF8(text), text);
  EXPECT_EQ(decodeUTF8Repairing(text), text);
  EXPECT_EQ(decodeUTF8(""), "");
  EXPECT_EQ(decodeUTF8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(UTF8, EachMaximalIllFormedSubsequenceBecomesOneReplacement) {
  struct Case {
    std::string bytes;
    std::string text;
  };
  const Case cases[] = {
      {"a\xFF" "b", "a" + fffd + "b"},
      {"\xE1\x80" "A", fffd + "A"},                 // a valid prefix cut short is one subpart
      {"\xF0\x80\x80", repeated(fffd, 3)},          // F0 80 is no valid prefix
      {"\xF0\x9F\x98", fffd},                       // truncated at the end
      {"\xC0\xAF", repeated(fffd, 2)},              // overlong lead
      {"\xE0\x80\xAF", repeated(fffd, 3)},          // overlong three-byte form
      {"\xED\xA0\x80", repeated(fffd, 3)},          // surrogate
      {"\xF4\x90\x80\x80", repeated(fffd, 4)},      // above U+10FFFF
      {"\xF5\x80", repeated(fffd, 2)},
      {"\x80\xBF", repeated(fffd, 2)},              // lone continuation bytes
      {"\xC2" "\xC3\xA9", fffd + "\xC3\xA9"},       // the next lead starts afresh
      {"\xF1\x80\x80\xE1\x80\xC2", repeated(fffd, 3)},
      {"\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64", "a" + repeated(fffd, 3) + "b" + fffd + "c" +
                                                                   repeated(fffd, 2) + "d"},
  };
  for (const Case& test : cases) {
    EXPECT_EQ(decodeUTF8Repairing(test.bytes), test.text) << testing::PrintToString(test.bytes);
    EXPECT_FALSE(isValidUTF8(test.bytes));
    EXPECT_FALSE(decodeUTF8(test.bytes));
  }
}
