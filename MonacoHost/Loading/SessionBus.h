#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace monacohost {

// The desktop's session bus as the toolkit under the web engine sees it.
// The toolkit connects to it from the main thread the first time anything
// asks whether a screen reader listens (every web view does), and waits for
// the connection without bound: with no bus configured it starts a bus of
// its own through a helper program and waits for that program, and a bus
// that takes the connection but never answers holds it for good.
enum class SessionBusState {
  usable,  // answered, or of a kind only the toolkit can try
  absent,  // none configured: the toolkit would start one of its own
  silent,  // configured, but gave no answer in time
};

// The bus the toolkit would connect to: `configured` when given, else the
// bus socket in `runtimeDirectory` if there is one; empty for none.
std::string sessionBusAddress(const char* configured, const char* runtimeDirectory);

// Whether the bus at `address` answers a client's greeting within `bound`.
SessionBusState sessionBusState(std::string_view address, std::chrono::milliseconds bound);

// Keeps the toolkit and the engine off a session bus that is absent or
// silent, saying so on standard error for a silent one: they then find no
// bus at once and go on without one, as they do where none runs. Sets only
// the environment; best called before other threads start.
void keepOffUnusableSessionBus();

}  // namespace monacohost
