#pragma once

// What every harness shares: a property that must hold, and the input read
// as text in pieces.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace fuzz {

// Stops the run with `what` when a property of our code does not hold, so
// the fuzzer keeps the input.
inline void require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
  }
}

inline std::string_view text(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// `text` cut at every `separator`; an empty text gives one empty piece.
inline std::vector<std::string_view> pieces(std::string_view text, char separator) {
  std::vector<std::string_view> result;
  for (std::size_t start = 0;;) {
    const auto end = text.find(separator, start);
    result.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) return result;
    start = end + 1;
  }
}

}  // namespace fuzz
