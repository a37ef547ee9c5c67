#pragma once

#include <cstddef>
#include <string_view>

#include "Platform/Coding/JSONValue.h"

namespace platform::detail {

// Deepest nesting of arrays and objects the reader accepts, so that hostile
// input cannot exhaust the stack of the code that walks the tree.
inline constexpr std::size_t maximumJSONNesting = 512;

// The parser takes a NUL byte for the end of the text, but what follows it
// is part of the text too: one that holds a NUL is not JSON.
inline bool holdsNUL(std::string_view text) { return text.find('\0') != std::string_view::npos; }

// Parses a whole JSON text; throws JSONSerializationError (unreadableText).
// Top-level fragments are accepted here; the caller decides about them.
JSONValue readJSON(std::string_view text);

}  // namespace platform::detail
