#include "Wendalore/History/HeaderRows.h"

#include <algorithm>

#include "Platform/Text/CanonicalText.h"

namespace wendalore {

std::vector<HeaderRow> sortedHeaders(const HeaderDictionary& headers) {
  std::vector<HeaderRow> rows(headers.begin(), headers.end());
  // Stable, so that two spellings of one name keep the dictionary's order.
  std::ranges::stable_sort(rows, [](const HeaderRow& left, const HeaderRow& right) {
    return platform::canonicallyLess(left.first, right.first);
  });
  return rows;
}

}  // namespace wendalore
