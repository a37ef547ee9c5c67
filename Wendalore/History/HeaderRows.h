#pragma once

#include <string>
#include <utility>
#include <vector>

#include "Wendalore/Model/RequestHistoryItem.h"

namespace wendalore {

using HeaderRow = std::pair<std::string, std::string>;

// The headers ascending by name, compared by Unicode scalar values: case
// counts, so "Content-Type" comes before "accept".
std::vector<HeaderRow> sortedHeaders(const HeaderDictionary& headers);

}  // namespace wendalore
