#include <gtest/gtest.h>

#include <atomic>

#include "Wendalore/Views/History/TextLines.h"
#include "Wendalore/Views/History/TextSearch.h"

using namespace wendalore;

namespace {

TextLines linesOf(std::string text) { return TextLines::index(std::make_shared<const std::string>(std::move(text))); }

TEST(TextLines, PositionsCountUtf16UnitsAndLineFeeds) {
  // "é" is two bytes and one unit; the emoji four bytes and two units.
  const auto lines = linesOf("ab\n\xC3\xA9x\n\xF0\x9F\x98\x80!\n");
  ASSERT_EQ(lines.count(), 4u);
  EXPECT_EQ(lines.text(1), QString::fromUtf8("\xC3\xA9x"));
  EXPECT_EQ(lines.start(1), 3u);
  EXPECT_EQ(lines.start(2), 6u);
  EXPECT_EQ(lines.length(2), 3u);
  EXPECT_EQ(lines.text(3), QString());
  EXPECT_EQ(lines.end(), 10u);
  EXPECT_EQ(lines.lineAt(5), 1u);
  EXPECT_EQ(lines.lineAt(6), 2u);
  EXPECT_EQ(lines.between(4, 8), QString::fromUtf8("x\n\xF0\x9F\x98\x80"));
  EXPECT_EQ(lines.between(10, 0), QString::fromUtf8("ab\n\xC3\xA9x\n\xF0\x9F\x98\x80!\n"));
  // Damaged bytes count as QString reads them.
  const auto damaged = linesOf("a\xFF\xFE" "b");
  EXPECT_EQ(damaged.length(0), static_cast<std::uint32_t>(QString::fromUtf8("a\xFF\xFE" "b").size()));
}

TEST(TextLines, ALongLineIsCutBetweenCharactersIntoPiecesOfBoundedSize) {
  std::string text(TextLines::maxSegmentBytes - 1, 'a');
  text += "\xC3\xA9";  // straddles the limit
  text += std::string(TextLines::maxSegmentBytes * 2, 'b');
  const auto lines = linesOf(text);
  ASSERT_EQ(lines.count(), 4u);
  EXPECT_EQ(lines.length(0), TextLines::maxSegmentBytes - 1);
  EXPECT_TRUE(lines.text(1).startsWith(QString::fromUtf8("\xC3\xA9")));
  EXPECT_EQ(lines.longestLength(), TextLines::maxSegmentBytes);
  // The pieces join into the line again, with nothing added.
  EXPECT_EQ(lines.between(0, lines.end()).toUtf8().toStdString(), text);
  // The whole line is around any position in any of its pieces.
  const auto whole = std::pair<std::uint32_t, std::uint32_t>(0, lines.end());
  EXPECT_EQ(lines.wholeLineAround(lines.start(2) + 5), whole);
  const auto framed = linesOf("x\n" + text + "\ny");
  EXPECT_EQ(framed.wholeLineAround(framed.start(3)), (std::pair<std::uint32_t, std::uint32_t>(2, framed.end() - 1)));
  EXPECT_EQ(framed.wholeLineAround(framed.end()), (std::pair<std::uint32_t, std::uint32_t>(framed.end() - 1, framed.end())));
}

TEST(TextLines, EmptyTextIsOneEmptyLineAndCancelledIndexingGivesNothing) {
  const auto empty = linesOf("");
  EXPECT_EQ(empty.count(), 1u);
  EXPECT_EQ(empty.end(), 0u);
  const std::atomic<bool> cancelled(true);
  EXPECT_FALSE(TextLines::index(std::make_shared<const std::string>("x\ny"), cancelled));
}

TEST(TextSearch, LiteralCaseInsensitiveAndCountedOverAllLines) {
  EXPECT_EQ(occurrences("JSON Json json", "json"), (std::vector<qsizetype>{0, 5, 10}));
  EXPECT_EQ(occurrences("a.b axb", "a.b"), (std::vector<qsizetype>{0}));
  EXPECT_EQ(occurrences("aaaa", "aa"), (std::vector<qsizetype>{0, 2}));
  EXPECT_TRUE(occurrences("abc", "").empty());
  const std::atomic<bool> running(false);
  EXPECT_EQ(countOccurrences(linesOf("1 11\n\n21\n"), "1", running), 4u);
  const std::atomic<bool> cancelled(true);
  EXPECT_FALSE(countOccurrences(linesOf("1"), "1", cancelled));
}

}  // namespace
