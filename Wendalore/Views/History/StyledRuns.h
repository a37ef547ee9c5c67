#pragma once

#include <cstdint>
#include <vector>

#include "Platform/Text/AttributedString.h"

namespace wendalore {

// Highlighted text reduced to what a view paints: a few distinct styles and
// the spans using them. A large body's styled text has a run per token;
// this keeps a small record per run and no copy of the characters.
struct StyledRuns {
  struct Span {
    std::uint32_t start;
    std::uint32_t end;
    std::uint16_t style;
  };

  std::vector<platform::TextAttributes> styles;
  // In text order, not overlapping; positions in UTF-16 code units.
  std::vector<Span> spans;

  static StyledRuns from(const platform::AttributedString& text);

  // The index of `attributes` in `styles`, added when new.
  std::uint16_t style(const platform::TextAttributes& attributes);
  // `length` more units in `style` after the last span.
  void append(std::uint32_t length, std::uint16_t style);

  // About what the value takes in memory.
  std::size_t byteSize() const { return spans.size() * sizeof(Span) + styles.size() * sizeof(platform::TextAttributes); }

  // The spans that touch [start, end), clipped to it.
  std::vector<Span> spansBetween(std::uint32_t start, std::uint32_t end) const;
};

}  // namespace wendalore
