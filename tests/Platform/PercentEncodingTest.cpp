#include <gtest/gtest.h>

#include "Platform/Foundation/CharacterSet.h"
#include "Platform/Foundation/PercentEncoding.h"

using namespace platform;

TEST(CharacterSet, QueryEscapingSetKeepsOnlyLettersDigitsAndSixMarks) {
  const auto set = CharacterSet::urlQueryAllowed().removing(":#[]@!$&'()*+,;=");
  std::string kept;
  for (char32_t c = 0; c < 128; ++c) {
    if (set.contains(c)) kept += static_cast<char>(c);
  }
  EXPECT_EQ(kept, "-./0123456789?ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz~");
  EXPECT_FALSE(set.contains(U'é'));
  // The shared set itself is untouched.
  EXPECT_TRUE(CharacterSet::urlQueryAllowed().contains(U'&'));
}

TEST(CharacterSet, NamedSetsFollowTheURLGrammar) {
  EXPECT_TRUE(CharacterSet::urlPathAllowed().contains(U'/'));
  EXPECT_FALSE(CharacterSet::urlPathAllowed().contains(U'?'));
  EXPECT_TRUE(CharacterSet::urlQueryAllowed().contains(U'?'));
  EXPECT_FALSE(CharacterSet::urlQueryAllowed().contains(U'#'));
  EXPECT_FALSE(CharacterSet::urlFragmentAllowed().contains(U'%'));
  EXPECT_TRUE(CharacterSet::urlHostAllowed().contains(U'['));
  EXPECT_FALSE(CharacterSet::urlHostAllowed().contains(U'/'));
}

TEST(CharacterSet, AlphanumericsCoverOtherScriptsAndCanLoseMembers) {
  const auto& set = CharacterSet::alphanumerics();
  EXPECT_TRUE(set.contains(U'a'));
  EXPECT_TRUE(set.contains(U'7'));
  EXPECT_TRUE(set.contains(U'é'));
  EXPECT_TRUE(set.contains(U'中'));
  EXPECT_FALSE(set.contains(U'-'));
  EXPECT_FALSE(set.contains(U'—'));
  const auto fewer = set.removing("é7");
  EXPECT_FALSE(fewer.contains(U'é'));
  EXPECT_FALSE(fewer.contains(U'7'));
  EXPECT_TRUE(fewer.inserting("é").contains(U'é'));
  EXPECT_TRUE(CharacterSet::characters("€ ").contains(U'€'));
}

TEST(PercentEncoding, EscapesEachUTF8ByteInUpperCaseHex) {
  const auto set = CharacterSet::urlQueryAllowed().removing(":#[]@!$&'()*+,;=");
  EXPECT_EQ(addingPercentEncoding("a b&c", set), "a%20b%26c");
  EXPECT_EQ(addingPercentEncoding("é+%", set), "%C3%A9%2B%25");
  EXPECT_EQ(addingPercentEncoding("/?-._~", set), "/?-._~");
  EXPECT_EQ(addingPercentEncoding("a b", set.inserting(" ")), "a b");
  EXPECT_EQ(addingPercentEncoding("", set), "");
  EXPECT_EQ(addingPercentEncoding("€", CharacterSet::characters("€")), "€");
  // Text that is not UTF-8 cannot be encoded as characters.
  EXPECT_EQ(addingPercentEncoding("\xC3", set), std::nullopt);
  EXPECT_EQ(addingPercentEncoding("\xED\xA0\x80", set), std::nullopt);
}

TEST(PercentEncoding, DecodesOnlyWellFormedUTF8) {
  EXPECT_EQ(removingPercentEncoding("a%20b%2fc%C3%A9+"), "a b/cé+");
  EXPECT_EQ(removingPercentEncoding("plain"), "plain");
  EXPECT_EQ(removingPercentEncoding("100%"), std::nullopt);
  EXPECT_EQ(removingPercentEncoding("%4"), std::nullopt);
  EXPECT_EQ(removingPercentEncoding("%G0"), std::nullopt);
  EXPECT_EQ(removingPercentEncoding("%FF"), std::nullopt);
  EXPECT_EQ(removingPercentEncoding("%C0%AF"), std::nullopt);  // overlong "/"
}

TEST(PercentEncoding, ByteFormsRoundTripAnyBytes) {
  const std::string bytes("a\0\xFF\xC3\xA9 %", 7);
  const auto encoded = percentEncodedBytes(bytes, CharacterSet::alphanumerics());
  EXPECT_EQ(encoded, "a%00%FFé%20%25");
  EXPECT_EQ(percentDecodedBytes(encoded), bytes);
}
