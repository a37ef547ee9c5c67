#include "Highlighter/HTMLSpanConverter.h"

#include <algorithm>

#include "Highlighter/HTMLUtils.h"
#include "Platform/Text/UTF16.h"

namespace highlighter {

using platform::AttributedString;

namespace {

constexpr std::u16string_view htmlStart = u"<";
constexpr std::u16string_view spanStart = u"span class=\"";
constexpr std::u16string_view spanStartClose = u"\">";
constexpr std::u16string_view spanEnd = u"/span>";

bool isAlphanumeric(char16_t unit) {
  return (unit >= u'a' && unit <= u'z') || (unit >= u'A' && unit <= u'Z') || (unit >= u'0' && unit <= u'9');
}

struct Entity {
  std::size_t start;
  std::size_t end;
  std::u16string replacement;
};

// The entities of `text` in order, as the pattern "&#?[a-zA-Z0-9]+?;" finds
// them, with their replacements; unknown ones are left out.
std::vector<Entity> findEntities(std::u16string_view text) {
  std::vector<Entity> entities;
  for (auto amp = text.find(u'&'); amp != std::u16string_view::npos; amp = text.find(u'&', amp)) {
    std::size_t position = amp + 1;
    if (position < text.size() && text[position] == u'#') ++position;
    const std::size_t digits = position;
    while (position < text.size() && isAlphanumeric(text[position])) ++position;
    if (position == digits || position >= text.size() || text[position] != u';') {
      ++amp;
      continue;
    }
    if (auto replacement = HTMLUtils::decode(text.substr(amp, position + 1 - amp))) {
      entities.push_back({amp, position + 1, std::move(*replacement)});
    }
    amp = position + 1;
  }
  return entities;
}

}  // namespace

AttributedString HTMLSpanConverter::convert(std::u16string_view html) const {
  AttributedString result;
  std::vector<std::string> classes{"hljs"};
  const auto append = [&](std::u16string_view text) { result.append(theme_.applyStyleToString(text, classes)); };

  std::size_t position = 0;
  while (position < html.size()) {
    const auto tag = std::min(html.find(htmlStart, position), html.size());
    if (tag > position) append(html.substr(position, tag - position));
    position = tag;
    if (position == html.size()) break;

    ++position;  // past "<"
    if (position == html.size()) {
      append(htmlStart);
    } else if (html[position] == u's') {
      position = std::min(position + spanStart.size(), html.size());
      const auto close = std::min(html.find(spanStartClose, position), html.size());
      classes.push_back(platform::utf8FromUTF16(html.substr(position, close - position)));
      position = std::min(close + spanStartClose.size(), html.size());
    } else if (html[position] == u'/') {
      position = std::min(position + spanEnd.size(), html.size());
      // The base class stays, so stray ends never unstyle the text.
      if (classes.size() > 1) classes.pop_back();
    } else {
      append(htmlStart);
    }
  }
  return decodeEntities(result);
}

AttributedString HTMLSpanConverter::decodeEntities(const AttributedString& text) {
  const std::u16string_view characters = text.characters();
  const auto entities = findEntities(characters);
  if (entities.empty()) return text;

  // One pass over the runs: an entity may reach into the runs after the one
  // holding its "&".
  AttributedString result;
  auto entity = entities.begin();
  std::size_t position = 0;
  for (const auto& run : text.runs()) {
    while (position < run.range.end()) {
      if (entity != entities.end() && entity->start < run.range.end()) {
        result.append(characters.substr(position, entity->start - position), run.attributes);
        result.append(entity->replacement, run.attributes);
        position = entity->end;
        ++entity;
      } else {
        result.append(characters.substr(position, run.range.end() - position), run.attributes);
        position = run.range.end();
      }
    }
  }
  return result;
}

}  // namespace highlighter
