#pragma once

#include <optional>

#include "Platform/Foundation/URLRequest.h"
#include "Wendanet/Source/Core/HTTPHeaders.h"
#include "Wendanet/Source/Core/HTTPMethod.h"
#include "Wendanet/Source/Core/URLConvertible.h"

namespace wendanet {

// A URL request for the URL `url` gives, with the platform's default cache
// policy and a 60-second time-out. Whatever the URL conversion throws
// reaches the caller unchanged. Absent headers leave the request without
// header fields.
platform::URLRequest makeURLRequest(const URLConvertible& url, const HTTPMethod& method,
                                    const std::optional<HTTPHeaders>& headers = std::nullopt);

// The request's method, absent when it has none.
std::optional<HTTPMethod> getMethod(const platform::URLRequest& request);
void setMethod(platform::URLRequest& request, const std::optional<HTTPMethod>& method);

// Throws WNError urlRequestValidationFailed (bodyDataInGETRequest) for a
// "GET" request with a body, even an empty one. A body stream is not
// looked at.
void validate(const platform::URLRequest& request);

}  // namespace wendanet
