#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace highlighter {

// Character entities as the highlight script writes them.
struct HTMLUtils {
  // The character `entity` (with its "&" and ";") stands for: "&#x…;" and
  // "&#X…;" hexadecimal, "&#…;" decimal (leading digits read, none giving
  // U+0000), else an XHTML 1.0 entity name compared exactly. Absent for an
  // unknown name or a number that names no Unicode scalar value.
  static std::optional<std::u16string> decode(std::u16string_view entity);
  // The character of the number `digits` in `radix` (10 or 16).
  static std::optional<std::u16string> decodeNumeric(std::u16string_view digits, int radix);
};

}  // namespace highlighter
