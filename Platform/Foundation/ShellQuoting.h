#pragma once

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

}  // namespace platform
