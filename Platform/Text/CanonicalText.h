#pragma once

#include <string>
#include <string_view>

namespace platform {

// Unicode text compared as text rather than as bytes: a precomposed letter
// and its decomposed form are the same text. Byte sequences that are not
// UTF-8 have no canonical form and stand for themselves.

// The canonically composed (NFC) form of UTF-8 text.
std::string canonicalComposition(std::string_view text);

// True when the two texts are canonically equivalent.
bool canonicallyEqual(std::string_view left, std::string_view right);

// Orders texts by the Unicode scalar values of their composed forms, which
// for UTF-8 is the order of their bytes.
bool canonicallyLess(std::string_view left, std::string_view right);

}  // namespace platform
