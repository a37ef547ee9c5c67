#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Wendanet/Source/Support/FormEncodingOptions.h"
#include "Wendanet/Source/Core/ParameterDestination.h"
#include "Wendanet/Source/Core/ParameterEncoding.h"

namespace wendanet {

// Writes parameters as percent-escaped key=value pairs, into the URL's
// query or as a form body. Top-level keys are sorted; nested dictionaries
// give keys such as user[name], lists keys such as ids[].
class URLEncoding final : public ParameterEncoding {
 public:
  using Destination = ParameterDestination;
  using ArrayEncoding = wendanet::ArrayEncoding;
  using BoolEncoding = wendanet::BoolEncoding;

  explicit URLEncoding(Destination destination = Destination::methodDependent,
                       ArrayEncoding arrayEncoding = ArrayEncoding::brackets,
                       BoolEncoding boolEncoding = BoolEncoding::numeric)
      : destination_(destination), arrayEncoding_(std::move(arrayEncoding)), boolEncoding_(boolEncoding) {}

  static URLEncoding default_() { return URLEncoding(); }
  static URLEncoding queryString() { return URLEncoding(Destination::queryString); }
  static URLEncoding httpBody() { return URLEncoding(Destination::httpBody); }

  Destination destination() const { return destination_; }
  const ArrayEncoding& arrayEncoding() const { return arrayEncoding_; }
  BoolEncoding boolEncoding() const { return boolEncoding_; }

  // Parameters for the query need the request to have a URL (else WNError
  // parameterEncodingFailed, missingURL). The body gets the Content-Type
  // "application/x-www-form-urlencoded; charset=utf-8" unless it has one.
  platform::URLRequest encode(const URLRequestConvertible& convertible,
                              const std::optional<Parameters>& parameters) const override;

  // The pairs of all parameters, top-level keys in byte order, joined by "&".
  std::string query(const Parameters& parameters) const;
  // The escaped (key, value) pairs of one parameter. An empty list or
  // dictionary gives none.
  std::vector<std::pair<std::string, std::string>> queryComponents(const std::string& key,
                                                                   const ParameterValue& value) const;
  // Everything but ASCII letters, digits and "-._~/?" as "%XX" UTF-8 bytes;
  // a space is "%20". Bytes that are not UTF-8 are escaped one by one.
  static std::string escape(std::string_view text);

 private:
  Destination destination_;
  ArrayEncoding arrayEncoding_;
  BoolEncoding boolEncoding_;
};

}  // namespace wendanet
