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

}  // namespace
