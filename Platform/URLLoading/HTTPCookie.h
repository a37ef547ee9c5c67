#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Foundation/Date.h"
#include "Platform/Foundation/HTTPHeaderFields.h"
#include "Platform/Foundation/URL.h"

namespace platform {

// One cookie a server set, with where and until when it may be sent back.
struct HTTPCookie {
  std::string name;
  std::string value;
  // In lower case, without a leading dot: the host that set it, or the
  // domain whose hosts all receive it.
  std::string domain;
  std::string path = "/";
  // Absent for a cookie that lives only as long as the process.
  std::optional<Date> expiresDate;
  // Sent over secure connections only.
  bool isSecure = false;
  bool isHTTPOnly = false;
  // Sent to exactly `domain`, not to the hosts below it.
  bool isHostOnly = true;

  bool isSessionOnly() const { return !expiresDate; }
  bool isExpired(Date now) const { return expiresDate && *expiresDate <= now; }
  // Whether the cookie goes with a request for `url`: a host inside its
  // domain, a path inside its path, and a secure scheme for a secure cookie.
  bool isSentTo(const URL& url) const;

  // The cookies the Set-Cookie fields among `fields` set, received in a
  // response from `url` at `now`. A field that is malformed, carries
  // control characters, exceeds 4096 bytes of name and value, or names a
  // domain `url` is not in, sets nothing.
  static std::vector<HTTPCookie> cookiesWithResponseHeaderFields(const HTTPHeaderFields& fields, const URL& url,
                                                                 Date now);
  // The one Cookie field that sends `cookies` in their order ("a=1; b=2"),
  // or no field for no cookie.
  static HTTPHeaderFields requestHeaderFieldsWithCookies(const std::vector<HTTPCookie>& cookies);

  friend bool operator==(const HTTPCookie&, const HTTPCookie&) = default;
};

}  // namespace platform
