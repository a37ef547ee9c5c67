#pragma once

#include <cstdint>

namespace platform::detail {

// A set of independent flags; `Derived` adds the named options.
template <class Derived>
struct OptionSet {
  std::uint8_t rawValue = 0;

  static constexpr Derived withRawValue(std::uint8_t rawValue) {
    Derived options;
    options.rawValue = rawValue;
    return options;
  }

  constexpr bool contains(Derived other) const { return (rawValue & other.rawValue) == other.rawValue; }
  friend constexpr Derived operator|(Derived left, Derived right) {
    return withRawValue(static_cast<std::uint8_t>(left.rawValue | right.rawValue));
  }
  friend constexpr bool operator==(const OptionSet&, const OptionSet&) = default;
};

}  // namespace platform::detail
