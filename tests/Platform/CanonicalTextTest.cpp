#include "Platform/Text/CanonicalText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace platform {
namespace {

const std::string precomposed = "caf\u00e9";    // é as one scalar
const std::string decomposed = "cafe\u0301";    // e and a combining acute accent

TEST(CanonicalText, ComposedAndDecomposedFormsAreOneText) {
  EXPECT_NE(precomposed, decomposed);
  EXPECT_EQ(canonicalComposition(decomposed), precomposed);
  EXPECT_EQ(canonicalComposition(precomposed), precomposed);
  EXPECT_TRUE(canonicallyEqual(precomposed, decomposed));
  EXPECT_TRUE(canonicallyEqual(decomposed, precomposed));
  // Combining marks in either order around a base letter: ḍ̇ written two ways.
  EXPECT_TRUE(canonicallyEqual("d\u0323\u0307", "d\u0307\u0323"));
  EXPECT_FALSE(canonicallyLess(precomposed, decomposed));
  EXPECT_FALSE(canonicallyLess(decomposed, precomposed));
}

TEST(CanonicalText, CaseSpacesAndCompatibilityFormsStillCount) {
  EXPECT_FALSE(canonicallyEqual("Key", "key"));
  EXPECT_FALSE(canonicallyEqual("key", "key "));
  EXPECT_FALSE(canonicallyEqual("\u00c9", "\u00e9"));
  // A ligature is only compatible with its letters, not canonically equal.
  EXPECT_FALSE(canonicallyEqual("\ufb01", "fi"));
  EXPECT_FALSE(canonicallyEqual("", "a"));
}

TEST(CanonicalText, SortsByTheScalarValuesOfTheComposedForms) {
  // The decomposed é starts with "e" (U+0065), which sorts before "f"; its
  // composed form U+00E9 sorts after every ASCII letter.
  std::vector<std::string> names{"f", decomposed, "X-Trace", "accept", "Content-Type", "caf", "cafz"};
  std::ranges::sort(names, [](const auto& a, const auto& b) { return canonicallyLess(a, b); });
  EXPECT_EQ(names, (std::vector<std::string>{"Content-Type", "X-Trace", "accept", "caf", "cafz", decomposed, "f"}));
}

TEST(CanonicalText, BytesThatAreNotUTF8StandForThemselves) {
  const std::string broken = "caf\xc3";
  EXPECT_EQ(canonicalComposition(broken), broken);
  EXPECT_TRUE(canonicallyEqual(broken, broken));
  EXPECT_FALSE(canonicallyEqual(broken, precomposed));
  EXPECT_TRUE(canonicallyLess(precomposed, "caf\xc3\xff"));
}

}  // namespace
}  // namespace platform
