#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "Platform/Foundation/NumberText.h"

using platform::numberText;

TEST(NumberText, PrintsDoublesAsThePlatformDoes) {
  const std::pair<double, const char*> cases[] = {{100000.0, "100000.0"},
                                                  {0.25, "0.25"},
                                                  {5e-05, "5e-05"},
                                                  {1.25e-05, "1.25e-05"},
                                                  {0.0001, "0.0001"},
                                                  {2, "2.0"},
                                                  {12.5, "12.5"},
                                                  {1e16, "1e+16"},
                                                  {1234567890123456.0, "1234567890123456.0"},
                                                  {-0.0, "-0.0"},
                                                  {std::nan(""), "nan"},
                                                  {std::numeric_limits<double>::infinity(), "inf"},
                                                  {-std::numeric_limits<double>::infinity(), "-inf"},
                                                  {1.0 - 0.1 * 3, "0.7"},
                                                  {-2.5e-300, "-2.5e-300"},
                                                  {std::numeric_limits<double>::denorm_min(), "5e-324"},
                                                  {std::numeric_limits<double>::max(), "1.7976931348623157e+308"}};
  for (const auto& [value, text] : cases) EXPECT_EQ(numberText(value), text) << text;
  EXPECT_EQ(numberText(0.1f), "0.1");  // a float's own digits, not its double's
}

TEST(NumberText, TextReadsBackAsTheSameDouble) {
  std::mt19937_64 random(7);
  std::uniform_int_distribution<std::uint64_t> bits;
  std::uniform_real_distribution<double> mantissa(1.0, 10.0);
  for (int i = 0; i < 20000; ++i) {
    // Any bit pattern, and the plain range with its edges, where the layout changes.
    for (double value : {std::bit_cast<double>(bits(random)), mantissa(random) * std::pow(10.0, i % 26 - 7)}) {
      if (!std::isfinite(value)) continue;
      const std::string text = numberText(value);
      double readBack = 0;
      std::from_chars(text.data(), text.data() + text.size(), readBack);
      EXPECT_EQ(readBack, value) << text;
    }
  }
}
