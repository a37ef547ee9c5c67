#include <gtest/gtest.h>

#include <chrono>
#include <limits>
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

class WholeHighlight : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(highlighter && reference); }

  std::shared_ptr<Highlighter> highlighter = Highlighter::make();
  std::shared_ptr<Highlighter> reference = [] {
    auto made = Highlighter::make();
    if (made) made->setBudget(unbounded());
    return made;
  }();
};

// The budget the program highlights with, with time enough for any machine.
HighlightBudget programmed() {
  HighlightBudget budget;
  budget.pieceTime = budget.totalTime = std::chrono::minutes(5);
  return budget;
}

TEST_F(WholeHighlight, EveryCharacterOfAnOrdinaryBodyIsStyledAsInOneWholeHighlight) {
  highlighter->setBudget(programmed());
  for (const auto& body : corpus::bodies()) {
    for (const auto& language : {std::optional<std::string>(body.language), std::optional<std::string>()}) {
      const auto whole = reference->highlight(body.text, language);
      const auto ours = highlighter->highlight(body.text, language);
      ASSERT_TRUE(whole && ours) << body.name;
      EXPECT_EQ(differences(*ours, *whole), 0u) << body.name << " as " << language.value_or("detected");
    }
  }
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
