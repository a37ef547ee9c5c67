#pragma once

#include <variant>

namespace wendalore {

// The badge on an editor tab: a count, nothing, or the active mark.
struct TabStatus {
  struct Count {
    int value;
  };
  struct None {};
  struct Active {};

  std::variant<Count, None, Active> value;

  static TabStatus count(int value) { return {Count{value}}; }
  static TabStatus none() { return {None{}}; }
  static TabStatus active() { return {Active{}}; }
};

}  // namespace wendalore
