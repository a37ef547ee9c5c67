#include <gtest/gtest.h>

#include "Platform/Text/Font.h"

using platform::Font;

// fonts-dejavu-core is installed by the setup script.
TEST(Font, FacesComeFromTheCatalogue) {
  const auto oblique = Font::withFace("DejaVu Sans Mono", "Oblique", 12);
  ASSERT_TRUE(oblique);
  EXPECT_EQ(oblique->familyName, "DejaVu Sans Mono");
  EXPECT_TRUE(oblique->italic);
  EXPECT_FALSE(oblique->bold);
  EXPECT_EQ(oblique->pointSize, 12);
  EXPECT_TRUE(Font::withFace("DejaVu Sans Mono", "Bold", 12)->bold);
  EXPECT_EQ(Font::withFace("DejaVu Sans Mono", "Italic", 12), std::nullopt);
  EXPECT_EQ(Font::withFace("No Such Family", "Bold", 12), std::nullopt);

  // Names the catalogue substitutes still give an installed regular face.
  const auto courier = Font::named("Courier", 14);
  ASSERT_TRUE(courier);
  EXPECT_FALSE(courier->familyName.empty());
  EXPECT_FALSE(courier->bold || courier->italic);
  EXPECT_EQ(Font::monospacedSystemFont(11).pointSize, 11);
}
