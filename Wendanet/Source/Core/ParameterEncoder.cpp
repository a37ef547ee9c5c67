#include "Wendanet/Source/Core/ParameterEncoder.h"

#include "Wendanet/Source/Core/JSONParameterEncoder.h"
#include "Wendanet/Source/Support/URLEncodedFormParameterEncoder.h"

namespace wendanet {

std::shared_ptr<JSONParameterEncoder> ParameterEncoder::json() { return JSONParameterEncoder::make(); }

std::shared_ptr<JSONParameterEncoder> ParameterEncoder::json(platform::JSONEncoder encoder) {
  return JSONParameterEncoder::make(std::move(encoder));
}

std::shared_ptr<URLEncodedFormParameterEncoder> ParameterEncoder::urlEncodedForm() {
  return URLEncodedFormParameterEncoder::make();
}

std::shared_ptr<URLEncodedFormParameterEncoder> ParameterEncoder::urlEncodedForm(
    std::shared_ptr<URLEncodedFormEncoder> encoder, ParameterDestination destination) {
  return URLEncodedFormParameterEncoder::make(std::move(encoder), destination);
}

}  // namespace wendanet
