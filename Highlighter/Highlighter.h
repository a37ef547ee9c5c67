#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Highlighter/HighlightBudget.h"
#include "Highlighter/HighlightJob.h"
#include "Highlighter/HighlightScript.h"
#include "Highlighter/Theme.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Text/AttributedString.h"

namespace highlighter {

// Turns source code into styled text with the highlight script running in
// a JavaScript context of its own and the current theme. The script and the
// theme style sheets come from the resource bundle
// "Highlighter_Highlighter.bundle" next to the executable.
//
// highlight() may be called from any thread. The fast path stays on the
// caller's thread; the other path imports the script's HTML on the main
// thread and waits for it there, so a caller off the main thread must not
// hold up the main queue meanwhile.
class Highlighter {
 public:
  using ThemeChanged = std::function<void(const std::shared_ptr<Theme>&)>;

  // The script comes from `highlightPath`, or from the bundle without one;
  // the theme "pojoaque" is set. Null when the engine cannot come up.
  static std::shared_ptr<Highlighter> make(const std::optional<std::filesystem::path>& highlightPath = std::nullopt);

  Highlighter(const Highlighter&) = delete;
  Highlighter& operator=(const Highlighter&) = delete;

  std::shared_ptr<Theme> theme() const;
  // Calls themeChanged, when installed, on this thread after the theme is
  // in place. Clearing the theme tells nobody: there is no theme to hand on.
  void setTheme(std::shared_ptr<Theme> theme);
  // Loads the theme `to` from the bundle and makes it current; false, with
  // nothing changed, when its style sheet is missing or unreadable.
  bool setTheme(const std::string& to);

  ThemeChanged themeChanged() const;
  void setThemeChanged(ThemeChanged themeChanged);
  bool ignoreIllegals() const { return ignoreIllegals_; }
  void setIgnoreIllegals(bool ignoreIllegals) { ignoreIllegals_ = ignoreIllegals; }

  // Applies to highlights started later.
  HighlightBudget budget() const;
  void setBudget(const HighlightBudget& budget);

  // `code` styled as the language `as` (a highlight script language name),
  // or as the language the script detects without one or when the script
  // does not know that language, within the budget (the HTML import of the
  // slow path is one piece, bounded in time only). Absent when the script
  // gives no HTML or the HTML cannot be imported.
  std::optional<platform::AttributedString> highlight(std::u16string_view code,
                                                      const std::optional<std::string>& as = std::nullopt,
                                                      bool fastRender = true) const;
  std::optional<platform::AttributedString> highlight(std::string_view code,
                                                      const std::optional<std::string>& as = std::nullopt,
                                                      bool fastRender = true) const;

  // The names setTheme(to) accepts, from the bundle's style sheets.
  std::vector<std::string> availableThemes() const;
  // The language names the script knows; empty when it answers anything
  // but a list of names.
  std::vector<std::string> supportedLanguages() const;

  // Found once per process; stops the process when it is missing.
  static const std::shared_ptr<const platform::Bundle>& moduleBundle();

 private:
  friend class HighlightJob;

  explicit Highlighter(std::unique_ptr<HighlightScript> hljs);

  // As `language`, or guessing when there is none or the script does not
  // know it; `language` then becomes the one guessed, if any.
  ScriptAnswer runScript(std::u16string_view code, std::optional<std::string>& language,
                         const HighlightScript::ShouldStop& shouldStop) const;
  ScriptAnswer answerOf(JSValueRef result) const;
  std::optional<platform::AttributedString> highlightRuns(HighlightJob::Code code,
                                                          const std::optional<std::string>& as) const;
  std::optional<platform::AttributedString> importHTML(std::u16string_view code,
                                                       const std::optional<std::string>& as) const;

  mutable std::mutex mutex_;
  std::shared_ptr<Theme> theme_;
  ThemeChanged themeChanged_;
  std::atomic<bool> ignoreIllegals_ = false;
  HighlightBudget budget_;
  std::unique_ptr<HighlightScript> hljs_;
  std::shared_ptr<const platform::Bundle> bundle_;
};

}  // namespace highlighter
