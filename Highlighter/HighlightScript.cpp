#include "Highlighter/HighlightScript.h"

#include <jsc/jsc.h>

// The engine's execution time limit and its collections on demand are
// exported by its library but left out of its installed headers.
extern "C" {
typedef bool (*JSShouldTerminateCallback)(JSContextRef context, void* argument);
JS_EXPORT void JSContextGroupSetExecutionTimeLimit(JSContextGroupRef group, double limit,
                                                   JSShouldTerminateCallback callback, void* argument);
JS_EXPORT void JSContextGroupClearExecutionTimeLimit(JSContextGroupRef group);
JS_EXPORT void JSSynchronousGarbageCollectForDebugging(JSContextRef context);
JS_EXPORT void JSSynchronousEdenCollectForDebugging(JSContextRef context);
}

namespace highlighter {

namespace {

// Seconds of script time between two questions to a call's ShouldStop.
constexpr double stopCheckInterval = 0.02;

// One running call's stop condition. The engine asks once when the limit
// runs out; a call that goes on needs the limit set again.
struct StopWatch {
  JSContextGroupRef group;
  const HighlightScript::ShouldStop& shouldStop;
  bool stopped = false;

  static bool ask(JSContextRef, void* argument) {
    auto& watch = *static_cast<StopWatch*>(argument);
    if (watch.shouldStop()) return watch.stopped = true;
    watch.arm();
    return false;
  }

  void arm() { JSContextGroupSetExecutionTimeLimit(group, stopCheckInterval, &StopWatch::ask, this); }
};

// Owns one engine string.
class ScriptString {
 public:
  explicit ScriptString(const char* utf8) : string_(JSStringCreateWithUTF8CString(utf8)) {}
  explicit ScriptString(std::u16string_view text)
      : string_(JSStringCreateWithCharacters(reinterpret_cast<const JSChar*>(text.data()), text.size())) {}
  ~ScriptString() { JSStringRelease(string_); }
  ScriptString(const ScriptString&) = delete;
  ScriptString& operator=(const ScriptString&) = delete;

  JSStringRef get() const { return string_; }

 private:
  JSStringRef string_;
};

// Values held off the stack, kept from the collector until this goes: it
// finds only what the stack refers to, and making the next value can set it
// off while earlier ones sit in the heap.
class ProtectedValues {
 public:
  explicit ProtectedValues(JSContextRef context) : context_(context) {}
  ~ProtectedValues() {
    for (JSValueRef value : values_) JSValueUnprotect(context_, value);
  }
  ProtectedValues(const ProtectedValues&) = delete;
  ProtectedValues& operator=(const ProtectedValues&) = delete;

  void add(JSValueRef value) {
    JSValueProtect(context_, value);
    values_.push_back(value);
  }
  std::size_t size() const { return values_.size(); }
  const JSValueRef* data() const { return values_.data(); }

 private:
  JSContextRef context_;
  std::vector<JSValueRef> values_;
};

}  // namespace

std::unique_ptr<HighlightScript> HighlightScript::load(std::u16string_view source) {
  // By default the engine stops a call that runs out of time by signalling
  // its thread from a thread of its own, which can wait for ever on a thread
  // that never answers while a context goes away. Checks compiled into the
  // script's loops stop it as surely, with no signals and no such thread.
  // This must come before the first context is made.
  static std::once_flag pollingTraps;
  std::call_once(pollingTraps, [] { jsc_options_set_boolean("usePollingTraps", TRUE); });
  JSGlobalContextRef context = JSGlobalContextCreate(nullptr);
  if (!context) return nullptr;
  const ScriptString script(source);
  JSEvaluateScript(context, script.get(), nullptr, nullptr, 1, nullptr);
  const ScriptString name("hljs");
  JSValueRef hljs = JSObjectGetProperty(context, JSContextGetGlobalObject(context), name.get(), nullptr);
  if (!hljs || !JSValueIsObject(context, hljs)) {
    JSGlobalContextRelease(context);
    return nullptr;
  }
  JSValueProtect(context, hljs);
  return std::unique_ptr<HighlightScript>(new HighlightScript(context, JSValueToObject(context, hljs, nullptr)));
}

HighlightScript::~HighlightScript() {
  JSValueUnprotect(context_, hljs_);
  JSGlobalContextRelease(context_);
}

JSValueRef HighlightScript::property(JSObjectRef object, const char* name) const {
  const ScriptString key(name);
  JSValueRef exception = nullptr;
  JSValueRef value = JSObjectGetProperty(context_, object, key.get(), &exception);
  return exception || !value ? JSValueMakeUndefined(context_) : value;
}

JSValueRef HighlightScript::invoke(const char* name, const std::vector<Argument>& arguments) const {
  return *invoke(name, arguments, nullptr);
}

std::optional<JSValueRef> HighlightScript::invoke(const char* name, const std::vector<Argument>& arguments,
                                                  const ShouldStop& shouldStop) const {
  std::scoped_lock lock(calling_);
  JSValueRef method = property(hljs_, name);
  if (!JSValueIsObject(context_, method)) return JSValueMakeUndefined(context_);
  JSObjectRef function = JSValueToObject(context_, method, nullptr);
  if (!function || !JSObjectIsFunction(context_, function)) return JSValueMakeUndefined(context_);

  ProtectedValues values(context_);
  for (const auto& argument : arguments) {
    if (const auto* text = std::get_if<std::u16string_view>(&argument)) {
      const ScriptString string(*text);
      values.add(JSValueMakeString(context_, string.get()));
    } else {
      values.add(JSValueMakeBoolean(context_, std::get<bool>(argument)));
    }
  }
  StopWatch watch{JSContextGetGroup(context_), shouldStop};
  if (shouldStop) watch.arm();
  JSValueRef exception = nullptr;
  JSValueRef result = JSObjectCallAsFunction(context_, function, hljs_, values.size(), values.data(), &exception);
  if (shouldStop) JSContextGroupClearExecutionTimeLimit(watch.group);
  if (watch.stopped) return std::nullopt;
  return exception || !result ? JSValueMakeUndefined(context_) : result;
}

void HighlightScript::collectGarbage(Garbage which) const {
  std::scoped_lock lock(calling_);
  if (which == Garbage::young) {
    JSSynchronousEdenCollectForDebugging(context_);
  } else {
    JSSynchronousGarbageCollectForDebugging(context_);
  }
}

bool HighlightScript::isUndefined(JSValueRef value) const { return JSValueIsUndefined(context_, value); }

ScriptText::~ScriptText() {
  if (string_) JSStringRelease(string_);
}

std::u16string_view ScriptText::view() const {
  if (!string_) return {};
  return {reinterpret_cast<const char16_t*>(JSStringGetCharactersPtr(string_)), JSStringGetLength(string_)};
}

std::optional<ScriptText> HighlightScript::text(JSValueRef value) const {
  if (!value || !JSValueIsString(context_, value)) return std::nullopt;
  JSStringRef string = JSValueToStringCopy(context_, value, nullptr);
  if (!string) return std::nullopt;
  return ScriptText(string);
}

JSValueRef HighlightScript::property(JSValueRef value, const char* name) const {
  JSObjectRef object = JSValueIsObject(context_, value) ? JSValueToObject(context_, value, nullptr) : nullptr;
  return object ? property(object, name) : JSValueMakeUndefined(context_);
}

std::optional<ScriptText> HighlightScript::stringProperty(JSValueRef value, const char* name) const {
  return text(property(value, name));
}

std::optional<std::vector<std::u16string>> HighlightScript::stringArray(JSValueRef value) const {
  if (!JSValueIsArray(context_, value)) return std::nullopt;
  JSObjectRef array = JSValueToObject(context_, value, nullptr);
  if (!array) return std::nullopt;
  const double count = JSValueToNumber(context_, property(array, "length"), nullptr);
  std::vector<std::u16string> texts;
  for (unsigned index = 0; index < count; ++index) {
    auto element = text(JSObjectGetPropertyAtIndex(context_, array, index, nullptr));
    if (!element) return std::nullopt;
    texts.emplace_back(element->view());
  }
  return texts;
}

}  // namespace highlighter
