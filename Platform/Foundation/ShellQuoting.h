#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace platform {

// `text` between single quotes, where a shell treats nothing as special; a
// single quote inside ends the quotes, is escaped, and opens them again.
inline std::string singleQuotedShellWord(std::string_view text) {
  std::string quoted = "'";
  for (const char character : text) {
    if (character == '\'') {
      quoted += "'\\''";
    } else {
      quoted += character;
    }
  }
  return quoted + "'";
}

// A terminal and an interactive shell's line editor act on control
// characters before any quoting counts: one erases the line read so far,
// another ends a paste or the command. No quoting written with them is safe.
inline bool holdsControlCharacter(std::string_view text) {
  return std::ranges::any_of(text, [](char character) {
    const auto byte = static_cast<unsigned char>(character);
    return byte < 0x20 || byte == 0x7F;
  });
}

// `text` in the shell's ANSI-C quoting, $'...', written without a single
// control character: those are "\xNN" escapes, and so are the quote and
// "!" (history expansion does not know this quoting) and the backslash.
// Other bytes, UTF-8 included, stand as they are.
inline std::string ansiCQuotedShellWord(std::string_view text) {
  constexpr std::string_view digits = "0123456789abcdef";
  std::string quoted = "$'";
  for (const char character : text) {
    const auto byte = static_cast<unsigned char>(character);
    if (byte < 0x20 || byte == 0x7F || character == '\'' || character == '!' || character == '\\') {
      quoted += "\\x";
      quoted += digits[byte >> 4];
      quoted += digits[byte & 0xF];
    } else {
      quoted += character;
    }
  }
  return quoted + "'";
}

}  // namespace platform
