#pragma once

#include <JavaScriptCore/JavaScript.h>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace highlighter {

// A string the script returned, read where the engine keeps it.
class ScriptText {
 public:
  // Takes over `string`.
  explicit ScriptText(JSStringRef string) : string_(string) {}
  ~ScriptText();
  ScriptText(ScriptText&& other) noexcept : string_(std::exchange(other.string_, nullptr)) {}
  ScriptText& operator=(ScriptText&& other) noexcept {
    std::swap(string_, other.string_);
    return *this;
  }

  std::u16string_view view() const;

 private:
  JSStringRef string_;
};

// What the script made of a code: its HTML; `stopped` when it was stopped
// first. `topLevel` unless the script says it was left inside a construct
// (a string, a comment, a block in another language) at the end of the
// code; `inString` when that construct is a string itself.
struct ScriptAnswer {
  bool stopped = false;
  std::optional<ScriptText> html;
  bool topLevel = true;
  bool inString = false;
};

// One JavaScript context with the highlight script evaluated in it and the
// script's global "hljs" object kept alive. Calls may come from any thread;
// they run one at a time.
class HighlightScript {
 public:
  using Argument = std::variant<std::u16string_view, bool>;
  // Asked every few hundredths of a second while a call runs; true ends it.
  using ShouldStop = std::function<bool()>;

  // Absent when no context can be made or the script defines no "hljs"
  // object. What evaluating the script returns or throws is not looked at.
  static std::unique_ptr<HighlightScript> load(std::u16string_view source);

  ~HighlightScript();
  HighlightScript(const HighlightScript&) = delete;
  HighlightScript& operator=(const HighlightScript&) = delete;

  // The result of calling the method `name` of "hljs"; undefined when the
  // method throws or does not exist.
  JSValueRef invoke(const char* name, const std::vector<Argument>& arguments) const;
  // The same, or absent when `shouldStop` (if any) ended the call.
  std::optional<JSValueRef> invoke(const char* name, const std::vector<Argument>& arguments,
                                   const ShouldStop& shouldStop) const;

  enum class Garbage {
    // What was made since the last collection and is no longer used.
    young,
    all,
  };
  // Frees what earlier calls left behind, at once.
  void collectGarbage(Garbage which) const;

  bool isUndefined(JSValueRef value) const;
  // The property `name` of `value`; undefined when `value` is no object or
  // has no such property.
  JSValueRef property(JSValueRef value, const char* name) const;
  // The text of the string property `name` of `value`; absent when `value`
  // is no object or the property is no string.
  std::optional<ScriptText> stringProperty(JSValueRef value, const char* name) const;
  // The texts of an array of strings; absent when `value` is no array or
  // holds anything but strings.
  std::optional<std::vector<std::u16string>> stringArray(JSValueRef value) const;

 private:
  HighlightScript(JSGlobalContextRef context, JSObjectRef hljs) : context_(context), hljs_(hljs) {}

  JSValueRef property(JSObjectRef object, const char* name) const;
  std::optional<ScriptText> text(JSValueRef value) const;

  JSGlobalContextRef context_;
  JSObjectRef hljs_;
  // The engine's time limit belongs to the context's whole group: one call
  // at a time sets it and clears it again.
  mutable std::mutex calling_;
};

}  // namespace highlighter
