#include <gtest/gtest.h>

#include <string>
#include <unordered_set>

#include "Platform/Foundation/UUID.h"

using platform::UUID;

TEST(UUID, NewIdentifiersAreRandomVersion4InUpperCaseGroups) {
  // Upper-case hexadecimal digits; "4" marks the version, 8 to B the variant.
  const std::string form = "XXXXXXXX-XXXX-4XXX-VXXX-XXXXXXXXXXXX";
  std::unordered_set<UUID> seen;
  for (int i = 0; i < 1000; ++i) {
    const std::string text = UUID().uuidString();
    ASSERT_EQ(text.size(), form.size());
    for (std::size_t index = 0; index < form.size(); ++index) {
      const std::string_view allowed = form[index] == 'X' ? "0123456789ABCDEF" : form[index] == 'V' ? "89AB" : "";
      if (allowed.empty()) {
        EXPECT_EQ(text[index], form[index]) << text;
      } else {
        EXPECT_NE(allowed.find(text[index]), std::string_view::npos) << text;
      }
    }
    seen.insert(*UUID::fromString(text));
  }
  EXPECT_EQ(seen.size(), 1000u);
  EXPECT_EQ(UUID(UUID::Bytes{}).uuidString(), "00000000-0000-0000-0000-000000000000");
}

TEST(UUID, TextReadsInEitherCase) {
  const auto mixed = UUID::fromString("0123abcd-EF01-4a5B-89cd-0123456789ef");
  ASSERT_TRUE(mixed);
  EXPECT_EQ(mixed->uuidString(), "0123ABCD-EF01-4A5B-89CD-0123456789EF");
  EXPECT_EQ(mixed, UUID::fromString(mixed->uuidString()));
  EXPECT_LT(*UUID::fromString("00000000-0000-0000-0000-0000000000FF"), *mixed);
  for (const char* text : {"", "0123ABCD-EF01-4A5B-89CD-0123456789E", "0123ABCD-EF01-4A5B-89CD-0123456789EF0",
                           "0123ABCDEF014A5B89CD0123456789EF", "{0123ABCD-EF01-4A5B-89CD-0123456789E}",
                           "0123ABCD-EF01-4A5B-89CD-0123456789EG", "0123ABC-DEF01-4A5B-89CD-0123456789EF"}) {
    EXPECT_FALSE(UUID::fromString(text)) << text;
  }
}
