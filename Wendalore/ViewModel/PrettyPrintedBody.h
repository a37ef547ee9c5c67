#pragma once

#include <optional>
#include <string>

#include "Platform/Foundation/Data.h"

namespace wendalore {

// How a response body reads in the window: a JSON object or array
// pretty-printed, anything else as its UTF-8 text, and "Unable to decode
// data" for bytes that are not UTF-8. No body reads as the empty text.
// Safe on any thread.
std::string prettyPrintedBody(const std::optional<platform::Data>& body);

}  // namespace wendalore
