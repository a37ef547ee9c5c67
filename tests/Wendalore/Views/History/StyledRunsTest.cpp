#include <gtest/gtest.h>

#include "Wendalore/Views/History/StyledRuns.h"

using namespace wendalore;
using platform::AttributedString;
using platform::TextAttributes;

namespace {

TEST(StyledRuns, SharesStylesAndClipsSpansToALine) {
  const TextAttributes plain{}, red{std::nullopt, platform::Color{1, 0, 0, 1}, std::nullopt};
  AttributedString text;
  text.append(u"{\n  ", plain);
  text.append(u"\"a\"", red);
  text.append(u": 1,\n  ", plain);
  text.append(u"\"b\"", red);
  const auto runs = StyledRuns::from(text);
  ASSERT_EQ(runs.styles.size(), 2U);
  ASSERT_EQ(runs.spanCount(), 4U);

  const auto describe = [&](std::uint32_t start, std::uint32_t end) {
    std::vector<std::tuple<std::uint32_t, std::uint32_t, std::uint16_t>> result;
    for (const auto& span : runs.spansBetween(start, end)) result.emplace_back(span.start, span.end, span.style);
    return result;
  };
  using Spans = std::vector<std::tuple<std::uint32_t, std::uint32_t, std::uint16_t>>;
  // The second line, "  \"a\": 1,", starts inside the first span.
  EXPECT_EQ(describe(2, 11), (Spans{{2, 4, 0}, {4, 7, 1}, {7, 11, 0}}));
  EXPECT_EQ(describe(5, 6), (Spans{{5, 6, 1}}));
  EXPECT_EQ(describe(12, 17), (Spans{{12, 14, 0}, {14, 17, 1}}));
  EXPECT_EQ(describe(17, 20), Spans{});
}

TEST(StyledRuns, PiecesComeInAnyOrderAndOnlyWhatIsInIsCovered) {
  StyledRuns runs;
  const auto red = runs.style({std::nullopt, platform::Color{1, 0, 0, 1}, std::nullopt});
  const auto plain = runs.style({});
  const auto piece = [&](std::uint32_t start, std::vector<std::pair<std::uint32_t, std::uint8_t>> spans) {
    auto result = std::make_shared<StyledRuns::Piece>(start);
    for (const auto& [length, style] : spans) result->append(length, style);
    result->seal();
    return result;
  };
  // Neighbouring runs of one style are one span.
  runs.insert(piece(20, {{2, plain}, {3, red}, {1, red}, {4, plain}}));
  runs.insert(piece(0, {{10, red}}));
  EXPECT_EQ(runs.spanCount(), 4u);
  EXPECT_EQ(runs.end(), 30u);
  EXPECT_TRUE(runs.covers(0, 10));
  EXPECT_TRUE(runs.covers(21, 30));
  EXPECT_FALSE(runs.covers(5, 21));
  EXPECT_FALSE(runs.covers(29, 31));

  runs.insert(piece(10, {{10, plain}}));
  EXPECT_TRUE(runs.covers(0, 30));
  using Spans = std::vector<std::tuple<std::uint32_t, std::uint32_t, std::uint16_t>>;
  Spans spans;
  for (const auto& span : runs.spansBetween(8, 25)) spans.emplace_back(span.start, span.end, span.style);
  EXPECT_EQ(spans, (Spans{{8, 10, red}, {10, 20, plain}, {20, 22, plain}, {22, 25, red}}));

  // Final colours over provisional ones take the place of every piece they
  // overlap.
  runs.insert(piece(5, {{20, red}}));
  EXPECT_EQ(runs.pieces.size(), 1u);
  EXPECT_TRUE(runs.covers(5, 25));
  EXPECT_FALSE(runs.covers(0, 5));
  spans.clear();
  for (const auto& span : runs.spansBetween(0, 30)) spans.emplace_back(span.start, span.end, span.style);
  EXPECT_EQ(spans, (Spans{{5, 25, red}}));
}

TEST(StyledRuns, RunsPastWhatAPieceHoldsGoOnInTheNext) {
  const TextAttributes plain{}, red{std::nullopt, platform::Color{1, 0, 0, 1}, std::nullopt};
  AttributedString text;
  text.append(u"ab", red);
  text.append(std::u16string(3 * StyledRuns::Piece::maximumLength, u'x'), plain);
  text.append(u"cd", red);
  const auto runs = StyledRuns::from(text);
  EXPECT_EQ(runs.pieces.size(), 4u);
  EXPECT_EQ(runs.end(), text.length());
  EXPECT_TRUE(runs.covers(0, runs.end()));

  using Spans = std::vector<std::tuple<std::uint32_t, std::uint32_t, std::uint16_t>>;
  Spans spans;
  for (const auto& span : runs.spansBetween(0, runs.end())) spans.emplace_back(span.start, span.end, span.style);
  const std::uint32_t full = StyledRuns::Piece::maximumLength, end = runs.end();
  EXPECT_EQ(spans, (Spans{{0, 2, 0}, {2, full, 1}, {full, 2 * full, 1}, {2 * full, 3 * full, 1}, {3 * full, end - 2, 1},
                          {end - 2, end, 0}}));
}

TEST(StyledRuns, StylesPastTheLastIndexShareIt) {
  StyledRuns runs;
  for (std::size_t index = 0; index < StyledRuns::maximumStyles + 10; ++index) {
    const auto style = runs.style({std::nullopt, platform::Color{static_cast<double>(index), 0, 0, 1}, std::nullopt});
    EXPECT_EQ(style, std::min(index, StyledRuns::maximumStyles - 1));
  }
  EXPECT_EQ(runs.styles.size(), StyledRuns::maximumStyles);
}

}  // namespace
