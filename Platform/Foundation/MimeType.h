#pragma once

#include <string>
#include <string_view>

namespace platform {

// The MIME type for a file name extension (without the dot, any letter
// case); "application/octet-stream" for an extension not in the table.
std::string mimeTypeForPathExtension(std::string_view extension);

}  // namespace platform
