#pragma once

#include "Platform/Coding/JSONEncoder.h"

namespace platform::detail {

// The tree of JSON values that `value` encodes to under the encoder's
// strategies; see JSONEncoder::encode for what it throws.
JSONValue encodeJSONTree(const JSONEncoder& settings, EncodableRef value);

}  // namespace platform::detail
