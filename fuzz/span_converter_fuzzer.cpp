// The highlight script's HTML, which carries the code being highlighted,
// through the span converter and its entity decoding.

#include <memory>

#include "Highlighter/HTMLSpanConverter.h"
#include "Platform/Text/UTF16.h"
#include "fuzz/FuzzCheck.h"

using highlighter::HTMLSpanConverter;
using highlighter::Theme;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const auto theme = Theme::make(".hljs{color:#111}.hljs-keyword{font-weight:bold}.hljs-string{color:#0a0}");
  const auto html = platform::utf16FromUTF8(fuzz::text(data, size));
  const auto converted = HTMLSpanConverter(*theme).convert(html);
  // Markup and entities only ever shrink the text.
  fuzz::require(converted.characters().size() <= html.size(), "the converted text is longer than the HTML");
  return 0;
}
