#include "Platform/Foundation/URLParts.h"

#include <arpa/inet.h>

#include <algorithm>
#include <string>

namespace platform {

namespace {

using Range = URLParts::Range;

bool isAlpha(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHexDigit(char c) { return isDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }
bool isUnreserved(char c) { return isAlpha(c) || isDigit(c) || c == '-' || c == '.' || c == '_' || c == '~'; }
bool isSubDelimiter(char c) { return std::string_view("!$&'()*+,;=").find(c) != std::string_view::npos; }
bool isSchemeCharacter(char c) { return isAlpha(c) || isDigit(c) || c == '+' || c == '-' || c == '.'; }

// Whether every character of `text` is either a valid "%XX" escape or passes
// `allowed`.
template <class Allowed>
bool consistsOf(std::string_view text, Allowed allowed) {
  for (std::size_t index = 0; index < text.size(); ++index) {
    if (text[index] == '%') {
      if (index + 2 >= text.size() || !isHexDigit(text[index + 1]) || !isHexDigit(text[index + 2])) return false;
      index += 2;
    } else if (!allowed(text[index])) {
      return false;
    }
  }
  return true;
}

bool isPathCharacter(char c) { return isUnreserved(c) || isSubDelimiter(c) || c == ':' || c == '@' || c == '/'; }
bool isQueryCharacter(char c) { return isPathCharacter(c) || c == '?'; }
bool isUserCharacter(char c) { return isUnreserved(c) || isSubDelimiter(c) || c == ':'; }
bool isHostCharacter(char c) { return isUnreserved(c) || isSubDelimiter(c); }

bool isIPLiteral(std::string_view inside) {
  if (!inside.empty() && (inside[0] == 'v' || inside[0] == 'V')) {
    // IPvFuture: "v" hex digits "." then unreserved, sub-delimiters or ":".
    const auto dot = inside.find('.');
    if (dot == std::string_view::npos || dot == 1 || dot + 1 == inside.size()) return false;
    return std::all_of(inside.begin() + 1, inside.begin() + dot, isHexDigit) &&
           std::all_of(inside.begin() + dot + 1, inside.end(),
                       [](char c) { return isUnreserved(c) || isSubDelimiter(c) || c == ':'; });
  }
  if (inside.size() >= INET6_ADDRSTRLEN) return false;
  in6_addr address;
  return inet_pton(AF_INET6, std::string(inside).c_str(), &address) == 1;
}

// Fills user, password, host and port from the authority at `authority`.
bool parseAuthority(std::string_view text, Range authority, URLParts& parts) {
  std::size_t hostStart = authority.begin;
  const auto whole = authority.of(text);
  if (const auto at = whole.find('@'); at != std::string_view::npos) {
    const auto userInfo = whole.substr(0, at);
    if (!consistsOf(userInfo, isUserCharacter)) return false;
    const auto colon = userInfo.find(':');
    parts.user = Range{authority.begin, std::min(colon, userInfo.size())};
    if (colon != std::string_view::npos) {
      parts.password = Range{authority.begin + colon + 1, userInfo.size() - colon - 1};
    }
    hostStart = authority.begin + at + 1;
  }
  const auto rest = text.substr(hostStart, authority.end() - hostStart);
  std::size_t hostLength = 0;
  if (!rest.empty() && rest[0] == '[') {
    const auto close = rest.find(']');
    if (close == std::string_view::npos || !isIPLiteral(rest.substr(1, close - 1))) return false;
    hostLength = close + 1;
  } else {
    hostLength = std::min(rest.find(':'), rest.size());
    if (!consistsOf(rest.substr(0, hostLength), isHostCharacter)) return false;
  }
  parts.host = Range{hostStart, hostLength};
  if (hostLength == rest.size()) return true;
  if (rest[hostLength] != ':') return false;
  const auto digits = rest.substr(hostLength + 1);
  if (!std::all_of(digits.begin(), digits.end(), isDigit)) return false;
  const auto significant = digits.substr(std::min(digits.find_first_not_of('0'), digits.size()));
  if (significant.size() > 5 || (significant.size() == 5 && significant > "65535")) return false;
  parts.port = Range{hostStart + hostLength + 1, digits.size()};
  return true;
}

}  // namespace

std::optional<URLParts> URLParts::parse(std::string_view text) {
  if (text.empty()) return std::nullopt;
  URLParts parts;
  std::size_t end = text.size();

  if (const auto hash = text.find('#'); hash != std::string_view::npos) {
    parts.fragment = Range{hash + 1, end - hash - 1};
    if (!consistsOf(parts.fragment->of(text), isQueryCharacter)) return std::nullopt;
    end = hash;
  }
  if (const auto question = text.substr(0, end).find('?'); question != std::string_view::npos) {
    parts.query = Range{question + 1, end - question - 1};
    if (!consistsOf(parts.query->of(text), isQueryCharacter)) return std::nullopt;
    end = question;
  }

  std::size_t start = 0;
  const auto beforeQuery = text.substr(0, end);
  if (const auto colon = beforeQuery.find(':'); colon != std::string_view::npos && colon > 0 && isAlpha(text[0]) &&
                                                std::all_of(text.begin(), text.begin() + colon, isSchemeCharacter)) {
    parts.scheme = Range{0, colon};
    start = colon + 1;
  }

  if (beforeQuery.substr(start).starts_with("//")) {
    const std::size_t authorityStart = start + 2;
    const std::size_t authorityEnd = std::min(beforeQuery.find('/', authorityStart), end);
    if (!parseAuthority(text, Range{authorityStart, authorityEnd - authorityStart}, parts)) return std::nullopt;
    start = authorityEnd;
  }

  parts.path = Range{start, end - start};
  const auto path = parts.path.of(text);
  if (!consistsOf(path, isPathCharacter)) return std::nullopt;
  // Without a scheme, a ":" in the first segment would read as one.
  if (!parts.scheme && !parts.host && path.substr(0, path.find('/')).find(':') != std::string_view::npos) {
    return std::nullopt;
  }
  return parts;
}

}  // namespace platform
