#pragma once

#include <memory>

#include "Wendanet/Source/Core/ParameterDestination.h"
#include "Wendanet/Source/Core/ParameterEncoder.h"
#include "Wendanet/Source/Support/URLEncodedFormEncoder.h"

namespace wendanet {

// Writes the value as form text with a URLEncodedFormEncoder, into the
// URL's query or the body.
class URLEncodedFormParameterEncoder : public ParameterEncoder {
 public:
  using Destination = ParameterDestination;

  // A default form encoder when none is given.
  static std::shared_ptr<URLEncodedFormParameterEncoder> make(std::shared_ptr<URLEncodedFormEncoder> encoder = nullptr,
                                                              Destination destination = Destination::methodDependent);
  // A new encoder with the default form encoder and methodDependent.
  static std::shared_ptr<URLEncodedFormParameterEncoder> default_() { return make(); }

  const std::shared_ptr<URLEncodedFormEncoder>& encoder() const { return encoder_; }
  Destination destination() const { return destination_; }

  // Throws WNError parameterEncoderFailed: missingRequiredComponent (url)
  // for a request without URL, (httpMethod "nil") for one without method,
  // encoderFailed for a failure of the form encoder. The body gets the
  // Content-Type "application/x-www-form-urlencoded; charset=utf-8" unless
  // it has one.
  platform::URLRequest encode(std::optional<platform::EncodableRef> parameters,
                              platform::URLRequest request) const override;
  using ParameterEncoder::encode;

 protected:
  URLEncodedFormParameterEncoder(std::shared_ptr<URLEncodedFormEncoder> encoder, Destination destination)
      : encoder_(std::move(encoder)), destination_(destination) {}

 private:
  // The form text, its failures wrapped.
  std::string formText(platform::EncodableRef parameters) const;

  std::shared_ptr<URLEncodedFormEncoder> encoder_;
  Destination destination_;
};

}  // namespace wendanet
