#pragma once

#include <optional>

namespace wendanet::testing {

// The error of type E that `action` throws, or absent when it throws none.
template <class E, class Action>
std::optional<E> thrownError(Action&& action) {
  try {
    action();
  } catch (const E& error) {
    return error;
  }
  return std::nullopt;
}

}  // namespace wendanet::testing
