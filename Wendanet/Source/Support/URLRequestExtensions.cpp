#include "Wendanet/Source/Support/URLRequestExtensions.h"

#include "Wendanet/Source/Core/WNError.h"

namespace wendanet {

platform::URLRequest makeURLRequest(const URLConvertible& url, const HTTPMethod& method,
                                    const std::optional<HTTPHeaders>& headers) {
  platform::URLRequest request(url.asURL(), platform::URLRequest::CachePolicy::useProtocolCachePolicy,
                               platform::URLRequest::defaultTimeoutInterval);
  setMethod(request, method);
  if (headers) setHeaders(request, *headers);
  return request;
}

std::optional<HTTPMethod> getMethod(const platform::URLRequest& request) {
  const auto& method = request.httpMethod();
  if (!method) return std::nullopt;
  return HTTPMethod(*method);
}

void setMethod(platform::URLRequest& request, const std::optional<HTTPMethod>& method) {
  request.setHTTPMethod(method ? std::optional(method->rawValue()) : std::nullopt);
}

void validate(const platform::URLRequest& request) {
  if (request.httpMethod() != HTTPMethod::get().rawValue()) return;
  if (const auto& body = request.httpBody()) {
    throw WNError::urlRequestValidationFailed(URLRequestValidationFailureReason::bodyDataInGETRequest(*body));
  }
}

}  // namespace wendanet
