#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "Platform/Foundation/Data.h"
#include "Platform/URLLoading/URLSessionConfiguration.h"

namespace wendalore {

// How a response body reads in the window: a JSON object or array
// pretty-printed, anything else as its UTF-8 text, and "Unable to decode
// data" for bytes that are not UTF-8. No body reads as the empty text.
// A body whose pretty text would take more than `inMemoryLimit`, the most a
// body may take in memory, beyond thrice its own size reads as it came.
// Safe on any thread.
std::string prettyPrintedBody(
    const std::optional<platform::Data>& body,
    std::size_t inMemoryLimit = platform::URLSessionConfiguration::defaultMaximumBodySizeInMemory);

}  // namespace wendalore
