#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace platform {

// Reads one UTF-8 encoded scalar at `position` and moves past it. Gives
// nothing for a byte that does not start a well-formed sequence (overlong
// forms, surrogates and values past U+10FFFF included); `position` then
// moves past that one byte.
std::optional<char32_t> nextUnicodeScalar(std::string_view text, std::size_t& position);

}  // namespace platform
