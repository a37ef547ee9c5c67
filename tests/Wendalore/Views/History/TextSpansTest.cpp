#include "Wendalore/Views/History/TextSpans.h"

#include <gtest/gtest.h>

using namespace wendalore;

// "abc", an empty line and "def": the two words and the empty line between
// them may be selected, the line feeds may not.
TEST(TextSpans, ASelectionTakesThePiecesInsideTheSpansOneLineEach) {
  const auto lines = TextLines::index(std::make_shared<const std::string>("abc\n\ndef"));
  const TextSpans spans = std::make_shared<const std::vector<TextSpan>>(std::vector<TextSpan>{{0, 3}, {4, 4}, {5, 8}});
  EXPECT_EQ(textWithin(lines, spans, 0, 8), "abc\n\ndef");
  EXPECT_EQ(textWithin(lines, spans, 6, 1), "bc\n\nd");
  EXPECT_EQ(textWithin(lines, spans, 3, 4), "");
  EXPECT_EQ(textWithin(lines, spans, 5, 8), "def");
  EXPECT_EQ(textWithin(lines, nullptr, 2, 6), "c\n\nd");
}
