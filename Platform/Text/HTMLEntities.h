#pragma once

#include <optional>
#include <string_view>

namespace platform {

// The character an XHTML 1.0 named character entity stands for: the HTML
// 4.01 set plus "apos". `name` is written without "&" and ";" and compared
// exactly, case included ("amp" is known, "AMP" is not).
std::optional<char32_t> htmlNamedEntity(std::u16string_view name);

}  // namespace platform
