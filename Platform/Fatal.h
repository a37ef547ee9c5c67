#pragma once

#include <string_view>

namespace platform {

// Stops the process after printing `message` on its own line to standard
// error. Used for broken invariants, where going on would corrupt state.
[[noreturn]] void fatal(std::string_view message);

}  // namespace platform
