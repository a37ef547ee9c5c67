#include "Wendanet/Source/Support/URLEncodedFormParameterEncoder.h"

#include "Platform/Foundation/URLComponents.h"
#include "Wendanet/Source/Core/WNError.h"
#include "Wendanet/Source/Support/RequestContentType.h"

namespace wendanet {
namespace {

using RequiredComponent = ParameterEncoderFailureReason::RequiredComponent;

[[noreturn]] void throwMissing(RequiredComponent component) {
  throw WNError::parameterEncoderFailed(ParameterEncoderFailureReason::missingRequiredComponent(std::move(component)));
}

}  // namespace

std::shared_ptr<URLEncodedFormParameterEncoder> URLEncodedFormParameterEncoder::make(
    std::shared_ptr<URLEncodedFormEncoder> encoder, Destination destination) {
  if (!encoder) encoder = URLEncodedFormEncoder::make();
  return std::shared_ptr<URLEncodedFormParameterEncoder>(
      new URLEncodedFormParameterEncoder(std::move(encoder), destination));
}

std::string URLEncodedFormParameterEncoder::formText(platform::EncodableRef parameters) const {
  try {
    return encoder_->encode(parameters);
  } catch (const platform::Error& error) {
    throw WNError::parameterEncoderFailed(ParameterEncoderFailureReason::encoderFailed(error.clone()));
  }
}

platform::URLRequest URLEncodedFormParameterEncoder::encode(std::optional<platform::EncodableRef> parameters,
                                                            platform::URLRequest request) const {
  if (!parameters) return request;
  if (!request.url()) throwMissing(RequiredComponent::url());
  if (!request.httpMethod()) throwMissing(RequiredComponent::httpMethod("nil"));

  if (encodesParametersInURL(destination_, request.httpMethod())) {
    platform::URLComponents components(*request.url());
    const std::string text = formText(*parameters);
    const auto& existing = components.percentEncodedQuery();
    const std::string query = existing ? *existing + "&" + text : text;
    components.setPercentEncodedQuery(query.empty() ? std::nullopt : std::optional(query));
    // Allowed characters of the caller's own may let through text that no
    // URL query may hold.
    auto url = components.url();
    if (!url) throwMissing(RequiredComponent::url());
    request.setURL(std::move(url));
  } else {
    setContentTypeIfAbsent(request, "application/x-www-form-urlencoded; charset=utf-8");
    request.setHTTPBody(platform::Data(formText(*parameters)));
  }
  return request;
}

}  // namespace wendanet
