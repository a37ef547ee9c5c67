#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "Platform/Foundation/CharacterSet.h"

namespace platform {

// Writes every character of `text` that `allowed` lacks as its UTF-8 bytes,
// each as "%" and two upper-case hex digits. Fails only for text that is not
// UTF-8.
std::optional<std::string> addingPercentEncoding(std::string_view text, const CharacterSet& allowed);

// Replaces every "%XX" escape by its byte. Fails for a "%" without two hex
// digits after it, and when the bytes are not UTF-8.
std::optional<std::string> removingPercentEncoding(std::string_view text);

// The byte-level forms URL parts are written and read with. Encoding never
// fails: a byte that is not part of a UTF-8 character is escaped on its own.
// Decoding gives the bytes the escapes stand for, UTF-8 or not, so that
// whatever was encoded reads back exactly; a "%" without two hex digits
// after it (which the URL parser never lets through) stays as it is.
std::string percentEncodedBytes(std::string_view text, const CharacterSet& allowed);
std::string percentDecodedBytes(std::string_view text);

}  // namespace platform
