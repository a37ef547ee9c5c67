#include "Platform/URLLoading/CurlHeaderLine.h"

namespace platform {

std::string curlHeaderLine(std::string_view name, std::string_view value) {
  std::string line(name);
  if (value.find_first_not_of(" \t") == std::string_view::npos) return line + ";";
  return line.append(": ").append(value);
}

}  // namespace platform
