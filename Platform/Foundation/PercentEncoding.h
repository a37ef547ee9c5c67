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

// The byte-level forms URL parts are stored and read with. Encoding never
// fails: a byte that is not part of a UTF-8 character is escaped on its own.
// Decoding expects escapes that are well formed (the URL parser checked them)
// and gives the bytes they stand for, UTF-8 or not, so that what was encoded
// reads back exactly.
std::string percentEncodedBytes(std::string_view text, const CharacterSet& allowed);
std::string percentDecodedBytes(std::string_view text);

}  // namespace platform
