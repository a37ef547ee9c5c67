#include "Wendanet/Source/Core/JSONParameterEncoder.h"

#include "Wendanet/Source/Core/WNError.h"
#include "Wendanet/Source/Support/RequestContentType.h"

namespace wendanet {
namespace {

std::shared_ptr<JSONParameterEncoder> withFormatting(platform::JSONEncoder::OutputFormatting formatting) {
  platform::JSONEncoder encoder;
  encoder.outputFormatting = formatting;
  return JSONParameterEncoder::make(std::move(encoder));
}

}  // namespace

std::shared_ptr<JSONParameterEncoder> JSONParameterEncoder::make(platform::JSONEncoder encoder) {
  return std::shared_ptr<JSONParameterEncoder>(new JSONParameterEncoder(std::move(encoder)));
}

std::shared_ptr<JSONParameterEncoder> JSONParameterEncoder::prettyPrinted() {
  return withFormatting(platform::JSONEncoder::OutputFormatting::prettyPrinted);
}

std::shared_ptr<JSONParameterEncoder> JSONParameterEncoder::sortedKeys() {
  return withFormatting(platform::JSONEncoder::OutputFormatting::sortedKeys);
}

platform::URLRequest JSONParameterEncoder::encode(std::optional<platform::EncodableRef> parameters,
                                                  platform::URLRequest request) const {
  if (!parameters) return request;
  try {
    request.setHTTPBody(encoder_.encode(*parameters));
  } catch (const platform::Error& error) {
    throw WNError::parameterEncodingFailed(ParameterEncodingFailureReason::jsonEncodingFailed(error.clone()));
  }
  setContentTypeIfAbsent(request, "application/json");
  return request;
}

}  // namespace wendanet
