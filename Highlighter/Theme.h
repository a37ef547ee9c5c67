#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Text/AttributedString.h"
#include "Platform/Text/Color.h"
#include "Platform/Text/Font.h"

namespace highlighter {

// A highlighting theme read from a minified theme style sheet: the
// attributes of each highlight class, the code view's background and the
// code fonts. Only class-selector rules written without spaces around ":"
// are understood; anything else in the sheet is ignored.
//
// Styling may run on any thread while another thread changes the code font.
class Theme {
 public:
  using Properties = std::map<std::string, std::string>;

  static std::shared_ptr<Theme> make(std::string themeString);

  Theme(const Theme&) = delete;
  Theme& operator=(const Theme&) = delete;

  // The style sheet the theme was made from.
  const std::string& theme() const { return theme_; }
  // The style sheet again, without the base rule's background, for
  // documents that paint their own background.
  std::optional<std::string> lightTheme() const;
  void setLightTheme(std::optional<std::string> lightTheme);
  std::optional<platform::Color> themeBackgroundColor() const;
  void setThemeBackgroundColor(std::optional<platform::Color> color);

  std::optional<platform::Font> codeFont() const;
  std::optional<platform::Font> boldCodeFont() const;
  std::optional<platform::Font> italicCodeFont() const;
  // Makes `font` the code font, derives the bold and italic faces of its
  // family (italic falling back to oblique, then to the font itself) and
  // restyles the classes with them.
  void setCodeFont(const platform::Font& font);

  // `text` in the code font with the attributes of the classes of
  // `styleList` (outermost first), inner classes overriding outer ones.
  platform::AttributedString applyStyleToString(std::u16string_view text, const std::vector<std::string>& styleList) const;
  // The attributes applyStyleToString gives, for callers that style many
  // runs with the same classes and append them themselves.
  platform::TextAttributes attributesForStyles(const std::vector<std::string>& styleList) const;

  // Exposed for tests: a colour as theme sheets write it.
  static platform::Color colorWithHexString(std::string_view text);

 private:
  explicit Theme(std::string themeString);

  static std::map<std::string, Properties> stripTheme(const std::string& themeString);
  static std::string strippedThemeToString(const std::map<std::string, Properties>& strippedTheme);
  std::map<std::string, platform::TextAttributes> strippedThemeToTheme(
      const std::map<std::string, Properties>& strippedTheme) const;
  std::optional<platform::Font> fontForCSSStyle(std::string_view value) const;

  const std::string theme_;
  mutable std::mutex mutex_;
  std::optional<std::string> lightTheme_;
  std::optional<platform::Font> codeFont_;
  std::optional<platform::Font> boldCodeFont_;
  std::optional<platform::Font> italicCodeFont_;
  std::optional<std::map<std::string, platform::TextAttributes>> themeDict_;
  std::optional<std::map<std::string, Properties>> strippedTheme_;
  std::optional<platform::Color> themeBackgroundColor_;
};

}  // namespace highlighter
