#include "Platform/URLLoading/CurlOptions.h"

#include "Platform/Foundation/ShellQuoting.h"
#include "Platform/URLLoading/CurlHeaderLine.h"

namespace platform {

std::string curlMethodOption(std::string_view method) {
  if (method == "HEAD") return "-I";
  return "-X " + shellWord(method, ShellQuotes::doubled);
}

std::string curlHeaderOption(std::string_view name, std::string_view value) {
  return "-H " + quotedShellWord(curlHeaderLine(name, value), ShellQuotes::doubled);
}

}  // namespace platform
