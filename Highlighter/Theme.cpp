#include "Highlighter/Theme.h"

#include <algorithm>
#include <bit>

#include "Highlighter/ThemeSheet.h"
#include "Platform/Fatal.h"

namespace highlighter {

using platform::AttributedString;
using platform::Color;
using platform::Font;
using platform::TextAttributes;

namespace {

constexpr std::string_view compoundFunctionTitle = "hljs-function-hljs-title";
constexpr std::string_view compoundClassTitle = "hljs-class-hljs-title";

bool contains(const std::vector<std::string>& list, std::string_view value) {
  return std::ranges::find(list, value) != list.end();
}

// The leading hexadecimal digits of `piece` as a number; none give 0.
unsigned scanHex(std::string_view piece) {
  unsigned value = 0;
  for (const char digit : piece) {
    const int number = digit >= '0' && digit <= '9' ? digit - '0'
                       : digit >= 'a' && digit <= 'f' ? digit - 'a' + 10
                       : digit >= 'A' && digit <= 'F' ? digit - 'A' + 10
                                                      : -1;
    if (number < 0) break;
    value = value * 16 + static_cast<unsigned>(number);
  }
  return value;
}

// A compound selector (".hljs-title.class_") with its classes in order, so
// that it reads the same however the sheet orders them; a single class as
// it is.
std::string compoundKey(std::string_view selector) {
  auto classes = splitAt(selector, '.');
  std::erase(classes, std::string());
  if (classes.size() < 2) return std::string(selector);
  std::ranges::sort(classes);
  std::string key;
  for (const auto& name : classes) key += "." + name;
  return key;
}

}  // namespace

std::shared_ptr<Theme> Theme::make(std::string themeString) {
  return std::shared_ptr<Theme>(new Theme(std::move(themeString)));
}

Theme::Theme(std::string themeString) : theme_(std::move(themeString)) {
  const auto courier = Font::named("Courier", 14);
  if (!courier) platform::fatal("Theme: the font catalogue has no font for \"Courier\".");
  setCodeFont(*courier);
  strippedTheme_ = stripTheme(theme_);
  lightTheme_ = strippedThemeToString(*strippedTheme_);
  themeDict_ = strippedThemeToTheme(*strippedTheme_);

  const auto base = strippedTheme_->find(".hljs");
  std::optional<std::string> background;
  if (base != strippedTheme_->end()) {
    if (const auto found = base->second.find("background"); found != base->second.end()) {
      background = found->second;
    } else if (const auto colour = base->second.find("background-color"); colour != base->second.end()) {
      background = colour->second;
    }
  }
  if (!background) {
    themeBackgroundColor_ = Color::white();
  } else if (*background == "white") {
    themeBackgroundColor_ = Color::white();
  } else if (*background == "black") {
    themeBackgroundColor_ = Color::black();
  } else {
    // Without a "#" the whole value goes to the colour reader, which gives
    // grey for what it does not know (a gradient, "none").
    const auto hash = background->find('#');
    themeBackgroundColor_ = colorWithHexString(hash == std::string::npos ? *background : background->substr(hash));
  }
}

std::optional<std::string> Theme::lightTheme() const {
  std::scoped_lock lock(mutex_);
  return lightTheme_;
}

void Theme::setLightTheme(std::optional<std::string> lightTheme) {
  std::scoped_lock lock(mutex_);
  lightTheme_ = std::move(lightTheme);
}

std::optional<Color> Theme::themeBackgroundColor() const {
  std::scoped_lock lock(mutex_);
  return themeBackgroundColor_;
}

void Theme::setThemeBackgroundColor(std::optional<Color> color) {
  std::scoped_lock lock(mutex_);
  themeBackgroundColor_ = color;
}

std::optional<Font> Theme::codeFont() const {
  std::scoped_lock lock(mutex_);
  return codeFont_;
}

std::optional<Font> Theme::boldCodeFont() const {
  std::scoped_lock lock(mutex_);
  return boldCodeFont_;
}

std::optional<Font> Theme::italicCodeFont() const {
  std::scoped_lock lock(mutex_);
  return italicCodeFont_;
}

void Theme::setCodeFont(const Font& font) {
  auto bold = Font::withFace(font.familyName, "Bold", font.pointSize);
  auto italic = Font::withFace(font.familyName, "Italic", font.pointSize);
  if (!italic || italic->familyName != font.familyName) italic = Font::withFace(font.familyName, "Oblique", font.pointSize);
  std::scoped_lock lock(mutex_);
  codeFont_ = font;
  boldCodeFont_ = bold ? *bold : font;
  italicCodeFont_ = italic ? *italic : font;
  if (themeDict_ && strippedTheme_) themeDict_ = strippedThemeToTheme(*strippedTheme_);
}

AttributedString Theme::applyStyleToString(std::u16string_view text, const std::vector<std::string>& styleList) const {
  return AttributedString(std::u16string(text), attributesForStyles(styleList));
}

TextAttributes Theme::attributesForStyles(const std::vector<std::string>& styleList) const {
  std::scoped_lock lock(mutex_);
  TextAttributes attributes;
  attributes.font = codeFont_;
  if (!styleList.empty() && themeDict_) {
    const auto apply = [&](const std::string& key) {
      const auto found = themeDict_->find(key);
      if (found == themeDict_->end()) return;
      const TextAttributes& entry = found->second;
      if (entry.font) attributes.font = entry.font;
      if (entry.foregroundColor) attributes.foregroundColor = entry.foregroundColor;
      if (entry.backgroundColor) attributes.backgroundColor = entry.backgroundColor;
    };
    const bool isTitle = contains(styleList, "hljs-title");
    const bool functionTitle = isTitle && contains(styleList, "hljs-function") && themeDict_->contains(std::string(compoundFunctionTitle));
    const bool classTitle = isTitle && contains(styleList, "hljs-class") && themeDict_->contains(std::string(compoundClassTitle));
    for (const auto& style : styleList) {
      std::string_view key = style;
      if (functionTitle) key = compoundFunctionTitle;
      if (classTitle) key = compoundClassTitle;
      if (key.find(' ') == std::string_view::npos) {
        apply(std::string(key));
        continue;
      }
      // A span of several classes ("hljs-title function_"): each class,
      // then the rules naming several of them, which are more specific.
      auto classes = splitAt(key, ' ');
      std::erase(classes, std::string());
      for (const auto& single : classes) apply(single);
      std::ranges::sort(classes);
      const std::size_t subsets = classes.size() < 6 ? std::size_t{1} << classes.size() : 0;
      for (std::size_t subset = 1; subset < subsets; ++subset) {
        if (std::popcount(subset) < 2) continue;
        std::string compound;
        for (std::size_t index = 0; index < classes.size(); ++index) {
          if (subset & (std::size_t{1} << index)) compound += (compound.empty() ? "" : ".") + classes[index];
        }
        apply(compound);
      }
    }
  }
  return attributes;
}

std::map<std::string, Theme::Properties> Theme::stripTheme(const std::string& themeString) {
  // A later rule with the same selector group replaces an earlier one whole.
  std::map<std::string, ThemeRule> rules;
  for (auto& rule : parseThemeSheet(themeString)) {
    if (!rule.properties.empty()) rules.insert_or_assign(rule.group, std::move(rule));
  }

  std::map<std::string, Properties> result;
  const auto merge = [&](const std::string& key, const Properties& properties) {
    auto& entry = result[key];
    for (const auto& [name, value] : properties) entry[name] = value;
  };
  for (const auto& [group, rule] : rules) {
    // Each selector of the group on its own, so that one naming a title
    // leaves the others their classes.
    for (const auto& selector : rule.selectors) {
      const auto pieces = splitAt(selector, ' ');
      const bool isTitle = contains(pieces, ".hljs-title");
      for (const auto& piece : pieces) {
        if (piece.empty()) continue;
        if (isTitle && contains(pieces, ".hljs-function")) {
          merge(std::string(compoundFunctionTitle), rule.properties);
        } else if (isTitle && contains(pieces, ".hljs-class")) {
          merge(std::string(compoundClassTitle), rule.properties);
        } else {
          merge(compoundKey(piece), rule.properties);
        }
      }
    }
  }
  return result;
}

std::string Theme::strippedThemeToString(const std::map<std::string, Properties>& strippedTheme) {
  std::string text;
  for (const auto& [selector, properties] : strippedTheme) {
    text += selector + "{";
    for (const auto& [name, value] : properties) {
      if (selector == ".hljs") {
        std::string lower = name;
        std::ranges::transform(lower, lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (lower == "background" || lower == "background-color") continue;
      }
      text += name + ":" + value + ";";
    }
    text += "}";
  }
  return text;
}

std::map<std::string, TextAttributes> Theme::strippedThemeToTheme(
    const std::map<std::string, Properties>& strippedTheme) const {
  std::map<std::string, TextAttributes> result;
  for (const auto& [selector, properties] : strippedTheme) {
    TextAttributes attributes;
    bool any = false;
    // Properties come in name order, so a rule giving both "font-style" and
    // "font-weight" ends with the weight's face.
    for (const auto& [name, value] : properties) {
      if (name == "color") {
        attributes.foregroundColor = colorWithHexString(value);
      } else if (name == "background-color") {
        attributes.backgroundColor = colorWithHexString(value);
      } else if (name == "font-weight" || name == "font-style") {
        attributes.font = fontForCSSStyle(value);
      } else {
        continue;
      }
      any = true;
    }
    if (!any) continue;
    // ".hljs-title" is looked up as "hljs-title", ".class_.hljs-title" as
    // "class_.hljs-title".
    result[selector.starts_with('.') ? selector.substr(1) : selector] = std::move(attributes);
  }
  return result;
}

std::optional<Font> Theme::fontForCSSStyle(std::string_view value) const {
  if (value == "bold" || value == "bolder" || value == "600" || value == "700" || value == "800" || value == "900") {
    return boldCodeFont_;
  }
  if (value == "italic" || value == "oblique") return italicCodeFont_;
  return codeFont_;
}

Color Theme::colorWithHexString(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n\f\v");
  text = first == std::string_view::npos ? std::string_view{} : text.substr(first, text.find_last_not_of(" \t\r\n\f\v") - first + 1);
  if (!text.starts_with('#')) {
    if (text == "white") return Color::white();
    if (text == "black") return Color::black();
    if (text == "red") return {1, 0, 0, 1};
    if (text == "green") return {0, 1, 0, 1};
    if (text == "blue") return {0, 0, 1, 1};
    return Color::gray();
  }
  const auto digits = text.substr(1);
  if (digits.size() != 6 && digits.size() != 3) return Color::gray();
  const std::size_t width = digits.size() / 3;
  const double divisor = width == 2 ? 255.0 : 15.0;
  const auto component = [&](std::size_t index) { return scanHex(digits.substr(index * width, width)) / divisor; };
  return {component(0), component(1), component(2), 1};
}

}  // namespace highlighter
