#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Platform/Foundation/HTTPHeaderFields.h"
#include "Platform/Foundation/URLResponse.h"

namespace platform {

// The response to an HTTP request: status code and header fields, with the
// MIME type, length and text encoding read from the headers.
class HTTPURLResponse : public URLResponse {
 public:
  // Fields received more than once are joined into the first one with ", ";
  // otherwise the order received is kept.
  static std::shared_ptr<HTTPURLResponse> make(URL url, int statusCode, const HTTPHeaderFields& receivedFields);

  // `fields` already hold each name once.
  HTTPURLResponse(URL url, int statusCode, HTTPHeaderFields fields);

  int statusCode() const { return statusCode_; }
  const HTTPHeaderFields& allHeaderFields() const { return fields_; }
  std::optional<std::string> valueForHTTPHeaderField(std::string_view name) const {
    return valueOfHeaderField(fields_, name);
  }

  // The file name that Content-Disposition gives, else as for any response.
  std::string suggestedFilename() const override;

 private:
  // The media type, lower-cased, and its charset parameter, read together
  // from one parse of Content-Type.
  struct ContentType {
    std::optional<std::string> mimeType;
    std::optional<std::string> charset;

    static ContentType of(const HTTPHeaderFields& fields);
  };

  HTTPURLResponse(URL&& url, int statusCode, HTTPHeaderFields&& fields, ContentType type);

  int statusCode_;
  HTTPHeaderFields fields_;
};

}  // namespace platform
