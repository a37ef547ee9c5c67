#pragma once

#include <memory>
#include <string_view>

#include "Highlighter/StyledTextSink.h"
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
  explicit HTMLSpanConverter(const Theme& theme);
  ~HTMLSpanConverter();
  HTMLSpanConverter(const HTMLSpanConverter&) = delete;
  HTMLSpanConverter& operator=(const HTMLSpanConverter&) = delete;

  platform::AttributedString convert(std::u16string_view html);
  // Hands the runs to `sink`; the attributes it is given stay in place as
  // long as the converter.
  void convert(std::u16string_view html, StyledTextSink& sink);
  // What text outside every span gets.
  const platform::TextAttributes& plainAttributes();

 private:
  class ClassStack;

  const Theme& theme_;
  // The stacks of classes met so far, grown from "hljs" alone: a body opens
  // the same few stacks many times over.
  std::unique_ptr<ClassStack> base_;
};

}  // namespace highlighter
