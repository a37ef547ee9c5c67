#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "Platform/Foundation/Data.h"

namespace platform {

// Standard Base64 (RFC 4648 alphabet) with "=" padding and no line breaks.
std::string base64Encode(std::string_view bytes);
inline std::string base64Encode(const Data& data) { return base64Encode(data.view()); }

// Absent unless `text` is padded Base64 in the standard alphabet with nothing
// else in it: no blanks, no line breaks.
std::optional<Data> base64Decode(std::string_view text);

}  // namespace platform
