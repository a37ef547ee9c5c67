#include <gtest/gtest.h>

#include "Highlighter/Theme.h"
#include "Highlighter/ThemeSheet.h"

using highlighter::parseThemeSheet;
using highlighter::Theme;
using Selectors = std::vector<std::string>;

namespace {

TEST(ThemeSheet, ReadsClassRulesAndSkipsTheRest) {
  struct Case {
    const char* sheet;
    std::vector<Selectors> selectors;
  };
  const Case cases[] = {
      {".a{color:red}", {{".a"}}},
      {".a .b,.c{color:red}", {{".a .b", ".c"}}},
      // Compound selectors stay whole for whoever reads them.
      {".hljs-title.class_,.hljs-title.function_{color:red}", {{".hljs-title.class_", ".hljs-title.function_"}}},
      // A pseudo-class spoils its rule only; the next rule still reads.
      {".a:hover{color:red}.b{color:blue}", {{".b"}}},
      {"@media screen{.a{color:red}}pre code.hljs{padding:1em}", {{".a"}, {".hljs"}}},
      {".a, .b{color:red}.c {color:red}", {{".b"}}},
      {".a{color:red", {}},
      {"", {}},
  };
  for (const auto& [sheet, expected] : cases) {
    std::vector<Selectors> found;
    for (const auto& rule : parseThemeSheet(sheet)) found.push_back(rule.selectors);
    EXPECT_EQ(found, expected) << sheet;
  }
  const auto rules = parseThemeSheet(".x{color:#fff;background:url(data:a/b;base64,QQ==);margin:0}");
  ASSERT_EQ(rules.size(), 1u);
  EXPECT_EQ(rules[0].properties, (std::map<std::string, std::string>{{"color", "#fff"}, {"margin", "0"}}));
}

TEST(ThemeSheet, HugeRulesAndSheetsReadWithoutExhaustingTheStack) {
  // A data-URI background of fifty thousand characters before the base rule.
  const std::string image(50'000, 'A');
  const auto theme = Theme::make(".hljs-x{background:url(data:image/png;base64," + image + ")}.hljs{background:#123}");
  EXPECT_EQ(theme->themeBackgroundColor(), (platform::Color{1 / 15.0, 2 / 15.0, 3 / 15.0, 1}));

  // Long failing chains and many small rules stay linear.
  std::string chains;
  for (int i = 0; i < 100'000; ++i) chains += ".a ";
  EXPECT_TRUE(parseThemeSheet(chains + "x{}").empty());
  std::string many;
  for (int i = 0; i < 100'000; ++i) many += ".c" + std::to_string(i) + "{color:red}";
  EXPECT_EQ(parseThemeSheet(many).size(), 100'000u);
}

}  // namespace
