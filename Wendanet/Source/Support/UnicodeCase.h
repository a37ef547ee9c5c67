#pragma once

#include <string>
#include <string_view>

namespace wendanet {

// Letter case as keys are rewritten with: general categories for the
// tests, the full Unicode mappings (which may give several characters for
// one) for the conversions. Bytes that are not UTF-8 pass through as they
// are and are neither upper- nor lower-case.

// Categories Lu and Lt.
bool isUppercaseLetter(char32_t scalar);
// Category Ll.
bool isLowercaseLetter(char32_t scalar);

std::string lowercased(std::string_view text);
std::string uppercased(std::string_view text);

}  // namespace wendanet
