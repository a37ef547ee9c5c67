#pragma once

#include <algorithm>
#include <concepts>
#include <functional>
#include <optional>
#include <ranges>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Files/FileManager.h"
#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/HTTPURLResponse.h"
#include "Platform/Foundation/URL.h"
#include "Platform/Foundation/URLRequest.h"
#include "Wendanet/Source/Support/EventMonitor.h"
#include "Wendanet/Source/Core/WNError.h"

namespace wendanet {

// The checks behind every request kind's validate(): status codes against
// an acceptable set, the response's MIME type against acceptable content
// types. Each kind wraps them in validators of its own shape.

// A media type or range split into its two halves, parameters dropped.
struct ParsedMIMEType {
  std::string type;
  std::string subtype;

  // Surrounding white space is trimmed and parameters after ";" cut off;
  // of the pieces between "/" the first is the type and the last the
  // subtype, so "*" alone reads as "*/*".
  static ParsedMIMEType parse(std::string_view text);

  bool isWildcard() const { return type == "*" && subtype == "*"; }
  // Whether this acceptable type admits `response`: each half equal, or
  // "*" here. Letter case counts.
  bool matches(const ParsedMIMEType& response) const;
};

// The pieces of the last URL request's "Accept" header between commas,
// untrimmed; "*/*" when there is no such header.
std::vector<std::string> acceptableContentTypes(const std::optional<platform::URLRequest>& lastRequest);

// Fails with unacceptableStatusCode unless `acceptableCodes` holds the
// response's status code.
template <std::ranges::input_range Codes>
requires std::integral<std::ranges::range_value_t<Codes>> ValidationResult
validateStatusCode(const Codes& acceptableCodes, const platform::HTTPURLResponse& response) {
  const int code = response.statusCode();
  if (std::ranges::find(acceptableCodes, code) != std::ranges::end(acceptableCodes)) return {};
  return std::unexpected(platform::makeError(
      WNError::responseValidationFailed(ResponseValidationFailureReason::unacceptableStatusCode(code))));
}

// Succeeds at the first acceptable type that admits the response's MIME
// type; a response without one passes only a wildcard. Failures carry the
// acceptable types sorted.
ValidationResult validateContentType(const std::vector<std::string>& acceptableTypes,
                                     const platform::HTTPURLResponse& response);

// A data request's check: an absent or empty body passes whatever its type.
ValidationResult validateDataContentType(const std::vector<std::string>& acceptableTypes,
                                         const platform::HTTPURLResponse& response,
                                         const std::optional<platform::Data>& data);

// A download's check: a missing file fails with dataFileNil, a file whose
// size cannot be read with dataFileReadFailed; an empty file passes. The
// acceptable types are asked for only once the file is known.
ValidationResult validateDownloadContentType(const std::function<std::vector<std::string>()>& acceptableTypes,
                                             const platform::HTTPURLResponse& response,
                                             const std::optional<platform::URL>& fileURL,
                                             const platform::FileManager& fileManager);

}  // namespace wendanet
