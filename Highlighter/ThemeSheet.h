#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace highlighter {

// One rule of a theme style sheet whose selectors are class selectors only.
struct ThemeRule {
  // The selector group as the sheet writes it, e.g. ".a .b,.c.d".
  std::string group;
  // The group split at its commas, each selector kept as written: a chain of
  // compound class selectors (".c.d") joined by single spaces (".a .b").
  std::vector<std::string> selectors;
  // The declarations written "name:value"; others are left out.
  std::map<std::string, std::string> properties;
};

// The pieces of `text` between the separators, empty ones included.
std::vector<std::string> splitAt(std::string_view text, char separator);

// The class-selector rules of `sheet`, in sheet order. Text that is not such
// a rule (at-rules' heads, pseudo-classes, element selectors) is skipped.
// One pass over the text, so a sheet of any size is read in linear time and
// constant stack.
std::vector<ThemeRule> parseThemeSheet(std::string_view sheet);

}  // namespace highlighter
