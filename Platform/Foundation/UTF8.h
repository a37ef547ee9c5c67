#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

struct UTF8Sequence {
  std::size_t length;  // of the valid sequence, or of the maximal ill-formed subpart
  bool valid;
};

// The sequence starting at `position`, which must lie inside `bytes`. An
// ill-formed one spans the longest prefix of a valid sequence found there,
// at least one byte.
UTF8Sequence readUTF8Sequence(std::string_view bytes, std::size_t position);

// Whether `bytes` are well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF).
bool isValidUTF8(std::string_view bytes);

// The text of `bytes`, or absent when they are not well-formed UTF-8.
std::optional<std::string> decodeUTF8(std::string_view bytes);

// The text of `bytes` with each maximal ill-formed subsequence replaced by
// one U+FFFD, so decoding never fails.
std::string decodeUTF8Repairing(std::string_view bytes);

}  // namespace platform
