#pragma once

#include <memory>

#include "Platform/Coding/JSONEncoder.h"
#include "Wendanet/Source/Core/ParameterEncoder.h"

namespace wendanet {

// Writes the value as a JSON body with a JSON encoder fixed at creation.
class JSONParameterEncoder : public ParameterEncoder {
 public:
  static std::shared_ptr<JSONParameterEncoder> make(platform::JSONEncoder encoder = {});
  // Each a new encoder: default settings, pretty printed, sorted keys.
  static std::shared_ptr<JSONParameterEncoder> default_() { return make(); }
  static std::shared_ptr<JSONParameterEncoder> prettyPrinted();
  static std::shared_ptr<JSONParameterEncoder> sortedKeys();

  const platform::JSONEncoder& encoder() const { return encoder_; }

  // A failure of the JSON encoder is thrown as WNError
  // parameterEncodingFailed (jsonEncodingFailed). The body gets the
  // Content-Type "application/json" unless it has one.
  platform::URLRequest encode(std::optional<platform::EncodableRef> parameters,
                              platform::URLRequest request) const override;
  using ParameterEncoder::encode;

 protected:
  explicit JSONParameterEncoder(platform::JSONEncoder encoder) : encoder_(std::move(encoder)) {}

 private:
  const platform::JSONEncoder encoder_;
};

}  // namespace wendanet
