#include <gtest/gtest.h>

#include <string>

#include "Platform/Foundation/UTF8.h"

using platform::decodeUTF8;
using platform::decodeUTF8Repairing;
using platform::isValidUTF8;

TEST(UTF8, WellFormedTextPassesUnchanged) {
  const std::string text =
      "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xEF\xBF\xBF\xF4\x8F\xBF\xBF";  // a é € 😀 U+FFFF U+10FFFF
  EXPECT_EQ(decodeUTF8(text), text);
  EXPECT_EQ(decodeUTF8Repairing(text), text);
  EXPECT_EQ(decodeUTF8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(UTF8, EachMaximalIllFormedSubsequenceBecomesOneReplacement) {
  // "#" stands for U+FFFD in the expected texts.
  const std::pair<std::string, std::string> cases[] = {
      {"\x61\xFF\x62", "a#b"},
      {"\xE1\x80\x41", "#A"},         // a valid prefix cut short is one subpart
      {"\xF0\x80\x80", "###"},        // F0 80 is no valid prefix
      {"\xF0\x9F\x98", "#"},          // cut short at the end
      {"\xC0\xAF", "##"},             // overlong
      {"\xE0\x80\xAF", "###"},        // overlong
      {"\xED\xA0\x80", "###"},        // surrogate
      {"\xF4\x90\x80\x80", "####"},   // above U+10FFFF
      {"\xC2\xC3\xA9", "#\xC3\xA9"},  // the next lead starts afresh
      {"\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64", "a###b#c##d"},
  };
  for (const auto& [bytes, expected] : cases) {
    std::string text;
    for (char symbol : expected) text += symbol == '#' ? std::string("\xEF\xBF\xBD") : std::string(1, symbol);
    EXPECT_EQ(decodeUTF8Repairing(bytes), text) << testing::PrintToString(bytes);
    EXPECT_FALSE(isValidUTF8(bytes));
    EXPECT_FALSE(decodeUTF8(bytes));
  }
}
