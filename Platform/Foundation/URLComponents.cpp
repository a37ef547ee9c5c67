#include "Platform/Foundation/URLComponents.h"

#include "Platform/Foundation/PercentEncoding.h"

namespace platform {

namespace {

// What names and values may keep unescaped: "&" and "=" would split them,
// "+" reads as a space to many servers.
const CharacterSet& queryItemAllowed() {
  static const auto set = CharacterSet::urlQueryAllowed().removing("&=+");
  return set;
}

URLQueryItem decodeItem(std::string_view piece) {
  const auto equals = piece.find('=');
  if (equals == std::string_view::npos) return {percentDecodedBytes(piece), std::nullopt};
  return {percentDecodedBytes(piece.substr(0, equals)), percentDecodedBytes(piece.substr(equals + 1))};
}

}  // namespace

std::optional<URLComponents> URLComponents::string(std::string_view text) {
  auto url = URL::string(text);
  if (!url) return std::nullopt;
  return URLComponents(*url);
}

URLComponents::URLComponents(const URL& url) : url_(url), query_(url.query()) {}

std::optional<std::string> URLComponents::fragment() const {
  auto fragment = url_.fragment();
  if (fragment) *fragment = percentDecodedBytes(*fragment);
  return fragment;
}

std::optional<std::string> URLComponents::query() const {
  if (!query_) return std::nullopt;
  return percentDecodedBytes(*query_);
}

std::optional<std::vector<URLQueryItem>> URLComponents::queryItems() const {
  if (!query_) return std::nullopt;
  std::vector<URLQueryItem> items;
  if (query_->empty()) return items;
  const std::string_view query = *query_;
  for (std::size_t start = 0;;) {
    const auto ampersand = query.find('&', start);
    items.push_back(decodeItem(query.substr(start, ampersand - start)));
    if (ampersand == std::string_view::npos) break;
    start = ampersand + 1;
  }
  return items;
}

void URLComponents::setQueryItems(const std::optional<std::vector<URLQueryItem>>& items) {
  if (!items) {
    query_.reset();
    return;
  }
  std::string query;
  for (const auto& item : *items) {
    if (&item != &items->front()) query += '&';
    query += percentEncodedBytes(item.name, queryItemAllowed());
    if (item.value) query += '=' + percentEncodedBytes(*item.value, queryItemAllowed());
  }
  query_ = std::move(query);
}

std::string URLComponents::description() const {
  const auto& text = url_.absoluteString();
  const auto oldQuery = url_.query();
  const auto fragment = url_.fragment();
  const std::size_t tail = (oldQuery ? oldQuery->size() + 1 : 0) + (fragment ? fragment->size() + 1 : 0);
  std::string rebuilt = text.substr(0, text.size() - tail);
  if (query_) rebuilt += '?' + *query_;
  if (fragment) rebuilt += '#' + *fragment;
  return rebuilt;
}

std::optional<URL> URLComponents::url() const {
  // A query holding "#" or characters a URL may not hold does not come back
  // as the same query.
  auto url = URL::string(description());
  if (!url || url->query() != query_) return std::nullopt;
  return url;
}

}  // namespace platform
