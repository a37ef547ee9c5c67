#include "Platform/URLLoading/HTTPCookie.h"

#include <charconv>
#include <limits>

#include "Platform/Foundation/ASCIICase.h"
#include "Platform/Network/IPAddressText.h"
#include "Platform/URLLoading/Engine/HTTPDate.h"

namespace platform {

namespace {

constexpr std::size_t maximumNameAndValueSize = 4096;

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool hasControlCharacter(std::string_view text) {
  for (const char character : text) {
    const auto byte = static_cast<unsigned char>(character);
    if ((byte < 0x20 && byte != '\t') || byte == 0x7F) return true;
  }
  return false;
}

bool domainMatches(const std::string& host, const std::string& domain) {
  if (host == domain) return true;
  return host.size() > domain.size() && host.ends_with(domain) && host[host.size() - domain.size() - 1] == '.' &&
         !isIPAddress(host);
}

std::string requestPath(const URL& url) {
  auto path = url.percentEncodedPath();
  return path.empty() ? "/" : path;
}

bool pathMatches(const std::string& path, const std::string& cookiePath) {
  if (!path.starts_with(cookiePath)) return false;
  return path.size() == cookiePath.size() || cookiePath.ends_with('/') || path[cookiePath.size()] == '/';
}

// The directory of the request's path: where a cookie without a Path
// attribute applies.
std::string defaultPath(const URL& url) {
  const auto path = url.percentEncodedPath();
  if (!path.starts_with('/')) return "/";
  const auto lastSlash = path.rfind('/');
  return lastSlash == 0 ? "/" : path.substr(0, lastSlash);
}

// Max-Age is a whole number of seconds, possibly negative; zero or less
// means the cookie is gone at once.
std::optional<Date> expiryFromMaxAge(std::string_view text, Date now) {
  if (text.empty() || !(text.front() == '-' || (text.front() >= '0' && text.front() <= '9'))) return std::nullopt;
  long long seconds = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
  if (end != text.data() + text.size()) return std::nullopt;
  if (error == std::errc::result_out_of_range) seconds = text.front() == '-' ? -1 : std::numeric_limits<int>::max();
  if (seconds <= 0) return Date{std::numeric_limits<double>::lowest()};
  return now.addingTimeInterval(static_cast<double>(seconds));
}

std::optional<HTTPCookie> parseSetCookie(std::string_view field, const URL& url, const std::string& host, Date now) {
  if (hasControlCharacter(field)) return std::nullopt;
  const auto semicolon = field.find(';');
  const auto pair = field.substr(0, semicolon);
  const auto equals = pair.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  HTTPCookie cookie;
  cookie.name = trimmed(pair.substr(0, equals));
  cookie.value = trimmed(pair.substr(equals + 1));
  if (cookie.name.empty() || cookie.name.size() + cookie.value.size() > maximumNameAndValueSize) return std::nullopt;

  std::optional<Date> maxAgeExpiry;
  std::optional<Date> expires;
  std::optional<std::string> domain;
  std::optional<std::string> path;
  auto attributes = semicolon == std::string_view::npos ? std::string_view() : field.substr(semicolon + 1);
  while (!attributes.empty()) {
    const auto end = attributes.find(';');
    const auto attribute = attributes.substr(0, end);
    attributes = end == std::string_view::npos ? std::string_view() : attributes.substr(end + 1);
    const auto attributeEquals = attribute.find('=');
    const auto name = asciiLowercased(trimmed(attribute.substr(0, attributeEquals)));
    const auto value =
        attributeEquals == std::string_view::npos ? std::string_view() : trimmed(attribute.substr(attributeEquals + 1));
    if (name == "expires") {
      if (const auto date = parseHTTPDate(value)) expires = date;
    } else if (name == "max-age") {
      if (const auto date = expiryFromMaxAge(value, now)) maxAgeExpiry = date;
    } else if (name == "domain") {
      if (!value.empty()) domain = asciiLowercased(value.starts_with('.') ? value.substr(1) : value);
    } else if (name == "path") {
      path = value.starts_with('/') ? std::optional<std::string>(std::string(value)) : std::nullopt;
    } else if (name == "secure") {
      cookie.isSecure = true;
    } else if (name == "httponly") {
      cookie.isHTTPOnly = true;
    }
  }
  cookie.expiresDate = maxAgeExpiry ? maxAgeExpiry : expires;
  if (domain && !domain->empty()) {
    // A domain without a dot is a top-level one, never a single site.
    if (!domainMatches(host, *domain) || (*domain != host && domain->find('.') == std::string::npos)) {
      return std::nullopt;
    }
    cookie.domain = *domain;
    cookie.isHostOnly = false;
  } else {
    cookie.domain = host;
  }
  cookie.path = path.value_or(defaultPath(url));
  return cookie;
}

}  // namespace

bool HTTPCookie::isSentTo(const URL& url) const {
  const auto host = asciiLowercased(url.host().value_or(""));
  if (host.empty()) return false;
  if (isHostOnly ? host != domain : !domainMatches(host, domain)) return false;
  if (isSecure && asciiLowercased(url.scheme().value_or("")) != "https") return false;
  return pathMatches(requestPath(url), path);
}

std::vector<HTTPCookie> HTTPCookie::cookiesWithResponseHeaderFields(const HTTPHeaderFields& fields, const URL& url,
                                                                    Date now) {
  std::vector<HTTPCookie> cookies;
  const auto host = asciiLowercased(url.host().value_or(""));
  if (host.empty()) return cookies;
  for (const auto& [name, value] : fields) {
    if (!equalsIgnoringASCIICase(name, "Set-Cookie")) continue;
    if (auto cookie = parseSetCookie(value, url, host, now)) cookies.push_back(std::move(*cookie));
  }
  return cookies;
}

HTTPHeaderFields HTTPCookie::requestHeaderFieldsWithCookies(const std::vector<HTTPCookie>& cookies) {
  if (cookies.empty()) return {};
  std::string value;
  for (const auto& cookie : cookies) {
    if (!value.empty()) value += "; ";
    value += cookie.name + "=" + cookie.value;
  }
  return {{"Cookie", std::move(value)}};
}

}  // namespace platform
