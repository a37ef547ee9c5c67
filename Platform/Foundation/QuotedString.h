#pragma once

#include <string>
#include <string_view>

namespace platform {

// `text` between double quotes, with every quote and backslash in it escaped
// by a backslash: the quoted string of HTTP header parameters, which curl
// also reads in a form field's name and type.
inline std::string quotedString(std::string_view text) {
  std::string quoted = "\"";
  for (const char character : text) {
    if (character == '"' || character == '\\') quoted += '\\';
    quoted += character;
  }
  return quoted + '"';
}

}  // namespace platform
