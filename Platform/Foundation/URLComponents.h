#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Foundation/URL.h"
#include "Platform/Foundation/URLParts.h"

namespace platform {

// One name/value pair of a URL query. An item without "=" has no value.
struct URLQueryItem {
  std::string name;
  std::optional<std::string> value;

  friend bool operator==(const URLQueryItem&, const URLQueryItem&) = default;
};

// The parts of a URL, taken apart without resolving anything, with a query
// that can be replaced. Everything but the query goes back into the URL
// exactly as it was typed.
class URLComponents {
 public:
  // Nothing for text that is no URL reference (see URL::string).
  static std::optional<URLComponents> string(std::string_view text);
  explicit URLComponents(const URL& url);

  // Decoded like URL's accessors; see there.
  std::optional<std::string> scheme() const { return url_.scheme(); }
  std::optional<std::string> host() const { return url_.host(); }
  std::optional<int> port() const { return url_.port(); }
  std::string path() const { return url_.path(); }
  std::string percentEncodedPath() const { return url_.percentEncodedPath(); }
  std::optional<std::string> fragment() const;

  // Absent without a "?"; the empty text for a "?" with nothing after it.
  const std::optional<std::string>& percentEncodedQuery() const { return query_; }
  // Taken as it is; absent removes the "?". Text that a query may not hold
  // makes `url()` fail.
  void setPercentEncodedQuery(std::optional<std::string> query) { query_ = std::move(query); }
  std::optional<std::string> query() const;

  // The query split at "&" and each piece at its first "=", names and values
  // decoded ("+" stays "+"). Absent without a query, empty for an empty one.
  std::optional<std::vector<URLQueryItem>> queryItems() const;
  // Writes the items escaping everything a query may not hold plus "&", "="
  // and "+", so that they read back unchanged. Absent removes the query; no
  // items leave an empty one.
  void setQueryItems(const std::optional<std::vector<URLQueryItem>>& items);

  // The URL with the current query, or nothing when the query holds text
  // that a URL query may not.
  std::optional<URL> url() const;
  // The text `url()` is read from, also when it reads as no URL.
  std::string description() const;

 private:
  URL url_;  // as given; its own query is ignored
  std::optional<std::string> query_;
};

}  // namespace platform
