#pragma once

#include <string>
#include <string_view>

namespace wendanet {

// Header names are one name in any letter case: they compare after the full
// Unicode lower-casing, as text (canonically equivalent names are equal).
// ASCII names, nearly all of them, take the ASCII mapping in place, which
// gives the same result without building lower-cased copies.

bool headerNamesMatch(std::string_view left, std::string_view right);

// The text headers are sorted by, in the platform's order of text: the
// lower-cased name.
std::string headerNameSortKey(std::string_view name);

}  // namespace wendanet
