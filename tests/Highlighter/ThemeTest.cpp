#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "Highlighter/Highlighter.h"
#include "Highlighter/Theme.h"

using highlighter::Theme;
using platform::Color;
using platform::Font;
using platform::TextAttributes;

namespace {

TextAttributes styleOf(const Theme& theme, std::vector<std::string> classes) {
  return theme.applyStyleToString(u"x", classes).attributesAt(0);
}

TEST(Theme, ReadsColoursAsThemeSheetsWriteThem) {
  EXPECT_EQ(Theme::colorWithHexString("#abc"), (Color{10 / 15.0, 11 / 15.0, 12 / 15.0, 1}));
  EXPECT_EQ(Theme::colorWithHexString(" #aabbcc\n"), (Color{170 / 255.0, 187 / 255.0, 204 / 255.0, 1}));
  EXPECT_EQ(Theme::colorWithHexString("red"), (Color{1, 0, 0, 1}));
  EXPECT_EQ(Theme::colorWithHexString("RED"), Color::gray());
  EXPECT_EQ(Theme::colorWithHexString("#abcd"), Color::gray());
  EXPECT_EQ(Theme::colorWithHexString("#zz0000"), (Color{0, 0, 0, 1}));
}

TEST(Theme, SelectorListsAndCompoundTitles) {
  const auto theme = Theme::make(
      ".hljs{color:#111}.hljs-comment,.hljs-quote{font-style:italic}"
      ".hljs-function .hljs-title{color:#f00}.hljs-title{color:#0f0}.hljs-strong{font-weight:700}"
      ".hljs-plain{font-weight:normal}");
  EXPECT_EQ(styleOf(*theme, {"hljs", "hljs-comment"}).font, theme->italicCodeFont());
  EXPECT_EQ(styleOf(*theme, {"hljs", "hljs-quote"}).font, theme->italicCodeFont());
  EXPECT_EQ(styleOf(*theme, {"hljs", "hljs-strong"}).font, theme->boldCodeFont());
  EXPECT_EQ(styleOf(*theme, {"hljs", "hljs-plain"}).font, theme->codeFont());
  EXPECT_EQ(styleOf(*theme, {"hljs", "hljs-title"}).foregroundColor, (Color{0, 1, 0, 1}));
  // The compound rule alone styles a function's title: not even the base colour applies.
  const auto functionTitle = styleOf(*theme, {"hljs", "hljs-function", "hljs-title"});
  EXPECT_EQ(functionTitle.foregroundColor, (Color{1, 0, 0, 1}));
  EXPECT_EQ(functionTitle.font, theme->codeFont());
  EXPECT_EQ(styleOf(*theme, {}).font, theme->codeFont());
  EXPECT_EQ(styleOf(*theme, {}).foregroundColor, std::nullopt);
}

TEST(Theme, ClassListsReachSingleAndCompoundRules) {
  const auto theme = Theme::make(
      ".hljs{color:#111}.hljs-title{color:#00f}.hljs-built_in,.hljs-class .hljs-title,.hljs-title.class_{color:#f00}"
      ".inherited__.hljs-title.class_{font-weight:700}.hljs-meta .hljs-string{color:#0f0}");
  const Color red{1, 0, 0, 1}, blue{0, 0, 1, 1}, green{0, 1, 0, 1};
  // The compound selector no longer costs the rest of its group.
  EXPECT_EQ(styleOf(*theme, {"hljs", "hljs-built_in"}).foregroundColor, red);
  EXPECT_EQ(styleOf(*theme, {"hljs", "hljs-title class_"}).foregroundColor, red);
  EXPECT_EQ(styleOf(*theme, {"hljs", "hljs-title function_"}).foregroundColor, blue);
  const auto inherited = styleOf(*theme, {"hljs", "hljs-title class_ inherited__"});
  EXPECT_EQ(inherited.foregroundColor, red);
  EXPECT_EQ(inherited.font, theme->boldCodeFont());
  // Single classes read as they always did, descendant rules included.
  EXPECT_EQ(styleOf(*theme, {"hljs", "hljs-title"}).foregroundColor, blue);
  EXPECT_EQ(styleOf(*theme, {"hljs", "hljs-class", "hljs-title"}).foregroundColor, red);
  EXPECT_EQ(styleOf(*theme, {"hljs", "hljs-meta"}).foregroundColor, green);
  EXPECT_EQ(styleOf(*theme, {"hljs", "class_"}).foregroundColor, (Color{1 / 15.0, 1 / 15.0, 1 / 15.0, 1}));
}

TEST(Theme, BaseBackgroundIsTheViewsAndLeavesTheLightSheet) {
  const auto theme = Theme::make(".hljs{color:#fff;background:#123;padding:1em}.hljs-x{background-color:#000}");
  EXPECT_EQ(theme->themeBackgroundColor(), (Color{1 / 15.0, 2 / 15.0, 3 / 15.0, 1}));
  EXPECT_EQ(theme->lightTheme(), ".hljs{color:#fff;padding:1em;}.hljs-x{background-color:#000;}");
  EXPECT_EQ(styleOf(*theme, {"hljs", "hljs-x"}).backgroundColor, Color::black());

  const auto empty = Theme::make("");
  EXPECT_EQ(empty->themeBackgroundColor(), Color::white());
  EXPECT_EQ(empty->lightTheme(), "");
  EXPECT_EQ(styleOf(*empty, {"hljs", "hljs-title"}), (TextAttributes{empty->codeFont(), std::nullopt, std::nullopt}));
}

TEST(Theme, CodeFontFacesFollowTheFamily) {
  const auto theme = Theme::make(".hljs-strong{font-weight:bold}.hljs-emphasis{font-style:italic}");
  // This family has an oblique face but no italic one.
  const auto mono = Font::withFace("DejaVu Sans Mono", "Book", 11);
  ASSERT_TRUE(mono) << "fonts-dejavu-core is needed";
  theme->setCodeFont(*mono);
  EXPECT_EQ(theme->italicCodeFont()->faceName, "Oblique");
  EXPECT_EQ(theme->italicCodeFont()->familyName, "DejaVu Sans Mono");
  const auto bold = styleOf(*theme, {"hljs", "hljs-strong"}).font;
  ASSERT_TRUE(bold);
  EXPECT_EQ(bold->familyName, "DejaVu Sans Mono");
  EXPECT_EQ(bold->pointSize, 11);
  EXPECT_TRUE(bold->bold);
  EXPECT_TRUE(styleOf(*theme, {"hljs", "hljs-emphasis"}).font->italic);

  // A family without such faces falls back to the code font itself.
  platform::Font invented{"No Such Family", "Regular", 9, false, false};
  theme->setCodeFont(invented);
  EXPECT_EQ(theme->boldCodeFont(), invented);
  EXPECT_EQ(theme->italicCodeFont(), invented);
}

TEST(Theme, ReadsAShippedThemeSheet) {
  const auto path = highlighter::Highlighter::moduleBundle()->pathForResource("pojoaque.min", "css");
  ASSERT_TRUE(path);
  std::ifstream file(*path);
  std::stringstream text;
  text << file.rdbuf();
  const auto theme = Theme::make(text.str());
  // The background sits after an image and its position.
  EXPECT_EQ(theme->themeBackgroundColor(), (Color{0x18 / 255.0, 0x19 / 255.0, 0x14 / 255.0, 1}));
  const auto comment = styleOf(*theme, {"hljs", "hljs-comment"});
  EXPECT_EQ(comment.foregroundColor, (Color{0x58 / 255.0, 0x6e / 255.0, 0x75 / 255.0, 1}));
  EXPECT_EQ(comment.font, theme->italicCodeFont());
  EXPECT_EQ(styleOf(*theme, {"hljs"}).foregroundColor, (Color{0xdc / 255.0, 0xcf / 255.0, 0x8f / 255.0, 1}));
  EXPECT_EQ(theme->lightTheme()->find("pojoaque.jpg"), std::string::npos);
}

}  // namespace
