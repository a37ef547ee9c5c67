#include "Platform/URLLoading/BodyFraming.h"

namespace platform {

bool sendsBody(std::string_view method) { return method != "HEAD"; }

std::optional<std::uint64_t> sentContentLength(std::string_view method, std::optional<std::uint64_t> bodyLength) {
  if (!sendsBody(method)) return std::nullopt;
  if (bodyLength) return bodyLength;
  if (method == "POST") return 0;
  return std::nullopt;
}

}  // namespace platform
