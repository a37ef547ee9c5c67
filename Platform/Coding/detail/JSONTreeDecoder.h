#pragma once

#include "Platform/Coding/JSONDecoder.h"

namespace platform::detail {

// Decodes `target` from a tree of JSON values under the decoder's strategies.
void decodeJSONTree(const JSONDecoder& settings, const JSONValue& root, const DecodableTarget& target);

}  // namespace platform::detail
