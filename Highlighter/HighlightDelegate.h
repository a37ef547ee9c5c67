#pragma once

#include "Platform/Text/TextAttributes.h"

namespace highlighter {

// Watches the highlighting passes of a CodeAttributedString. Ranges are in
// UTF-16 code units.
class HighlightDelegate {
 public:
  virtual ~HighlightDelegate() = default;

  // Asked before a pass is scheduled; false skips it, and nothing more is
  // said about it.
  virtual bool shouldHighlight(platform::TextRange) { return true; }
  // Told after each scheduled pass: false when it produced nothing or the
  // text changed under it, leaving the attributes as they were.
  virtual void didHighlight(platform::TextRange, bool) {}
};

}  // namespace highlighter
