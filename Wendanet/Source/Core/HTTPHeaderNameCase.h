#pragma once

#include <string>
#include <string_view>

namespace wendanet {

// Header names are one name in any letter case: they compare after the full
// Unicode lower-casing, as text (canonically equivalent names are equal).

// The text that two names share exactly when they match: the composed,
// lower-cased name. An ASCII name's is its ASCII lower-casing; some names
// beyond ASCII have an ASCII one too (the Kelvin sign's is k).
std::string headerNameMatchKey(std::string_view name);

// The text headers are sorted by, in the platform's order of text: the
// lower-cased name.
std::string headerNameSortKey(std::string_view name);

}  // namespace wendanet
