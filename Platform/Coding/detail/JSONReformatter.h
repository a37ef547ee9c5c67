#pragma once

#include <expected>
#include <string>
#include <string_view>

#include "Platform/Coding/JSONSerialization.h"

namespace platform::detail {

enum class ReformatFailure {
  // Reading the text into a tree and writing that would fail too.
  unwritable,
  // Only the tree gives the text: an object repeats a key, whose last value
  // the tree keeps at the first place, or the keys are to be sorted.
  needsTree,
};

// A JSON object or array written again with `options`, without building its
// tree: the same text as reading it and writing the tree, in a fraction of
// the memory. A lone scalar is refused, as the tree's reader does by default.
std::expected<std::string, ReformatFailure> reformatJSON(std::string_view text,
                                                         JSONSerialization::WritingOptions options);

}  // namespace platform::detail
