#pragma once

#include <cstddef>
#include <optional>

#include "Platform/Text/Color.h"
#include "Platform/Text/Font.h"

namespace platform {

// What styled text can say about a character; an absent attribute leaves
// the choice to whoever draws the text.
struct TextAttributes {
  std::optional<Font> font;
  std::optional<Color> foregroundColor;
  std::optional<Color> backgroundColor;

  friend bool operator==(const TextAttributes&, const TextAttributes&) = default;
};

// A span of text in UTF-16 code units.
struct TextRange {
  std::size_t location = 0;
  std::size_t length = 0;

  std::size_t end() const { return location + length; }

  friend bool operator==(const TextRange&, const TextRange&) = default;
};

}  // namespace platform
