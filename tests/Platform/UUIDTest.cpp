#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <unordered_set>

#include "Platform/Foundation/UUID.h"

using platform::UUID;

TEST(UUID, NewIdentifiersAreRandomVersion4InUpperCaseGroups) {
  const std::regex form("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
  std::unordered_set<std::string> seen;
  for (int i = 0; i < 1000; ++i) {
    const std::string text = UUID().uuidString();
    EXPECT_TRUE(std::regex_match(text, form)) << text;
    seen.insert(text);
  }
  EXPECT_EQ(seen.size(), 1000u);
}

TEST(UUID, TextRoundTripsAndReadsEitherCase) {
  const UUID original;
  EXPECT_EQ(UUID::fromString(original.uuidString()), original);
  EXPECT_EQ(original.description(), original.uuidString());

  const auto mixed = UUID::fromString("0123abcd-EF01-4a5B-89cd-0123456789ef");
  ASSERT_TRUE(mixed);
  EXPECT_EQ(mixed->uuidString(), "0123ABCD-EF01-4A5B-89CD-0123456789EF");
  EXPECT_EQ(mixed->bytes()[0], 0x01);
  EXPECT_EQ(mixed->bytes()[15], 0xEF);

  EXPECT_EQ(UUID(UUID::Bytes{}).uuidString(), "00000000-0000-0000-0000-000000000000");
}

TEST(UUID, RejectsTextThatIsNotTheHyphenatedForm) {
  for (const char* text : {"", "0123ABCD-EF01-4A5B-89CD-0123456789E", "0123ABCD-EF01-4A5B-89CD-0123456789EF0",
                           "0123ABCDEF014A5B89CD0123456789EF", "{0123ABCD-EF01-4A5B-89CD-0123456789E}",
                           "0123ABCD-EF01-4A5B-89CD_0123456789EF", "0123ABCD-EF01-4A5B-89CD-0123456789EG",
                           "0123ABC-DEF01-4A5B-89CD-0123456789EF", " 123ABCD-EF01-4A5B-89CD-0123456789EF"}) {
    EXPECT_FALSE(UUID::fromString(text)) << text;
  }
}

TEST(UUID, EqualityOrderingAndHashingFollowTheBytes) {
  const auto low = *UUID::fromString("00000000-0000-0000-0000-0000000000FF");
  const auto high = *UUID::fromString("01000000-0000-0000-0000-000000000000");
  EXPECT_LT(low, high);
  EXPECT_EQ(low, *UUID::fromString("00000000-0000-0000-0000-0000000000ff"));
  EXPECT_EQ(std::hash<UUID>{}(low), std::hash<UUID>{}(*UUID::fromString("00000000-0000-0000-0000-0000000000ff")));
  const std::set<UUID> ordered{high, low};
  EXPECT_EQ(*ordered.begin(), low);
}
