#include "Wendanet/Source/Core/JSONEncoding.h"

#include "Wendanet/Source/Core/WNError.h"
#include "Wendanet/Source/Support/RequestContentType.h"

namespace wendanet {

std::string JSONEncoding::Error::localizedDescription() const {
  return "The operation couldn't be completed. (Wendanet.JSONEncoding.Error error 0.)";
}

platform::URLRequest JSONEncoding::encode(const URLRequestConvertible& convertible,
                                          const std::optional<Parameters>& parameters) const {
  platform::URLRequest request = convertible.asURLRequest();
  if (!parameters) return request;
  return encoded(std::move(request), jsonValue(*parameters));
}

platform::URLRequest JSONEncoding::encodeWithJSONObject(const URLRequestConvertible& convertible,
                                                        const std::optional<platform::JSONValue>& jsonObject) const {
  platform::URLRequest request = convertible.asURLRequest();
  if (!jsonObject) return request;
  return encoded(std::move(request), jsonObject);
}

// `json` is absent when the parameters had no JSON form at all.
platform::URLRequest JSONEncoding::encoded(platform::URLRequest request,
                                           const std::optional<platform::JSONValue>& json) const {
  if (!json || !platform::JSONSerialization::isValidJSONObject(*json)) {
    throw WNError::parameterEncodingFailed(
        ParameterEncodingFailureReason::jsonEncodingFailed(platform::makeError(Error::invalidJSONObject())));
  }
  platform::Data body;
  try {
    body = platform::JSONSerialization::data(*json, options_);
  } catch (const platform::Error& error) {
    throw WNError::parameterEncodingFailed(ParameterEncodingFailureReason::jsonEncodingFailed(error.clone()));
  }
  setContentTypeIfAbsent(request, "application/json");
  request.setHTTPBody(std::move(body));
  return request;
}

}  // namespace wendanet
