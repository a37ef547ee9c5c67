#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Foundation/Date.h"
#include "Platform/Foundation/HTTPURLResponse.h"
#include "Platform/Foundation/URLRequest.h"
#include "Platform/URLLoading/URLCache.h"

namespace platform {

// The items of a comma-separated field value, trimmed, empty ones left out;
// commas inside quoted strings do not separate.
std::vector<std::string_view> fieldListItems(std::string_view fieldValue);

// The directives of a Cache-Control field, names in lower case, values
// unquoted; a directive without a value maps to none.
std::map<std::string, std::optional<std::string>> cacheControlDirectives(std::string_view fieldValue);

// Whether a response to `request`, once read in full, may be offered to a
// cache: a GET without conditions of its own answered 200 or 203, with
// no-store on neither side. A response that varies with request fields is
// not offered either, since entries are found by URL alone.
bool isCacheable(const URLRequest& request, const HTTPURLResponse& response);

// Whether a response stored at `storedDate` may still answer without
// asking the server: its max-age, or else its Expires, is not yet reached
// by its age. Without either it never is, however old its Last-Modified:
// it is revalidated instead. A response marked no-cache never is.
bool isFresh(const HTTPURLResponse& response, Date storedDate, Date now);

// `revalidate`: the request goes to the server asking whether what is
// stored is still current (see CacheRevalidation).
enum class CacheUse { load, useStored, revalidate, fail };

// What the request's cache policy makes of what the cache holds for it:
// only a GET is answered from the cache, a fresh entry under the
// protocol's policy unless the request asks for a fresh copy (no-cache),
// any entry when the request prefers cached data. An entry with validators
// that may not answer by itself under the protocol's policy, or any such
// entry when the request wants it revalidated, is revalidated. A request
// with conditions of its own loads. A request that must not load never
// does, whatever else it states: it takes what is stored, or it `fail`s.
CacheUse cacheUse(const URLRequest& request, const std::optional<URLCache::Entry>& entry, Date now);

}  // namespace platform
