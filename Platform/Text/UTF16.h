#pragma once

#include <string>
#include <string_view>

namespace platform {

// Text positions of styled text are counted in UTF-16 code units, the unit
// the user-interface toolkit counts in as well.

// The UTF-16 form of UTF-8 `text`; ill-formed bytes become U+FFFD.
std::u16string utf16FromUTF8(std::string_view text);
// The UTF-8 form of UTF-16 `text`; unpaired surrogates become U+FFFD.
std::string utf8FromUTF16(std::u16string_view text);
// Appends `scalar` as one or two code units; a value that is no Unicode
// scalar value (a surrogate, or past U+10FFFF) appends U+FFFD.
void appendUTF16(std::u16string& text, char32_t scalar);

}  // namespace platform
