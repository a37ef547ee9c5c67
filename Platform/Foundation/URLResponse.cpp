#include "Platform/Foundation/URLResponse.h"

#include <algorithm>

namespace platform {

std::shared_ptr<URLResponse> URLResponse::make(URL url, std::optional<std::string> mimeType,
                                               std::int64_t expectedContentLength,
                                               std::optional<std::string> textEncodingName) {
  return std::make_shared<URLResponse>(std::move(url), std::move(mimeType), expectedContentLength,
                                       std::move(textEncodingName));
}

URLResponse::URLResponse(URL url, std::optional<std::string> mimeType, std::int64_t expectedContentLength,
                         std::optional<std::string> textEncodingName)
    : url_(std::move(url)),
      mimeType_(std::move(mimeType)),
      expectedContentLength_(expectedContentLength),
      textEncodingName_(std::move(textEncodingName)) {}

std::string URLResponse::suggestedFilename() const {
  auto name = url_.lastPathComponent();
  if (name == "/") return "Unknown";
  return safeFilename(std::move(name)).value_or("Unknown");
}

std::optional<std::string> safeFilename(std::string name) {
  std::replace_if(name.begin(), name.end(), [](char c) { return c == '/' || c == '\0'; }, '_');
  if (name.empty() || name == "." || name == "..") return std::nullopt;
  return name;
}

}  // namespace platform
