#pragma once

#include <string_view>

#include "Highlighter/Theme.h"
#include "Platform/Text/AttributedString.h"

namespace highlighter {

// Turns the highlight script's HTML into styled text in one pass, without
// an HTML parser: the only markup the script writes is nested
// `<span class="…">` elements, and the code's own markup characters come as
// character entities. Every run is styled by the theme with the classes of
// the spans around it, "hljs" outermost.
class HTMLSpanConverter {
 public:
  explicit HTMLSpanConverter(const Theme& theme) : theme_(theme) {}

  platform::AttributedString convert(std::u16string_view html) const;

 private:
  const Theme& theme_;
};

}  // namespace highlighter
