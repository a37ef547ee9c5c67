#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>

#include "Highlighter/HTMLSpanConverter.h"
#include "Highlighter/Highlighter.h"
#include "tests/Highlighter/UntimedBudget.h"
#include "tests/Platform/ScratchDirectory.h"

using highlighter::HighlightBudget;
using highlighter::Highlighter;
using platform::AttributedString;

namespace {

class HighlightBudgetTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(highlighter); }

  bool isPlain(const AttributedString& text) const {
    const auto plain = highlighter::HTMLSpanConverter(*highlighter->theme()).plainAttributes();
    return std::ranges::all_of(text.runs(), [&](const auto& run) { return run.attributes() == plain; });
  }

  // The part of `text` from `piece` on, `length` characters long.
  static AttributedString at(const AttributedString& text, const std::string& code, std::string_view piece,
                             std::size_t length) {
    return text.attributedSubstring({code.find(piece), length});
  }

  std::shared_ptr<Highlighter> highlighter = Highlighter::make();
};

// About `lines` lines of pretty JSON with strings, numbers and literals.
std::string prettyJSON(int lines) {
  std::string body = "{\n  \"items\": [\n";
  for (int index = 0; index < lines; ++index) {
    body += "    {\"id\": " + std::to_string(index) + ", \"name\": \"a <b> & \\\"c\\\"\", \"on\": true},\n";
  }
  return body + "    null\n  ]\n}\n";
}

TEST_F(HighlightBudgetTest, PiecesCutAtLineEndsColourAsTheWhole) {
  const std::string body = prettyJSON(400);
  highlighter->setBudget(untimed());
  const auto whole = highlighter->highlight(body, std::string("json"));
  highlighter->setBudget(untimedPieces(1000));
  const auto pieces = highlighter->highlight(body, std::string("json"));
  ASSERT_TRUE(whole && pieces);
  EXPECT_EQ(pieces->string(), body);
  EXPECT_EQ(*pieces, *whole);
  EXPECT_FALSE(isPlain(*pieces));

  // A language detected in the first piece holds for the others.
  const auto guessed = highlighter->highlight(body, std::nullopt);
  ASSERT_TRUE(guessed);
  EXPECT_EQ(guessed->string(), body);
  EXPECT_FALSE(isPlain(guessed->attributedSubstring({body.size() - 200, 200})));
}

TEST_F(HighlightBudgetTest, ALongTokenStaysPlainAndTheRestIsColoured) {
  // The script takes time quadratic in the length of one such token: half a
  // megabyte would take it hours. The time limit only bounds the test should
  // the token ever reach the script; the short pieces around it must get
  // their colours even on a busy machine.
  const std::string token(512 * 1024, 'a');
  const std::string code = "var first = \"one\";\n" + token + "\nvar last = \"two\";\n";
  highlighter->setBudget({.pieceTime = std::chrono::seconds(30)});
  const auto result = highlighter->highlight(code, std::string("javascript"));
  ASSERT_TRUE(result);
  EXPECT_EQ(result->string(), code);
  EXPECT_TRUE(isPlain(at(*result, code, token, token.size())));
  EXPECT_FALSE(isPlain(at(*result, code, "\"one\"", 5)));
  EXPECT_FALSE(isPlain(at(*result, code, "\"two\"", 5)));
}

TEST_F(HighlightBudgetTest, GuessingTheLanguageOfALongTokenEnds) {
  // Each of the script's languages tries the token in turn.
  const std::u16string token(64 * 1024, u'a');
  const auto result = highlighter->highlight(std::u16string_view(token), std::nullopt);
  ASSERT_TRUE(result);
  EXPECT_EQ(result->characters(), token);
  EXPECT_TRUE(isPlain(*result));
}

TEST_F(HighlightBudgetTest, TextPastTheLimitsStaysPlain) {
  const std::string body = prettyJSON(50);
  highlighter->setBudget({.maximumLength = body.size() - 1});
  const auto tooLong = highlighter->highlight(body, std::string("json"));
  ASSERT_TRUE(tooLong);
  EXPECT_EQ(tooLong->string(), body);
  EXPECT_TRUE(isPlain(*tooLong));

  // Out of time after the first piece: the rest, multi-byte characters
  // whole, is plain.
  const std::string wide = body + "\"\u00e9\U0001F600\"\n" + body;
  highlighter->setBudget({.pieceLength = 200, .totalTime = std::chrono::milliseconds(0)});
  const auto outOfTime = highlighter->highlight(wide, std::string("json"));
  ASSERT_TRUE(outOfTime);
  EXPECT_EQ(outOfTime->string(), wide);
  EXPECT_TRUE(isPlain(*outOfTime));
}

TEST(HighlightBudget, AScriptThatNeverEndsIsStoppedAndStaysUsable) {
  ScratchDirectory scratch;
  const auto highlighter = Highlighter::make(scratch.write("script.js", R"js(
var hljs = {
  highlight: function (language, code) {
    while (code === "forever") {}
    return { value: "<span class=\"hljs-string\">" + code + "</span>" };
  },
  highlightAuto: function (code) {
    while (code === "forever") {}
    return { value: code, language: "json" };
  }
};
)js"));
  ASSERT_TRUE(highlighter);
  highlighter->setBudget({.pieceTime = std::chrono::milliseconds(100)});
  const auto plain = highlighter::HTMLSpanConverter(*highlighter->theme()).plainAttributes();
  for (const auto& language : {std::optional<std::string>("json"), std::optional<std::string>()}) {
    const auto stopped = highlighter->highlight("forever", language);
    ASSERT_TRUE(stopped);
    EXPECT_EQ(stopped->string(), "forever");
    EXPECT_EQ(stopped->runs().size(), 1u);
    EXPECT_EQ(stopped->runs()[0].attributes(), plain);
  }
  // A short call after a stopped one is coloured, however busy the machine.
  highlighter->setBudget(untimed());
  const auto after = highlighter->highlight("after", std::string("json"));
  ASSERT_TRUE(after);
  EXPECT_EQ(after->string(), "after");
  EXPECT_NE(after->runs()[0].attributes(), plain);
}

}  // namespace
