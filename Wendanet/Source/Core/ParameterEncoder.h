#pragma once

#include <memory>
#include <optional>

#include "Platform/Coding/CodingTraits.h"
#include "Platform/Coding/JSONEncoder.h"
#include "Platform/Foundation/URLRequest.h"
#include "Wendanet/Source/Core/ParameterDestination.h"

namespace wendanet {

class JSONParameterEncoder;
class URLEncodedFormEncoder;
class URLEncodedFormParameterEncoder;

// Puts an encodable value into a URL request.
class ParameterEncoder {
 public:
  virtual ~ParameterEncoder() = default;

  // A copy of `request` with the value in it; an absent value gives the
  // request unchanged. Throws WNError.
  virtual platform::URLRequest encode(std::optional<platform::EncodableRef> parameters,
                                      platform::URLRequest request) const = 0;

  template <platform::Encodable T>
  platform::URLRequest encode(const T& parameters, platform::URLRequest request) const {
    return encode(std::optional<platform::EncodableRef>(parameters), std::move(request));
  }
  template <platform::Encodable T>
  platform::URLRequest encode(const std::optional<T>& parameters, platform::URLRequest request) const {
    if (!parameters) return encode(std::nullopt, std::move(request));
    return encode(*parameters, std::move(request));
  }

  // A JSON body, with a default JSON encoder or the one given.
  static std::shared_ptr<JSONParameterEncoder> json();
  static std::shared_ptr<JSONParameterEncoder> json(platform::JSONEncoder encoder);
  // Form text in the query or the body, with the default form encoder and
  // methodDependent, or as given.
  static std::shared_ptr<URLEncodedFormParameterEncoder> urlEncodedForm();
  static std::shared_ptr<URLEncodedFormParameterEncoder> urlEncodedForm(std::shared_ptr<URLEncodedFormEncoder> encoder,
                                                                        ParameterDestination destination);
};

}  // namespace wendanet
