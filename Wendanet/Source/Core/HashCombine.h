#pragma once

#include <cstddef>
#include <functional>

namespace wendanet {

// Folds the hash of `value` into `seed`, so that order matters.
template <class Value>
void hashCombine(std::size_t& seed, const Value& value) {
  seed ^= std::hash<Value>{}(value) + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
}

}  // namespace wendanet
