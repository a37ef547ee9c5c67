#include "Highlighter/Highlighter.h"

#include <unistd.h>

#include <fstream>
#include <sstream>

#include "Highlighter/HTMLSpanConverter.h"
#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Fatal.h"
#include "Platform/Foundation/UTF8.h"
#include "Platform/Text/HTMLImporter.h"
#include "Platform/Text/UTF16.h"

namespace highlighter {

using platform::AttributedString;

namespace {

constexpr std::string_view bundleName = "Highlighter_Highlighter";

// The whole file as text; absent when it cannot be read or is not UTF-8.
std::optional<std::u16string> readText(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::ostringstream contents;
  contents << file.rdbuf();
  if (file.bad()) return std::nullopt;
  const std::string bytes = std::move(contents).str();
  if (!platform::isValidUTF8(bytes)) return std::nullopt;
  return platform::utf16FromUTF8(bytes);
}

bool isMainThread() { return gettid() == getpid(); }

// Runs `work` on the main thread: at once when already there, otherwise on
// the main queue while the caller waits.
template <class Work>
auto safeMainSync(Work&& work) {
  const auto& main = platform::DispatchQueue::main();
  if (isMainThread() || main->isCurrent()) return work();
  return main->sync(std::forward<Work>(work));
}

std::vector<std::string> toUTF8(const std::vector<std::u16string>& texts) {
  std::vector<std::string> result;
  result.reserve(texts.size());
  for (const auto& text : texts) result.push_back(platform::utf8FromUTF16(text));
  return result;
}

}  // namespace

const std::shared_ptr<const platform::Bundle>& Highlighter::moduleBundle() {
  static const auto bundle = platform::Bundle::moduleResourceBundle(bundleName);
  return bundle;
}

Highlighter::Highlighter(std::unique_ptr<HighlightScript> hljs) : hljs_(std::move(hljs)), bundle_(moduleBundle()) {}

std::shared_ptr<Highlighter> Highlighter::make(const std::optional<std::filesystem::path>& highlightPath) {
  const auto& bundle = moduleBundle();
  auto scriptPath = highlightPath ? highlightPath : bundle->pathForResource("highlight.min", "js");
  if (!scriptPath) return nullptr;
  const auto script = readText(*scriptPath);
  if (!script) return nullptr;
  auto hljs = HighlightScript::load(*script);
  if (!hljs) return nullptr;
  std::shared_ptr<Highlighter> highlighter(new Highlighter(std::move(hljs)));
  if (!highlighter->setTheme(std::string("pojoaque"))) return nullptr;
  return highlighter;
}

std::shared_ptr<Theme> Highlighter::theme() const {
  std::scoped_lock lock(mutex_);
  return theme_;
}

void Highlighter::setTheme(std::shared_ptr<Theme> theme) {
  ThemeChanged callback;
  {
    std::scoped_lock lock(mutex_);
    theme_ = theme;
    callback = themeChanged_;
  }
  if (callback && theme) callback(theme);
}

bool Highlighter::setTheme(const std::string& to) {
  const auto path = bundle_->pathForResource(to + ".min", "css");
  if (!path) return false;
  const auto text = readText(*path);
  if (!text) return false;
  setTheme(Theme::make(platform::utf8FromUTF16(*text)));
  return true;
}

Highlighter::ThemeChanged Highlighter::themeChanged() const {
  std::scoped_lock lock(mutex_);
  return themeChanged_;
}

void Highlighter::setThemeChanged(ThemeChanged themeChanged) {
  std::scoped_lock lock(mutex_);
  themeChanged_ = std::move(themeChanged);
}

HighlightBudget Highlighter::budget() const {
  std::scoped_lock lock(mutex_);
  return budget_;
}

void Highlighter::setBudget(const HighlightBudget& budget) {
  std::scoped_lock lock(mutex_);
  budget_ = budget;
}

std::optional<AttributedString> Highlighter::highlight(std::string_view code, const std::optional<std::string>& as,
                                                       bool fastRender) const {
  if (!fastRender) return importHTML(platform::utf16FromUTF8(code), as);
  return highlightRuns(code, as);
}

std::optional<AttributedString> Highlighter::highlight(std::u16string_view code, const std::optional<std::string>& as,
                                                       bool fastRender) const {
  if (!fastRender) return importHTML(code, as);
  return highlightRuns(code, as);
}

ScriptAnswer Highlighter::runScript(std::u16string_view code, std::optional<std::string>& language,
                                    const HighlightScript::ShouldStop& shouldStop) const {
  if (language) {
    const std::u16string name = platform::utf16FromUTF8(*language);
    const auto result =
        hljs_->invoke("highlight", {std::u16string_view(name), code, ignoreIllegals_.load()}, shouldStop);
    if (!result) return {true, std::nullopt};
    if (!hljs_->isUndefined(*result)) return answerOf(*result);
    // The script throws for a language it does not know; it then guesses.
    language.reset();
  }
  const auto result = hljs_->invoke("highlightAuto", {code}, shouldStop);
  if (!result) return {true, std::nullopt};
  if (const auto guessed = hljs_->stringProperty(*result, "language")) {
    language = platform::utf8FromUTF16(guessed->view());
  }
  return answerOf(*result);
}

ScriptAnswer Highlighter::answerOf(JSValueRef result) const {
  // The mode the script was in at the end is "_top"; only the language's
  // own has no parent mode, and a string's is named so.
  const JSValueRef top = hljs_->property(result, "_top");
  const bool topLevel = hljs_->isUndefined(hljs_->property(top, "parent"));
  const auto scope = hljs_->stringProperty(top, "scope");
  const bool inString = scope && scope->view() == u"string";
  return {false, hljs_->stringProperty(result, "value"), topLevel, inString};
}

std::optional<AttributedString> Highlighter::highlightRuns(HighlightJob::Code code,
                                                           const std::optional<std::string>& as) const {
  const auto theme = this->theme();
  if (!theme) return std::nullopt;
  AttributedStringSink sink;
  HighlightJob job(*this, *theme, code, as, sink, budget());
  for (;;) {
    switch (job.step()) {
      case HighlightJob::Step::done: return sink.take();
      case HighlightJob::Step::failed: return std::nullopt;
      default: break;
    }
  }
}

std::optional<AttributedString> Highlighter::importHTML(std::u16string_view code,
                                                        const std::optional<std::string>& as) const {
  const auto theme = this->theme();
  if (!theme) return std::nullopt;
  const auto deadline = std::chrono::steady_clock::now() + budget().totalTime;
  std::optional<std::string> language = as;
  const auto answer = runScript(code, language, [&] { return std::chrono::steady_clock::now() >= deadline; });
  if (answer.stopped) return AttributedString(std::u16string(code), HTMLSpanConverter(*theme).plainAttributes());
  if (!answer.html) return std::nullopt;

  const std::string document = "<style>" + theme->lightTheme().value_or("") + "</style><pre><code class=\"hljs\">" +
                               platform::utf8FromUTF16(answer.html->view()) + "</code></pre>";
  return safeMainSync([&]() -> std::optional<AttributedString> {
    try {
      return platform::HTMLImporter::attributedString(document);
    } catch (const platform::HTMLImportError&) {
      return std::nullopt;
    }
  });
}

std::vector<std::string> Highlighter::availableThemes() const {
  std::vector<std::string> names;
  for (const auto& path : bundle_->pathsForResources("css")) {
    std::string name = path.filename().string();
    for (auto found = name.find(".min.css"); found != std::string::npos; found = name.find(".min.css")) {
      name.erase(found, 8);
    }
    names.push_back(std::move(name));
  }
  return names;
}

std::vector<std::string> Highlighter::supportedLanguages() const {
  const auto languages = hljs_->stringArray(hljs_->invoke("listLanguages", {}));
  if (!languages) return {};
  return toUTF8(*languages);
}

}  // namespace highlighter
