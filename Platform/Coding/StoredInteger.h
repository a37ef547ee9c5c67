#pragma once

#include <concepts>
#include <cstdint>
#include <type_traits>

namespace platform {

// How a value variant keeps any integer: as a signed 64-bit number, unless
// it is an unsigned one too large for that, which keeps its own value as
// an unsigned 64-bit number instead of turning negative.
template <class Storage, std::integral Integer>
Storage storedInteger(Integer value) {
  if constexpr (std::is_unsigned_v<Integer>) {
    if (value > static_cast<std::uint64_t>(INT64_MAX)) return static_cast<std::uint64_t>(value);
  }
  return static_cast<std::int64_t>(value);
}

}  // namespace platform
