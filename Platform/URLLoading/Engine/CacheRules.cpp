#include "Platform/URLLoading/Engine/CacheRules.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "Platform/Foundation/ASCIICase.h"
#include "Platform/URLLoading/Engine/CacheRevalidation.h"
#include "Platform/URLLoading/Engine/HTTPDate.h"

namespace platform {

namespace {

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string unquoted(std::string_view text) {
  if (text.size() < 2 || text.front() != '"' || text.back() != '"') return std::string(text);
  std::string value;
  for (std::size_t index = 1; index + 1 < text.size(); ++index) {
    if (text[index] == '\\' && index + 2 < text.size()) ++index;
    value += text[index];
  }
  return value;
}

std::vector<std::string_view> splitOutsideQuotes(std::string_view text) {
  std::vector<std::string_view> parts;
  bool quoted = false;
  std::size_t start = 0;
  for (std::size_t index = 0; index < text.size(); ++index) {
    const char character = text[index];
    if (quoted && character == '\\') {
      ++index;
    } else if (character == '"') {
      quoted = !quoted;
    } else if (character == ',' && !quoted) {
      parts.push_back(text.substr(start, index - start));
      start = index + 1;
    }
  }
  parts.push_back(text.substr(std::min(start, text.size())));
  return parts;
}

std::map<std::string, std::optional<std::string>> directivesOf(const std::optional<std::string>& field) {
  return field ? cacheControlDirectives(*field) : std::map<std::string, std::optional<std::string>>{};
}

// A count of seconds; a malformed one counts as 0, so it never makes a
// response fresh.
double seconds(const std::optional<std::string>& text) {
  if (!text) return 0;
  long long value = 0;
  const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
  if (error == std::errc::result_out_of_range && end == text->data() + text->size()) return 2147483648.0;
  if (error != std::errc() || end != text->data() + text->size() || value < 0) return 0;
  return static_cast<double>(value);
}

bool isGET(const URLRequest& request) { return request.httpMethod().value_or("GET") == "GET"; }

bool forbidsStorage(const URLRequest& request) {
  return directivesOf(request.valueForHTTPHeaderField("Cache-Control")).contains("no-store");
}

// A stored response may still answer such a request once the server has
// confirmed it.
bool asksForFreshCopy(const URLRequest& request) {
  const auto directives = directivesOf(request.valueForHTTPHeaderField("Cache-Control"));
  if (directives.contains("no-cache")) return true;
  if (const auto maxAge = directives.find("max-age"); maxAge != directives.end() && seconds(maxAge->second) == 0) {
    return true;
  }
  const auto pragma = request.valueForHTTPHeaderField("Pragma");
  return pragma && directivesOf(pragma).contains("no-cache");
}

double freshnessLifetime(const HTTPURLResponse& response, Date dateReceived) {
  const auto directives = directivesOf(response.valueForHTTPHeaderField("Cache-Control"));
  if (const auto maxAge = directives.find("max-age"); maxAge != directives.end()) return seconds(maxAge->second);
  const auto expiresField = response.valueForHTTPHeaderField("Expires");
  if (!expiresField) return 0;
  // An Expires that cannot be read means already expired.
  const auto expires = parseHTTPDate(*expiresField);
  if (!expires) return 0;
  return expires->timeIntervalSince(dateReceived);
}

}  // namespace

std::vector<std::string_view> fieldListItems(std::string_view fieldValue) {
  std::vector<std::string_view> items;
  for (const auto part : splitOutsideQuotes(fieldValue)) {
    if (const auto item = trimmed(part); !item.empty()) items.push_back(item);
  }
  return items;
}

std::map<std::string, std::optional<std::string>> cacheControlDirectives(std::string_view fieldValue) {
  std::map<std::string, std::optional<std::string>> directives;
  for (const auto directive : fieldListItems(fieldValue)) {
    const auto equals = directive.find('=');
    auto name = asciiLowercased(trimmed(directive.substr(0, equals)));
    std::optional<std::string> value;
    if (equals != std::string_view::npos) value = unquoted(trimmed(directive.substr(equals + 1)));
    directives.emplace(std::move(name), std::move(value));
  }
  return directives;
}

bool isCacheable(const URLRequest& request, const HTTPURLResponse& response) {
  if (!isGET(request) || (response.statusCode() != 200 && response.statusCode() != 203)) return false;
  if (forbidsStorage(request) || statesOwnConditions(request)) return false;
  if (directivesOf(response.valueForHTTPHeaderField("Cache-Control")).contains("no-store")) return false;
  return !response.valueForHTTPHeaderField("Vary");
}

bool isFresh(const HTTPURLResponse& response, Date storedDate, Date now) {
  if (directivesOf(response.valueForHTTPHeaderField("Cache-Control")).contains("no-cache")) return false;
  const auto dateField = response.valueForHTTPHeaderField("Date");
  const auto date = dateField ? parseHTTPDate(*dateField) : std::nullopt;
  const double apparentAge = date ? std::max(0.0, storedDate.timeIntervalSince(*date)) : 0;
  const double initialAge = std::max(apparentAge, seconds(response.valueForHTTPHeaderField("Age")));
  const double currentAge = initialAge + std::max(0.0, now.timeIntervalSince(storedDate));
  return freshnessLifetime(response, date.value_or(storedDate)) > currentAge;
}

CacheUse cacheUse(const URLRequest& request, const std::optional<URLCache::Entry>& entry, Date now) {
  using Policy = URLRequest::CachePolicy;
  // Entries are stored by GETs, and answer nothing else.
  const auto* response =
      entry && isGET(request) ? dynamic_cast<const HTTPURLResponse*>(entry->response->response().get()) : nullptr;
  // Nothing may go out, whatever else the request says: what is stored is
  // the only answer there can be.
  if (request.cachePolicy() == Policy::returnCacheDataDontLoad) return response ? CacheUse::useStored : CacheUse::fail;
  if (!response || statesOwnConditions(request)) return CacheUse::load;
  switch (request.cachePolicy()) {
    case Policy::returnCacheDataElseLoad: return CacheUse::useStored;
    case Policy::useProtocolCachePolicy:
      if (forbidsStorage(request)) return CacheUse::load;
      if (!asksForFreshCopy(request) && isFresh(*response, entry->storedDate, now)) return CacheUse::useStored;
      return hasValidators(*response) ? CacheUse::revalidate : CacheUse::load;
    case Policy::reloadRevalidatingCacheData: return hasValidators(*response) ? CacheUse::revalidate : CacheUse::load;
    default: return CacheUse::load;
  }
}

}  // namespace platform
