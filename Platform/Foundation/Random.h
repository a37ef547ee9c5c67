#pragma once

#include <cstdint>

namespace platform {

// A value from the operating system's random source, fit for boundaries
// and identifiers that others must not guess.
std::uint32_t randomUInt32();

}  // namespace platform
