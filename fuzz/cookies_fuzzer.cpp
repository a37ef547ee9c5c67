// Set-Cookie fields and the dates in them, as a server sends them. The first
// line is the response's URL; each further line one Set-Cookie field.

#include <cmath>
#include <string>

#include "Platform/Foundation/URL.h"
#include "Platform/URLLoading/Engine/HTTPDate.h"
#include "Platform/URLLoading/HTTPCookie.h"
#include "fuzz/FuzzCheck.h"

using namespace platform;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto lines = fuzz::pieces(fuzz::text(data, size), '\n');
  for (const auto line : lines) {
    if (const auto date = parseHTTPDate(line)) fuzz::require(std::isfinite(date->timeIntervalSince1970), "an endless date");
  }
  const auto url = URL::string(lines[0]);
  if (!url) return 0;
  HTTPHeaderFields fields;
  for (std::size_t index = 1; index < lines.size(); ++index) fields.emplace_back("Set-Cookie", std::string(lines[index]));
  const Date now{1'700'000'000};
  const auto cookies = HTTPCookie::cookiesWithResponseHeaderFields(fields, *url, now);
  for (const auto& cookie : cookies) {
    fuzz::require(cookie.name.find_first_of(";\r\n") == std::string::npos, "a cookie name holds a separator");
    fuzz::require(cookie.value.find_first_of(";\r\n") == std::string::npos, "a cookie value holds a separator");
    (void)cookie.isSentTo(*url);
  }
  const auto request = HTTPCookie::requestHeaderFieldsWithCookies(cookies);
  fuzz::require(request.size() == (cookies.empty() ? 0u : 1u), "not one Cookie field for the cookies");
  return 0;
}
