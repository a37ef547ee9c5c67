#pragma once

#include <cstddef>
#include <expected>
#include <limits>
#include <string>
#include <string_view>

#include "Platform/Coding/JSONSerialization.h"

namespace platform::detail {

enum class ReformatFailure {
  // Reading the text into a tree and writing that would fail too.
  unwritable,
  // Only the tree gives the text: the keys are to be sorted.
  needsTree,
  // The text would be longer than the most it may take.
  tooLarge,
};

// A JSON object or array written again with `options`, without building its
// tree: the same text as reading it and writing the tree, in a fraction of
// the memory. A lone scalar is refused, as the tree's reader does by default.
// The text is refused once what is written of it in reading order passes
// `maximumSize` bytes, even where a key repeated later would shorten it.
std::expected<std::string, ReformatFailure> reformatJSON(
    std::string_view text, JSONSerialization::WritingOptions options,
    std::size_t maximumSize = std::numeric_limits<std::size_t>::max());

}  // namespace platform::detail
