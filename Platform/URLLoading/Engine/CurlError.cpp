#include "Platform/URLLoading/Engine/CurlError.h"

#include <fmt/format.h>

namespace platform {

std::string CurlError::description() const {
  const std::string text = message_.empty() ? curl_easy_strerror(code_) : message_;
  return fmt::format("curl error {}: {}", static_cast<int>(code_), text);
}

}  // namespace platform
