#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "Wendanet/Source/Support/KeyEncoding.h"
#include "Wendanet/Source/Support/UnicodeCase.h"

using namespace wendanet;

TEST(KeyEncoding, SnakeCaseSplitsWordsAndAcronyms) {
  const std::vector<std::pair<std::string, std::string>> cases{
      {"myProperty", "my_property"},
      {"myURLProperty", "my_url_property"},
      {"userID", "user_id"},
      {"URLValue", "u_rl_value"},
      {"ABC", "a_bc"},
      {"value2Name", "value2_name"},
      {"myProperty2X", "my_property2_x"},
      {"a", "a"},
      {"", ""},
      {"already_snake", "already_snake"},
      {"tags[]", "tags[]"},
  };
  const KeyEncoding snake = KeyEncoding::convertToSnakeCase;
  for (const auto& [key, written] : cases) EXPECT_EQ(snake.encode(key), written) << key;
  EXPECT_EQ(KeyEncoding(KeyEncoding::convertToKebabCase).encode("myURLProperty"), "my-url-property");
}

TEST(KeyEncoding, WordsSplitAtUnicodeCapitalsAndLowerCaseFully) {
  const KeyEncoding snake = KeyEncoding::convertToSnakeCase;
  EXPECT_EQ(snake.encode("prixÉtéFinal"), "prix_été_final");
  EXPECT_EQ(snake.encode("ΑβΓδ"), "αβ_γδ");
  // Circled letters and Roman numerals are not letters of a case.
  EXPECT_EQ(snake.encode("aⒶbⅫc"), "aⓐbⅻc");
  // Modifier letters are not lower-case letters: the capitals stay a run.
  EXPECT_EQ(snake.encode("xABʰ"), "x_abʰ");
  EXPECT_EQ(snake.encode("keyİd"), "key_i\u0307d");
}

TEST(KeyEncoding, CaseMappings) {
  EXPECT_EQ(KeyEncoding(KeyEncoding::capitalized).encode("tags[]"), "Tags[]");
  EXPECT_EQ(KeyEncoding(KeyEncoding::capitalized).encode("ßtraße"), "SStraße");
  EXPECT_EQ(KeyEncoding(KeyEncoding::capitalized).encode(""), "");
  EXPECT_EQ(KeyEncoding(KeyEncoding::uppercased).encode("straße[ﬁx]"), "STRASSE[FIX]");
  EXPECT_EQ(KeyEncoding(KeyEncoding::lowercased).encode("ÀB[C]"), "àb[c]");
  // Capital sigma ends a word as the final form, looking through marks and
  // apostrophes; before a letter, or with none before it, it is the
  // ordinary one.
  EXPECT_EQ(KeyEncoding(KeyEncoding::lowercased).encode("ΟΔΟΣ ΑΣ\u0301 Α'Σ ΣΑ Σ[ΑΣΣ]"), "οδος ας\u0301 α'ς σα σ[ασς]");
  EXPECT_EQ(KeyEncoding(KeyEncoding::useDefaultKeys).encode("MyKey"), "MyKey");
  const auto custom = KeyEncoding::custom([](const std::string& key) { return "x-" + key; });
  EXPECT_EQ(custom.encode("k"), "x-k");
}

TEST(UnicodeCase, BytesThatAreNotUTF8PassThrough) {
  EXPECT_EQ(uppercased("a\xFFz"), "A\xFFZ");
  const std::string brokenKey = std::string("a\xC3") + "Bc";
  EXPECT_EQ(KeyEncoding(KeyEncoding::convertToSnakeCase).encode(brokenKey), "a\xC3_bc");
  EXPECT_TRUE(isUppercaseLetter(U'ǅ'));
  EXPECT_FALSE(isLowercaseLetter(U'ǅ'));
  EXPECT_FALSE(isLowercaseLetter(U'ª'));
  EXPECT_TRUE(isLowercaseLetter(U'ß'));
}
