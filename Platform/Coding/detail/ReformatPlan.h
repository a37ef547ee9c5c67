#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>

namespace platform::detail {

// A key an object writes more than once. The tree keeps its last value, at
// the place of the first; what the other occurrences held is dropped.
struct RepeatedKey {
  std::size_t occurrences = 0;
  // The written size of the value that counts so far: the last one met.
  std::size_t valueSize = 0;
  // Kept by the pass that writes: occurrences met, and where the value
  // that counts goes.
  std::size_t met = 0;
  std::size_t slot = 0;
};

// What counting a JSON text tells the pass that then writes it.
struct ReformatPlan {
  std::size_t textSize = 0;
  // The objects that repeat a key, by their number among all objects of the
  // text in reading order, and the keys they repeat.
  std::unordered_map<std::size_t, std::unordered_map<std::string, RepeatedKey>> repeatedKeys;
};

}  // namespace platform::detail
