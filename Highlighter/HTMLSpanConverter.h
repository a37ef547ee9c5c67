#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

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
  explicit HTMLSpanConverter(const Theme& theme) : theme_(theme) {}

  platform::AttributedString convert(std::u16string_view html);
  // Hands the runs to `sink`; the attributes it is given stay in place as
  // long as the converter.
  void convert(std::u16string_view html, StyledTextSink& sink);
  // What text outside every span gets.
  const platform::TextAttributes& plainAttributes();

 private:
  const Theme& theme_;
  // By the open classes, each joined after a NUL: a body repeats the same
  // few stacks of classes many times over. Nodes stay put as the map grows.
  std::unordered_map<std::string, platform::TextAttributes> known_;
};

}  // namespace highlighter
