#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "Highlighter/Highlighter.h"
#include "Platform/Dispatch/RunLoop.h"
#include "tests/Platform/ScratchDirectory.h"

using highlighter::Highlighter;
using highlighter::Theme;
using platform::AttributedString;

namespace {

// A stand-in script whose results spell out how it was called.
constexpr std::string_view recordingScript = R"js(
var hljs = {
  highlight: function (language, code, ignoreIllegals) {
    if (language === "unknown") throw new Error("Unknown language");
    return { value: ["highlight", language, arguments.length, ignoreIllegals === true, code].join("|") };
  },
  highlightAuto: function (code) {
    if (code === "no value") return {};
    return { value: ["auto", arguments.length, code].join("|") };
  },
  listLanguages: function () { return LANGUAGES; }
};
)js";

class ScriptedHighlighter : public testing::Test {
 protected:
  std::shared_ptr<Highlighter> withLanguages(std::string_view languages) {
    const auto path = scratch.write("script.js", "var LANGUAGES = " + std::string(languages) + ";" + std::string(recordingScript));
    return Highlighter::make(path);
  }
  static std::string text(const std::optional<AttributedString>& result) { return result ? result->string() : "<nothing>"; }

  ScratchDirectory scratch;
};

TEST_F(ScriptedHighlighter, CallsTheScriptAsDocumented) {
  const auto highlighter = withLanguages("[]");
  ASSERT_TRUE(highlighter);
  EXPECT_EQ(text(highlighter->highlight("a<b", std::nullopt)), "auto|1|a<b");
  EXPECT_EQ(text(highlighter->highlight("x", std::string("json"))), "highlight|json|3|false|x");
  highlighter->setIgnoreIllegals(true);
  EXPECT_EQ(text(highlighter->highlight("x", std::string("json"))), "highlight|json|3|true|x");
  // A language the script rejects falls back to detection.
  EXPECT_EQ(text(highlighter->highlight("x", std::string("unknown"))), "auto|1|x");
  // A result without a text value gives nothing.
  EXPECT_EQ(highlighter->highlight("no value", std::nullopt), std::nullopt);
  // Code is handed over whole, embedded NUL and astral characters included.
  EXPECT_EQ(highlighter->highlight(std::u16string_view(u"a\0\U0001F600", 4))->characters(),
            std::u16string(u"auto|1|a\0\U0001F600", 11));
}

TEST_F(ScriptedHighlighter, LanguagesMustAllBeNames) {
  EXPECT_EQ(withLanguages("[\"json\", \"swift\"]")->supportedLanguages(), (std::vector<std::string>{"json", "swift"}));
  EXPECT_TRUE(withLanguages("[\"json\", 3]")->supportedLanguages().empty());
  EXPECT_TRUE(withLanguages("\"json\"")->supportedLanguages().empty());
}

TEST_F(ScriptedHighlighter, NoEngineWithoutAScript) {
  EXPECT_EQ(Highlighter::make(scratch / "missing.js"), nullptr);
  EXPECT_EQ(Highlighter::make(scratch.write("empty.js", "var other = 1;")), nullptr);
  EXPECT_EQ(Highlighter::make(scratch.write("broken.js", "var hljs = ;")), nullptr);
}

class BundledHighlighter : public testing::Test {
 protected:
  std::shared_ptr<Highlighter> highlighter = Highlighter::make();
};

TEST_F(BundledHighlighter, ThemesComeFromTheBundle) {
  ASSERT_TRUE(highlighter);
  const auto themes = highlighter->availableThemes();
  EXPECT_GT(themes.size(), 50u);
  EXPECT_NE(std::ranges::find(themes, "pojoaque"), themes.end());
  EXPECT_NE(std::ranges::find(themes, "github-dark"), themes.end());
  for (const auto& theme : themes) EXPECT_FALSE(theme.ends_with(".css")) << theme;

  int changes = 0;
  highlighter->setThemeChanged([&](const std::shared_ptr<Theme>& theme) {
    ++changes;
    EXPECT_EQ(theme, highlighter->theme());
  });
  const auto before = highlighter->theme();
  EXPECT_FALSE(highlighter->setTheme(std::string("no-such-theme")));
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(highlighter->theme(), before);
  EXPECT_TRUE(highlighter->setTheme(std::string("github")));
  EXPECT_EQ(changes, 1);
  EXPECT_NE(highlighter->theme(), before);
  EXPECT_EQ(highlighter->theme()->themeBackgroundColor(), platform::Color::white());
}

TEST_F(BundledHighlighter, FastPathStylesWithTheThemeAndItsCodeFont) {
  ASSERT_TRUE(highlighter);
  EXPECT_TRUE(highlighter->setTheme(std::string("github")));
  const auto font = platform::Font::monospacedSystemFont(11);
  highlighter->theme()->setCodeFont(font);
  const std::string code = "{\"name\": \"a < b & c\", \"count\": 42}";
  const auto result = highlighter->highlight(code, std::string("json"));
  ASSERT_TRUE(result);
  EXPECT_EQ(result->string(), code);
  for (const auto& run : result->runs()) EXPECT_EQ(run.attributes().font->familyName, font.familyName);
  // github: strings #032f62, numbers #005cc5.
  const auto at = [&](std::string_view piece) { return result->attributesAt(code.find(piece)).foregroundColor; };
  EXPECT_EQ(at("a < b"), (platform::Color{0x03 / 255.0, 0x2f / 255.0, 0x62 / 255.0, 1}));
  EXPECT_EQ(at("42"), (platform::Color{0x00 / 255.0, 0x5c / 255.0, 0xc5 / 255.0, 1}));

  const auto languages = highlighter->supportedLanguages();
  EXPECT_NE(std::ranges::find(languages, "json"), languages.end());
  // An unknown language is detected instead, not refused.
  const auto guessed = highlighter->highlight(code, std::string("no-such-language"));
  ASSERT_TRUE(guessed);
  EXPECT_EQ(guessed->string(), code);
}

TEST_F(BundledHighlighter, TitlesTakeTheirThemeColours) {
  ASSERT_TRUE(highlighter);
  ASSERT_TRUE(highlighter->setTheme(std::string("atom-one-dark")));
  const std::string code = "class Shape extends Base {}\nfunction area(shape) { return Math.max(1, 2); }";
  const auto result = highlighter->highlight(code, std::string("javascript"));
  ASSERT_TRUE(result);
  const auto at = [&](std::string_view piece) { return result->attributesAt(code.find(piece)).foregroundColor; };
  const platform::Color yellow{0xe6 / 255.0, 0xc0 / 255.0, 0x7b / 255.0, 1};
  const platform::Color blue{0x61 / 255.0, 0xae / 255.0, 0xee / 255.0, 1};
  EXPECT_EQ(at("Shape"), yellow);
  EXPECT_EQ(at("Base"), yellow);
  EXPECT_EQ(at("area"), blue);
  EXPECT_EQ(at("Math"), yellow);
}

TEST_F(BundledHighlighter, LargeBodiesKeepEveryCharacter) {
  ASSERT_TRUE(highlighter);
  std::string body = "[";
  for (int index = 0; index < 20000; ++index) body += "{\"id\":" + std::to_string(index) + ",\"tag\":\"<&>\"},\n";
  body += "null]";
  const auto result = highlighter->highlight(body, std::string("json"));
  ASSERT_TRUE(result);
  EXPECT_EQ(result->string(), body);
}

TEST_F(BundledHighlighter, HTMLPathImportsOnTheMainThread) {
  ASSERT_TRUE(highlighter);
  EXPECT_TRUE(highlighter->setTheme(std::string("github")));
  const std::string code = "let x = \"<tag>\" // note";
  const auto onMain = highlighter->highlight(code, std::string("swift"), false);
  ASSERT_TRUE(onMain);
  EXPECT_EQ(onMain->string(), code);
  // github: strings #032f62, comments #6a737d.
  EXPECT_EQ(onMain->attributesAt(code.find('"')).foregroundColor,
            (platform::Color{0x03 / 255.0, 0x2f / 255.0, 0x62 / 255.0, 1}));
  EXPECT_EQ(onMain->attributesAt(code.find("//")).foregroundColor,
            (platform::Color{0x6a / 255.0, 0x73 / 255.0, 0x7d / 255.0, 1}));
  EXPECT_TRUE(onMain->attributesAt(0).font->familyName.size() > 0);

  // From another thread the import waits for the main queue.
  std::optional<AttributedString> fromWorker;
  std::atomic<bool> done = false;
  std::thread worker([&] {
    fromWorker = highlighter->highlight(code, std::string("swift"), false);
    done = true;
  });
  EXPECT_TRUE(platform::RunLoop::main().runUntil([&] { return done.load(); }, std::chrono::seconds(10)));
  worker.join();
  EXPECT_EQ(fromWorker, onMain);
}

}  // namespace
