#include "Platform/Text/HTMLImporter.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <tuple>
#include <vector>

#include "Platform/Foundation/UTF8.h"
#include "Platform/Text/HTMLEntities.h"
#include "Platform/Text/UTF16.h"

namespace platform {

namespace {

std::string lowercased(std::string_view text) {
  std::string result(text);
  std::ranges::transform(result, result.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return result;
}

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n\f");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n\f") - first + 1);
}

std::vector<std::string_view> split(std::string_view text, std::string_view separators) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  while (start <= text.size()) {
    const auto end = std::min(text.find_first_of(separators, start), text.size());
    if (end > start) pieces.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return pieces;
}

std::optional<Color> cssColor(std::string_view value) {
  const std::string text = lowercased(trimmed(value));
  if (text.starts_with('#')) {
    const auto digits = std::string_view(text).substr(1);
    if ((digits.size() != 3 && digits.size() != 6) || digits.find_first_not_of("0123456789abcdef") != std::string::npos) {
      return std::nullopt;
    }
    const auto component = [&](std::size_t index) {
      if (digits.size() == 3) return std::stoi(std::string(1, digits[index]), nullptr, 16) / 15.0;
      return std::stoi(std::string(digits.substr(index * 2, 2)), nullptr, 16) / 255.0;
    };
    return Color{component(0), component(1), component(2), 1};
  }
  static const std::map<std::string, Color, std::less<>> named{
      {"black", Color::black()},       {"white", Color::white()}, {"red", {1, 0, 0, 1}},
      {"green", {0, 128 / 255.0, 0, 1}}, {"blue", {0, 0, 1, 1}},  {"gray", Color::gray()},
      {"grey", Color::gray()},
  };
  const auto found = named.find(text);
  if (found == named.end()) return std::nullopt;
  return found->second;
}

// What text inherits from the elements around it.
struct Style {
  std::optional<Color> color;
  std::optional<Color> background;
  bool bold = false;
  bool italic = false;
  bool monospaced = false;
  bool preformatted = false;
};

void applyDeclaration(Style& style, std::string_view name, std::string_view value) {
  const std::string property = lowercased(trimmed(name));
  const std::string text = lowercased(trimmed(value));
  if (property == "color") {
    if (auto color = cssColor(text)) style.color = color;
  } else if (property == "background-color") {
    if (auto color = cssColor(text)) style.background = color;
  } else if (property == "background") {
    // The shorthand may list an image and positions beside the colour.
    for (const auto token : split(text, " \t\r\n")) {
      if (auto color = cssColor(token)) style.background = color;
    }
  } else if (property == "font-weight") {
    if (text == "bold" || text == "bolder" || text == "600" || text == "700" || text == "800" || text == "900") {
      style.bold = true;
    } else if (text == "normal" || text == "lighter" || (text.size() == 3 && text[0] >= '1' && text[0] <= '5')) {
      style.bold = false;
    }
  } else if (property == "font-style") {
    if (text == "italic" || text == "oblique") style.italic = true;
    if (text == "normal") style.italic = false;
  }
}

struct Element {
  std::string name;
  std::vector<std::string> classes;
  Style style;
};

// One step of a selector: an optional element name and the classes it needs.
struct Compound {
  std::string name;
  std::vector<std::string> classes;

  bool matches(const Element& element) const {
    if (!name.empty() && name != element.name) return false;
    return std::ranges::all_of(classes, [&](const auto& wanted) { return std::ranges::find(element.classes, wanted) != element.classes.end(); });
  }
};

struct Rule {
  std::vector<Compound> selector;  // outermost first, descendant steps
  std::vector<std::pair<std::string, std::string>> declarations;
  std::tuple<std::size_t, std::size_t, std::size_t> precedence;  // classes, names, order
};

std::optional<Compound> parseCompound(std::string_view text) {
  Compound compound;
  std::size_t position = 0;
  const auto identifierEnd = [&](std::size_t from) {
    while (from < text.size() && (std::isalnum(static_cast<unsigned char>(text[from])) || text[from] == '-' || text[from] == '_')) ++from;
    return from;
  };
  auto end = identifierEnd(position);
  compound.name = lowercased(text.substr(0, end));
  position = end;
  while (position < text.size()) {
    if (text[position] != '.') return std::nullopt;  // ids, pseudo-classes and attributes are not supported
    end = identifierEnd(position + 1);
    if (end == position + 1) return std::nullopt;
    compound.classes.emplace_back(text.substr(position + 1, end - position - 1));
    position = end;
  }
  if (compound.name.empty() && compound.classes.empty()) return std::nullopt;
  return compound;
}

class StyleSheet {
 public:
  void add(std::string_view css) {
    std::string text(css);
    for (auto comment = text.find("/*"); comment != std::string::npos; comment = text.find("/*", comment)) {
      const auto close = text.find("*/", comment + 2);
      text.erase(comment, close == std::string::npos ? std::string::npos : close + 2 - comment);
    }
    std::size_t position = 0;
    while (position < text.size()) {
      const auto open = text.find('{', position);
      if (open == std::string::npos) break;
      const auto prelude = trimmed(std::string_view(text).substr(position, open - position));
      if (prelude.starts_with('@')) {
        position = endOfBlock(text, open);
        continue;
      }
      const auto close = std::min(text.find('}', open), text.size());
      addRule(prelude, std::string_view(text).substr(open + 1, close - open - 1));
      position = close + 1;
    }
  }

  // The style of `element` inside `parent`; `ancestors` are the elements
  // around it, outermost first.
  Style styleOf(const Element& element, const std::vector<Element>& ancestors, const Style& parent) const {
    Style style = parent;
    std::vector<const Rule*> matching;
    for (const auto& rule : rules_) {
      if (matches(rule.selector, element, ancestors)) matching.push_back(&rule);
    }
    std::ranges::stable_sort(matching, {}, [](const Rule* rule) { return rule->precedence; });
    for (const Rule* rule : matching) {
      for (const auto& [name, value] : rule->declarations) applyDeclaration(style, name, value);
    }
    return style;
  }

 private:
  static std::size_t endOfBlock(const std::string& text, std::size_t open) {
    int depth = 0;
    for (std::size_t index = open; index < text.size(); ++index) {
      if (text[index] == '{') ++depth;
      if (text[index] == '}' && --depth == 0) return index + 1;
    }
    return text.size();
  }

  void addRule(std::string_view prelude, std::string_view block) {
    std::vector<std::pair<std::string, std::string>> declarations;
    for (const auto declaration : split(block, ";")) {
      const auto colon = declaration.find(':');
      if (colon == std::string_view::npos) continue;
      declarations.emplace_back(declaration.substr(0, colon), declaration.substr(colon + 1));
    }
    for (const auto selectorText : split(prelude, ",")) {
      Rule rule;
      bool supported = true;
      for (const auto step : split(selectorText, " \t\r\n>+~")) {
        auto compound = parseCompound(step);
        if (!compound) supported = false;
        if (compound) rule.selector.push_back(std::move(*compound));
      }
      if (!supported || rule.selector.empty()) continue;
      std::size_t classes = 0;
      std::size_t names = 0;
      for (const auto& compound : rule.selector) {
        classes += compound.classes.size();
        names += compound.name.empty() ? 0 : 1;
      }
      rule.declarations = declarations;
      rule.precedence = {classes, names, rules_.size()};
      rules_.push_back(std::move(rule));
    }
  }

  static bool matches(const std::vector<Compound>& selector, const Element& element, const std::vector<Element>& ancestors) {
    if (!selector.back().matches(element)) return false;
    auto ancestor = ancestors.rbegin();
    for (auto step = std::next(selector.rbegin()); step != selector.rend(); ++step) {
      ancestor = std::find_if(ancestor, ancestors.rend(), [&](const Element& candidate) { return step->matches(candidate); });
      if (ancestor == ancestors.rend()) return false;
      ++ancestor;
    }
    return true;
  }

  std::vector<Rule> rules_;
};

bool isVoidElement(std::string_view name) {
  return name == "br" || name == "meta" || name == "link" || name == "img" || name == "hr" || name == "input";
}

class Reader {
 public:
  explicit Reader(std::u16string_view text) : text_(text) {}

  AttributedString read() {
    gatherStyleSheets();
    position_ = 0;
    while (position_ < text_.size()) {
      const auto tag = text_.find(u'<', position_);
      appendText(text_.substr(position_, std::min(tag, text_.size()) - position_));
      if (tag == std::u16string_view::npos) break;
      position_ = tag;
      readMarkup();
    }
    return std::move(result_);
  }

 private:
  // Style sheets apply to the whole document, wherever they stand.
  void gatherStyleSheets() {
    for (auto start = findTag(u"<style", 0); start != std::u16string_view::npos; start = findTag(u"<style", start)) {
      const auto open = endOf(u">", start);
      const auto close = findTag(u"</style", open);
      if (close == std::u16string_view::npos) throw HTMLImportError("a style element is never closed");
      styleSheet_.add(utf8FromUTF16(text_.substr(open, close - open)));
      start = close;
    }
  }

  std::size_t findTag(std::u16string_view tag, std::size_t from) const {
    for (auto found = text_.find(tag, from); found != std::u16string_view::npos; found = text_.find(tag, found + 1)) {
      const auto after = found + tag.size();
      if (after < text_.size() && (text_[after] == u'>' || text_[after] == u' ' || text_[after] == u'\t' || text_[after] == u'\n')) return found;
    }
    return std::u16string_view::npos;
  }

  std::size_t endOf(std::u16string_view terminator, std::size_t from) const {
    const auto found = text_.find(terminator, from);
    if (found == std::u16string_view::npos) throw HTMLImportError("a tag or comment is never closed");
    return found + terminator.size();
  }

  void readMarkup() {
    const auto rest = text_.substr(position_);
    if (rest.starts_with(u"<!--")) {
      position_ = endOf(u"-->", position_ + 4);
    } else if (rest.starts_with(u"<!") || rest.starts_with(u"<?")) {
      position_ = endOf(u">", position_);
    } else if (rest.size() > 1 && rest[1] == u'/') {
      const auto end = endOf(u">", position_);
      closeElement(lowercased(trimmed(utf8FromUTF16(text_.substr(position_ + 2, end - position_ - 3)))));
      position_ = end;
    } else if (rest.size() > 1 && std::isalpha(rest[1] < 0x80 ? static_cast<int>(rest[1]) : 0)) {
      const auto start = position_;
      position_ = endOf(u">", position_);
      openElement(utf8FromUTF16(text_.substr(start + 1, position_ - start - 2)));
    } else {
      appendText(u"<");
      ++position_;
    }
  }

  void openElement(std::string tag) {
    const bool selfClosing = tag.ends_with('/');
    if (selfClosing) tag.pop_back();
    const auto nameEnd = std::min(tag.find_first_of(" \t\r\n"), tag.size());
    Element element{lowercased(tag.substr(0, nameEnd)), classesIn(std::string_view(tag).substr(nameEnd)), {}};
    if (element.name == "style" || element.name == "script") {
      const auto close = findTag(u"</" + utf16FromUTF8(element.name), position_);
      if (close == std::u16string_view::npos) throw HTMLImportError("a " + element.name + " element is never closed");
      position_ = endOf(u">", close);
      return;
    }
    if (element.name == "br") appendText(u"\n", true);
    if (isVoidElement(element.name) || selfClosing) return;
    Style parent = open_.empty() ? Style{} : open_.back().style;
    if (element.name == "pre") parent.preformatted = parent.monospaced = true;
    if (element.name == "code" || element.name == "tt" || element.name == "kbd" || element.name == "samp") parent.monospaced = true;
    if (element.name == "b" || element.name == "strong") parent.bold = true;
    if (element.name == "i" || element.name == "em") parent.italic = true;
    element.style = styleSheet_.styleOf(element, open_, parent);
    open_.push_back(std::move(element));
  }

  void closeElement(const std::string& name) {
    const auto found = std::find_if(open_.rbegin(), open_.rend(), [&](const Element& element) { return element.name == name; });
    if (found != open_.rend()) open_.erase(std::next(found).base(), open_.end());
  }

  static std::vector<std::string> classesIn(std::string_view attributes) {
    std::size_t position = 0;
    while ((position = attributes.find("class", position)) != std::string_view::npos) {
      auto after = attributes.find_first_not_of(" \t\r\n", position + 5);
      const bool startsAttribute = position == 0 || std::isspace(static_cast<unsigned char>(attributes[position - 1]));
      position += 5;
      if (!startsAttribute || after == std::string_view::npos || attributes[after] != '=') continue;
      after = attributes.find_first_not_of(" \t\r\n", after + 1);
      if (after == std::string_view::npos) return {};
      std::string_view value;
      if (attributes[after] == '"' || attributes[after] == '\'') {
        const auto close = attributes.find(attributes[after], after + 1);
        value = attributes.substr(after + 1, (close == std::string_view::npos ? attributes.size() : close) - after - 1);
      } else {
        value = attributes.substr(after, attributes.find_first_of(" \t\r\n", after) - after);
      }
      std::vector<std::string> classes;
      for (const auto name : split(value, " \t\r\n")) classes.emplace_back(name);
      return classes;
    }
    return {};
  }

  void appendText(std::u16string_view raw, bool verbatim = false) {
    if (raw.empty()) return;
    const Style style = open_.empty() ? Style{} : open_.back().style;
    std::u16string text = verbatim ? std::u16string(raw) : decodeEntities(raw);
    if (!style.preformatted && !verbatim) text = collapseWhiteSpace(text);
    if (text.empty()) return;
    result_.append(text, attributesFor(style));
  }

  std::u16string collapseWhiteSpace(std::u16string_view text) {
    std::u16string result;
    for (const char16_t unit : text) {
      const bool space = unit == u' ' || unit == u'\t' || unit == u'\n' || unit == u'\r' || unit == u'\f';
      if (space && (lastWasSpace_ || result_.length() + result.size() == 0)) continue;
      result += space ? u' ' : unit;
      lastWasSpace_ = space;
    }
    return result;
  }

  static std::u16string decodeEntities(std::u16string_view text) {
    std::u16string result;
    std::size_t position = 0;
    while (position < text.size()) {
      const auto amp = text.find(u'&', position);
      result += text.substr(position, std::min(amp, text.size()) - position);
      if (amp == std::u16string_view::npos) break;
      const auto semicolon = text.find(u';', amp);
      const auto decoded = semicolon == std::u16string_view::npos ? std::nullopt : decodeEntity(text.substr(amp + 1, semicolon - amp - 1));
      if (decoded) {
        appendUTF16(result, *decoded);
        position = semicolon + 1;
      } else {
        result += u'&';
        position = amp + 1;
      }
    }
    return result;
  }

  static std::optional<char32_t> decodeEntity(std::u16string_view name) {
    if (!name.starts_with(u'#')) return htmlNamedEntity(name);
    const bool hex = name.size() > 1 && (name[1] == u'x' || name[1] == u'X');
    const auto digits = name.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    char32_t value = 0;
    for (const char16_t digit : digits) {
      const int number = digit >= u'0' && digit <= u'9' ? digit - u'0'
                         : hex && digit >= u'a' && digit <= u'f' ? digit - u'a' + 10
                         : hex && digit >= u'A' && digit <= u'F' ? digit - u'A' + 10
                                                                 : -1;
      if (number < 0) return std::nullopt;
      value = value * (hex ? 16 : 10) + static_cast<char32_t>(number);
    }
    return value;
  }

  TextAttributes attributesFor(const Style& style) {
    TextAttributes attributes;
    attributes.font = fontFor(style.monospaced, style.bold, style.italic);
    attributes.foregroundColor = style.color;
    attributes.backgroundColor = style.background;
    return attributes;
  }

  std::optional<Font> fontFor(bool monospaced, bool bold, bool italic) {
    const auto key = std::tuple(monospaced, bold, italic);
    if (const auto found = fonts_.find(key); found != fonts_.end()) return found->second;
    auto base = monospaced ? Font::named("Courier", 13) : Font::named("Times", 12);
    std::optional<Font> font = base;
    if (base && (bold || italic)) {
      const std::string weight = bold ? "Bold" : "";
      std::vector<std::string> faces;
      if (italic) {
        faces = {weight.empty() ? "Italic" : weight + " Italic", weight.empty() ? "Oblique" : weight + " Oblique"};
      }
      if (!weight.empty()) faces.push_back(weight);
      font.reset();
      for (const auto& face : faces) {
        if ((font = Font::withFace(base->familyName, face, base->pointSize))) break;
      }
      if (!font) font = base;
    }
    fonts_.emplace(key, font);
    return font;
  }

  std::u16string_view text_;
  std::size_t position_ = 0;
  StyleSheet styleSheet_;
  std::vector<Element> open_;
  AttributedString result_;
  bool lastWasSpace_ = false;
  std::map<std::tuple<bool, bool, bool>, std::optional<Font>> fonts_;
};

}  // namespace

AttributedString HTMLImporter::attributedString(std::string_view utf8Document) {
  if (!isValidUTF8(utf8Document)) throw HTMLImportError("the document is not UTF-8");
  const std::u16string text = utf16FromUTF8(utf8Document);
  return Reader(text).read();
}

}  // namespace platform
