#include "Wendalore/History/HeaderRows.h"

#include <gtest/gtest.h>

namespace wendalore {
namespace {

std::vector<std::string> names(const std::vector<HeaderRow>& rows) {
  std::vector<std::string> result;
  for (const auto& [name, value] : rows) result.push_back(name);
  return result;
}

TEST(HeaderRows, NamesSortByTheScalarValuesOfTheirComposedForms) {
  // "X-Caf" followed by "e" and a combining accent is "X-Café": its composed
  // "é" (U+00E9) sorts after "z", where the bytes of the decomposed spelling
  // would put it before.
  const HeaderDictionary headers{{"accept", "*/*"},         {"X-Cafe\u0301", "1"}, {"X-Cafz", "2"},
                                 {"Content-Type", "text"}, {"X-Caf", "3"},        {"X-Trace", "t"}};
  EXPECT_EQ(names(sortedHeaders(headers)),
            (std::vector<std::string>{"Content-Type", "X-Caf", "X-Cafz", "X-Cafe\u0301", "X-Trace", "accept"}));
  EXPECT_EQ(sortedHeaders(headers)[3].second, "1");
}

}  // namespace
}  // namespace wendalore
