#include "Platform/URLLoading/BodyFraming.h"

#include "Platform/Foundation/ASCIICase.h"

namespace platform {

bool sendsBody(std::string_view method) { return method != "HEAD"; }

bool writtenByTransfer(std::string_view name) { return equalsIgnoringASCIICase(name, "Content-Length"); }

std::optional<std::uint64_t> sentContentLength(std::string_view method, std::optional<std::uint64_t> bodyLength) {
  if (!sendsBody(method)) return std::nullopt;
  if (bodyLength) return bodyLength;
  if (method == "POST") return 0;
  return std::nullopt;
}

}  // namespace platform
