#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace platform {

// Letter case of the ASCII letters only, as URL schemes, header names and
// media types use it; other bytes are left as they are.
inline char asciiLowercased(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

inline std::string asciiLowercased(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return asciiLowercased(c); });
  return lower;
}

// Without an early exit the loop is one the compiler widens: names and keys
// are short, and nearly always all ASCII.
inline bool isASCII(std::string_view text) {
  unsigned char bits = 0;
  for (const char c : text) bits |= static_cast<unsigned char>(c);
  return bits < 0x80;
}

inline bool equalsIgnoringASCIICase(std::string_view left, std::string_view right) {
  return std::ranges::equal(left, right, [](char a, char b) { return asciiLowercased(a) == asciiLowercased(b); });
}

}  // namespace platform
