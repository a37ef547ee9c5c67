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
  // A span after damaged bytes is the bytes there, not as many more as
  // their replacement characters would take.
  const auto mixed = linesOf("a\xFF\xFE" "bc\n\xC3\xA9\xF0\x9F\x98\x80" "d");
  EXPECT_EQ(mixed.between(3, mixed.end()), QString::fromUtf8("bc\n\xC3\xA9\xF0\x9F\x98\x80" "d"));
  EXPECT_EQ(mixed.between(1, 4), QString::fromUtf8("\xFF\xFE" "b"));
  EXPECT_EQ(mixed.between(7, 9), QString::fromUtf8("\xF0\x9F\x98\x80"));
}

TEST(TextLines, SpansOfDamagedBytesSplitWhereTheirPositionsSay) {
  // Cut, overlong, surrogate and out-of-range sequences among good ones.
  const std::string pieces[] = {"a", "\xC3\xA9", "\xF0\x9F\x98\x80", "\xFF", "\xC3", "\xE2\x82", "\xF0\x9F\x98",
                                "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80", "\n"};
  std::uint32_t seed = 7;
  for (int round = 0; round < 200; ++round) {
    std::string text;
    for (int index = 0; index < 12; ++index) {
      seed = seed * 1103515245U + 12345U;
      text += pieces[(seed >> 16) % std::size(pieces)];
    }
    const auto lines = linesOf(text);
    const QString whole = QString::fromUtf8(text);
    ASSERT_EQ(lines.end(), static_cast<std::uint32_t>(whole.size()));
    for (std::uint32_t position = 0; position <= lines.end(); ++position) {
      if (position < lines.end() && whole.at(position).isLowSurrogate()) continue;
      EXPECT_EQ(lines.between(0, position), whole.left(position)) << round << " at " << position;
      EXPECT_EQ(lines.between(position, lines.end()), whole.mid(position)) << round << " at " << position;
    }
  }
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
