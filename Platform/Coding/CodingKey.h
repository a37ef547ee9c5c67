#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Names a value inside its container: a text, and for positions and
// integer-keyed values also an integer.
struct CodingKey {
  std::string stringValue;
  std::optional<std::int64_t> intValue;

  CodingKey(std::string stringValue) : stringValue(std::move(stringValue)) {}
  CodingKey(std::string_view stringValue) : stringValue(stringValue) {}
  CodingKey(const char* stringValue) : stringValue(stringValue) {}
  // A key made from an integer has that integer's decimal text.
  explicit CodingKey(std::int64_t intValue) : stringValue(std::to_string(intValue)), intValue(intValue) {}
  CodingKey(std::string stringValue, std::optional<std::int64_t> intValue)
      : stringValue(std::move(stringValue)), intValue(intValue) {}

  // The key of position `index` in an unkeyed container.
  static CodingKey index(std::int64_t index) { return CodingKey(index); }
  // The key a super-encoder or super-decoder is given when asked without one.
  static CodingKey superKey() { return CodingKey("super"); }

  friend bool operator==(const CodingKey&, const CodingKey&) = default;
};

// The keys from the top-level value down to a value.
using CodingPath = std::vector<CodingKey>;

CodingPath appending(CodingPath path, CodingKey key);

// The path as text: keys joined by ".", integer keys as "[n]", for example
// user.tags[1]; the empty path is "the top level".
std::string describe(const CodingPath& path);

}  // namespace platform
