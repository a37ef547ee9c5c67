// Theme style sheets through the rule scanner and the theme built on it.

#include <string>

#include "Highlighter/Theme.h"
#include "Highlighter/ThemeSheet.h"
#include "fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto sheet = fuzz::text(data, size);
  for (const auto& rule : highlighter::parseThemeSheet(sheet)) {
    std::string joined;
    for (const auto& selector : rule.selectors) {
      fuzz::require(selector.starts_with('.') && selector.find(',') == std::string::npos, "a selector as not written");
      joined += (joined.empty() ? "" : ",") + selector;
    }
    fuzz::require(joined == rule.group && sheet.find(rule.group + "{") != std::string_view::npos,
                  "the selectors are not the group as written");
  }
  const auto theme = highlighter::Theme::make(std::string(sheet));
  (void)theme->applyStyleToString(u"x", {"hljs", "hljs-title", "hljs-function"});
  return 0;
}
