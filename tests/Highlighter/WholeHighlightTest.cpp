#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <optional>
#include <string>

#include "Highlighter/HighlightJob.h"
#include "Highlighter/Highlighter.h"
#include "tests/Highlighter/BodyCorpus.h"
#include "tests/Highlighter/PieceSink.h"
#include "tests/Highlighter/UntimedBudget.h"

using highlighter::HighlightBudget;
using highlighter::HighlightJob;
using highlighter::Highlighter;
using platform::AttributedString;

namespace {

constexpr auto unlimited = std::numeric_limits<std::size_t>::max();

// What the script makes of a text in one call, with no limit of any kind.
HighlightBudget unbounded() {
  return {.wholeLength = 0,
          .pieceLength = unlimited,
          .longestWord = unlimited,
          .maximumLength = unlimited,
          .pieceTime = std::chrono::minutes(5),
          .totalTime = std::chrono::minutes(5)};
}

// How many characters the two texts style differently.
std::size_t differences(const AttributedString& text, const AttributedString& reference) {
  if (text.characters() != reference.characters()) return unlimited;
  std::size_t count = 0;
  for (std::size_t index = 0; index < text.length(); ++index) {
    if (text.attributesAt(index) != reference.attributesAt(index)) ++count;
  }
  return count;
}

// The budget the program highlights with, with time enough for any machine.
HighlightBudget programmed() {
  HighlightBudget budget;
  budget.pieceTime = budget.totalTime = std::chrono::minutes(5);
  return budget;
}

class WholeHighlight : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(highlighter && reference); }

  void expectStyledAsWhole(const std::string& text, const std::optional<std::string>& language,
                           const std::string& name) {
    const auto whole = reference->highlight(text, language);
    const auto ours = highlighter->highlight(text, language);
    ASSERT_TRUE(whole && ours) << name;
    EXPECT_EQ(differences(*ours, *whole), 0u) << name << " as " << language.value_or("detected");
  }

  // How many pieces the program's budget highlights `text` in.
  std::size_t piecesOf(const std::string& text, const std::optional<std::string>& language) {
    PieceSink sink;
    HighlightJob job(*highlighter, *highlighter->theme(), std::string_view(text), language, sink, programmed());
    while (job.step() == HighlightJob::Step::more) {
    }
    return sink.order.size();
  }

  std::shared_ptr<Highlighter> highlighter = Highlighter::make();
  std::shared_ptr<Highlighter> reference = [] {
    auto made = Highlighter::make();
    if (made) made->setBudget(unbounded());
    return made;
  }();
};

TEST_F(WholeHighlight, EveryCharacterOfAnOrdinaryBodyIsStyledAsInOneWholeHighlight) {
  highlighter->setBudget(programmed());
  for (const auto& body : corpus::bodies()) {
    for (const auto& language : {std::optional<std::string>(body.language), std::optional<std::string>()}) {
      expectStyledAsWhole(body.text, language, body.name);
    }
  }
}

TEST_F(WholeHighlight, ABodyWithALongWordInsideAStringIsStyledAsInOneWholeHighlight) {
  highlighter->setBudget(programmed());
  for (const auto& body : corpus::longWordsInStrings()) expectStyledAsWhole(body.text, body.language, body.name);
}

TEST_F(WholeHighlight, ALongWordGoesToTheScriptWholeOnlyInsideAString) {
  const std::string word = corpus::zeroBase64(16 * 1024);
  const std::string json = "{\"data\": \"" + word + "\"}";
  EXPECT_EQ(piecesOf(json, "json"), 1u);
  // Outside a string the script can take seconds over such a word, in one
  // step nothing stops; so it can in any language it guesses among.
  EXPECT_GT(piecesOf(".a { color: red; }\n" + word + " { }\n", "css"), 1u);
  EXPECT_GT(piecesOf(json + "\n" + word + "\n", "json"), 1u);
  EXPECT_GT(piecesOf(json, std::nullopt), 1u);
}

TEST_F(WholeHighlight, ABodyTooLongToGoWholeIsStyledAsInOneWholeHighlight) {
  highlighter->setBudget(programmed());
  // Pretty JSON around a value longer than a dozen pieces, then a
  // commented style sheet.
  const std::string json = "{\n  \"blob\": \"" + corpus::base64(100'000) + "\"" + corpus::keys(6000) + "\n}\n";
  ASSERT_GT(json.size(), HighlightBudget().wholeLength);
  const std::string css = "/*" + corpus::repeat(" a { b: c } \"x\n", 6000) + "*/\n" + corpus::css(200'000);
  ASSERT_GT(css.size(), HighlightBudget().wholeLength);
  for (const auto& [text, language] : {std::pair{json, "json"}, std::pair{css, "css"}}) {
    const auto whole = reference->highlight(text, std::string(language));
    const auto ours = highlighter->highlight(text, std::string(language));
    ASSERT_TRUE(whole && ours);
    EXPECT_EQ(differences(*ours, *whole), 0u) << language;
  }
}

TEST_F(WholeHighlight, PiecesAreCutOnlyOutsideEveryConstruct) {
  // As when a whole highlight takes too long: pieces of the usual length.
  highlighter->setBudget(untimedPieces(HighlightBudget().pieceLength));
  for (const auto& body : corpus::bodies()) {
    // A long word stays plain in pieces: that is what they are for.
    if (body.longWord) continue;
    const auto whole = reference->highlight(body.text, body.language);
    const auto pieces = highlighter->highlight(body.text, body.language);
    ASSERT_TRUE(whole && pieces) << body.name;
    EXPECT_EQ(differences(*pieces, *whole), 0u) << body.name;
  }
}

TEST_F(WholeHighlight, AConstructLongerThanPiecesMayGrowIsStillCutAndKeepsItsText) {
  const std::string comment = "/*\n" + corpus::repeat(" * \"line\" <b>\n", 2000) + "*/\nvar a = 1;\n";
  auto budget = untimedPieces(1000);
  budget.longestConstruct = 2;
  highlighter->setBudget(budget);
  const auto pieces = highlighter->highlight(comment, std::string("javascript"));
  ASSERT_TRUE(pieces);
  EXPECT_EQ(pieces->string(), comment);
}

TEST_F(WholeHighlight, PiecesAskedForFirstAreReplacedByTheWholeHighlight) {
  const auto body = corpus::bodies()[4];
  const auto whole = reference->highlight(body.text, body.language);
  ASSERT_TRUE(whole);
  PieceSink sink;
  HighlightJob job(*highlighter, *highlighter->theme(), std::string_view(body.text), body.language, sink,
                   programmed());
  job.prefer(whole->length() - 1, whole->length() - 1);
  EXPECT_EQ(job.step(), HighlightJob::Step::more);
  EXPECT_EQ(sink.order.size(), 1u);
  EXPECT_EQ(job.step(), HighlightJob::Step::done);
  EXPECT_EQ(sink.order.size(), 2u);
  EXPECT_EQ(differences(sink.whole(), *whole), 0u);
}

}  // namespace
