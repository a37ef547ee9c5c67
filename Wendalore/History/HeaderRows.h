#pragma once

#include <string>
#include <utility>
#include <vector>

#include "Wendalore/Model/RequestHistoryItem.h"

namespace wendalore {

using HeaderRow = std::pair<std::string, std::string>;

// The headers ascending by name, compared by the Unicode scalar values of
// the names' composed forms: case counts, so "Content-Type" comes before
// "accept", and a decomposed "é" sorts where the precomposed one does.
std::vector<HeaderRow> sortedHeaders(const HeaderDictionary& headers);

}  // namespace wendalore
