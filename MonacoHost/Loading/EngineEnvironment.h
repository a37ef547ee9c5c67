#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace monacohost {

// The web engine takes its switches from the environment when it starts.
// Sets them for our one local, offline page: its own no-sandbox switch when
// the program runs as root (where the engine's sandbox cannot work and the
// engine would end the whole process instead), and as few helper processes
// as that allows: one page process, started directly where there is no
// sandbox. The sandbox stays for other users. Keeps the engine's views off a
// session bus that cannot be used (see SessionBus.h). Only sets variables,
// so it costs nothing until the engine is loaded; runs once, and is best
// called before other threads start and before the application object.
void prepareEngineEnvironment();

// The switches for a process running as `root`.
std::vector<std::string> engineSwitches(bool root);

// `existing` with each of `wanted` appended whose name (before any "=") it
// does not already give, so that a user's own choice stands.
std::string withSwitches(std::string_view existing, const std::vector<std::string>& wanted);

}  // namespace monacohost
