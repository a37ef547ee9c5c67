#include "Highlighter/ThemeSheet.h"

#include <optional>

namespace highlighter {

std::vector<std::string> splitAt(std::string_view text, char separator) {
  std::vector<std::string> pieces;
  std::size_t start = 0;
  while (true) {
    const auto end = text.find(separator, start);
    pieces.emplace_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) return pieces;
    start = end + 1;
  }
}

namespace {

bool isNameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

// Where the selector group starting at the "." at `start` ends with its "{",
// or where reading it failed. A group is class names, each after a ".",
// joined directly (compound), by one space or by one comma.
struct GroupEnd {
  std::size_t position;
  bool found;
};

GroupEnd scanGroup(std::string_view sheet, std::size_t start) {
  std::size_t at = start;
  while (true) {
    ++at;  // past the "."
    while (at < sheet.size() && isNameCharacter(sheet[at])) ++at;
    if (at == sheet.size()) return {at, false};
    const char next = sheet[at];
    if (next == '{') return {at, true};
    if (next == '.') continue;
    const bool joins = (next == ',' || next == ' ') && at + 1 < sheet.size() && sheet[at + 1] == '.';
    if (!joins) return {at, false};
    ++at;
  }
}

std::map<std::string, std::string> declarations(std::string_view body) {
  std::map<std::string, std::string> properties;
  for (const auto& declaration : splitAt(body, ';')) {
    const auto parts = splitAt(declaration, ':');
    if (parts.size() == 2) properties[parts[0]] = parts[1];
  }
  return properties;
}

}  // namespace

std::vector<ThemeRule> parseThemeSheet(std::string_view sheet) {
  std::vector<ThemeRule> rules;
  std::size_t from = 0;
  while (true) {
    const auto start = sheet.find('.', from);
    if (start == std::string_view::npos) return rules;
    const auto group = scanGroup(sheet, start);
    if (!group.found) {
      // Every "." between here and the failure point lies on the same chain
      // and would fail there too, so the search goes on from that point.
      from = group.position;
      continue;
    }
    const auto close = sheet.find('}', group.position + 1);
    // Without a closing brace no later rule can end either.
    if (close == std::string_view::npos) return rules;
    const auto text = sheet.substr(start, group.position - start);
    rules.push_back({std::string(text), splitAt(text, ','),
                     declarations(sheet.substr(group.position + 1, close - group.position - 1))});
    from = close + 1;
  }
}

}  // namespace highlighter
