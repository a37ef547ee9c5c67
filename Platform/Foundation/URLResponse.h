#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "Platform/Foundation/URL.h"

namespace platform {

// The metadata that came back for a URL load, independent of the protocol.
class URLResponse {
 public:
  static constexpr std::int64_t unknownLength = -1;

  static std::shared_ptr<URLResponse> make(URL url, std::optional<std::string> mimeType,
                                           std::int64_t expectedContentLength,
                                           std::optional<std::string> textEncodingName);

  URLResponse(URL url, std::optional<std::string> mimeType, std::int64_t expectedContentLength,
              std::optional<std::string> textEncodingName);
  virtual ~URLResponse() = default;

  const URL& url() const { return url_; }
  const std::optional<std::string>& mimeType() const { return mimeType_; }
  // `unknownLength` when the length is not known.
  std::int64_t expectedContentLength() const { return expectedContentLength_; }
  const std::optional<std::string>& textEncodingName() const { return textEncodingName_; }

  // A name to save the content under: never empty and never holding a "/",
  // so that it names a file inside whatever directory it is appended to.
  // Here the URL's last path component, else "Unknown".
  virtual std::string suggestedFilename() const;

 private:
  URL url_;
  std::optional<std::string> mimeType_;
  std::int64_t expectedContentLength_;
  std::optional<std::string> textEncodingName_;
};

// `name` made fit to be one file name ("/" and NUL become "_"), or nothing
// when there is no name in it ("", ".", "..").
std::optional<std::string> safeFilename(std::string name);

}  // namespace platform
