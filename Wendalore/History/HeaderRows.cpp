#include "Wendalore/History/HeaderRows.h"

namespace wendalore {

// UTF-8 orders byte by byte as its scalar values do, which is the order the
// dictionary already keeps.
std::vector<HeaderRow> sortedHeaders(const HeaderDictionary& headers) { return {headers.begin(), headers.end()}; }

}  // namespace wendalore
