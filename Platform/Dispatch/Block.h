#pragma once

#include <functional>

namespace platform {

// A unit of work handed to a queue. Move-only, so blocks may own what they
// capture (promises, unique buffers) without wrapping it in shared state.
using Block = std::move_only_function<void()>;

}  // namespace platform
