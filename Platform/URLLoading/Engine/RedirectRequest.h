#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "Platform/Foundation/HTTPURLResponse.h"
#include "Platform/Foundation/URL.h"
#include "Platform/Foundation/URLRequest.h"

namespace platform {

// The request a redirect proposes to send next.
struct RedirectRequest {
  URLRequest request;
  // The redirect turned the method into GET, so no body goes on.
  bool dropsBody = false;
};

// What `response` to `request` redirects to, or none when it is no
// redirect to follow: a status other than 301, 302, 303, 307 and 308, no
// Location, or a Location that makes no URL.
//
// 303 turns every method but HEAD into GET, 301 and 302 turn POST into GET;
// a request turned into GET loses its body and the fields describing it.
// 307 and 308 keep method and body. A redirect to another server drops the
// request's own credential fields (see `credentialFieldNames`), which were
// meant for the first one.
std::optional<RedirectRequest> redirectRequest(const URLRequest& request, const HTTPURLResponse& response);

// Same scheme, host and port, default ports spelled out.
bool sameOrigin(const URL& first, const URL& second);

// The fields that carry credentials for one origin.
inline constexpr std::array<std::string_view, 3> credentialFieldNames = {"Authorization", "Proxy-Authorization",
                                                                         "Cookie"};

// `location` resolved against `base` as a browser resolves a link, with
// characters a URL may not hold percent-encoded first. A location without
// a fragment keeps the base's.
std::optional<URL> resolveLocation(const URL& base, std::string_view location);

}  // namespace platform
