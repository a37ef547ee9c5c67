#include "MonacoHost/Loading/EngineEnvironment.h"

#include <unistd.h>

#include <cstdlib>
#include <ranges>

#include "MonacoHost/Loading/SessionBus.h"

namespace monacohost {
namespace {

constexpr const char* switchesVariable = "QTWEBENGINE_CHROMIUM_FLAGS";

std::string_view switchName(std::string_view word) { return word.substr(0, word.find('=')); }

bool gives(std::string_view text, std::string_view name) {
  for (const auto word : std::views::split(text, ' ')) {
    if (switchName(std::string_view(word.begin(), word.end())) == name) return true;
  }
  return false;
}

}  // namespace

std::vector<std::string> engineSwitches(bool root) {
  // All our pages are our own editor: one page process serves them all, also
  // while an editor left is going and its successor is coming.
  std::vector<std::string> switches{"--renderer-process-limit=1"};
  if (root) {
    // The engine's sandbox needs an unprivileged user; as root the engine
    // would refuse to start and end the process. Without the sandbox the
    // zygote, which forks sandboxed page processes, is only two more idle
    // processes.
    switches.push_back("--no-sandbox");
    switches.push_back("--no-zygote");
  }
  return switches;
}

std::string withSwitches(std::string_view existing, const std::vector<std::string>& wanted) {
  std::string result(existing);
  for (const auto& word : wanted) {
    if (gives(existing, switchName(word))) continue;
    if (!result.empty()) result += ' ';
    result += word;
  }
  return result;
}

void prepareEngineEnvironment() {
  static const bool prepared = [] {
    const char* existing = std::getenv(switchesVariable);
    const auto switches = withSwitches(existing ? existing : "", engineSwitches(geteuid() == 0));
    if (!switches.empty()) setenv(switchesVariable, switches.c_str(), 1);
    keepOffUnusableSessionBus();
    return true;
  }();
  (void)prepared;
}

}  // namespace monacohost
