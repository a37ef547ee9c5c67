#pragma once

#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/HTTPHeaderFields.h"
#include "Platform/Foundation/URLRequest.h"

namespace platform {

// True for a non-empty HTTP token: what a method or field name may be.
bool isHTTPToken(std::string_view text);

// Whether a field value holds a control character other than a tab: such a
// value is never sent. Besides the line breaks and NUL that would split or
// end the message, a peer or a log may act on any of them.
bool holdsControlCharacter(std::string_view value);

// The header fields a request goes out with: the configuration's
// additional fields with the request's own over them (a request field
// replaces one of the same name in any letter case). Fails with
// InvalidRequestError for a name that is no token or a value holding CR,
// LF or NUL, which could otherwise smuggle fields or a second request onto
// the connection.
std::expected<HTTPHeaderFields, AnyError> mergedHeaderFields(const URLRequest& request,
                                                             const std::optional<HTTPHeaderFields>& additionalHeaders);

// The header lines a request goes out with, as the transfer library takes
// them: the merged fields, an empty or blank value written so that the
// field still goes out, with an empty value. Content-Length is left to the
// library, which knows the body.
std::expected<std::vector<std::string>, AnyError> requestHeaderLines(
    const URLRequest& request, const std::optional<HTTPHeaderFields>& additionalHeaders);

}  // namespace platform
