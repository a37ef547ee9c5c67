#include "Wendalore/Editor/QueryParamSync.h"

#include <algorithm>
#include <optional>
#include <ranges>
#include <vector>

#include "Platform/Foundation/URLComponents.h"
#include "Platform/Text/CanonicalText.h"

namespace wendalore::queryparamsync {
namespace {

// The rows the URL shows. A row without a key cannot be written as a query
// item, so it is neither written nor compared.
bool isInURL(const RequestQueryParam& row) { return row.isEnabled() && !row.key().empty(); }

// The URL's items that a row can stand for: an item without a name would
// become a row without a key, which the URL never shows again.
std::optional<std::vector<platform::URLQueryItem>> namedItems(const std::string& url) {
  auto components = platform::URLComponents::string(url);
  if (!components) return std::nullopt;
  auto items = components->queryItems();
  if (items) std::erase_if(*items, [](const auto& item) { return item.name.empty(); });
  return items;
}

}  // namespace

bool rowsFromURL(RequestTemplate& request, platform::ModelContext& context) {
  const auto items = namedItems(request.url());
  if (!items) return false;

  const auto& rows = request.queryParams();
  auto shown = rows | std::views::filter([](const auto& row) { return isInURL(*row); });
  const bool matches = std::ranges::equal(shown, *items, [](const auto& row, const auto& item) {
    return platform::canonicallyEqual(row->key(), item.name) &&
           platform::canonicallyEqual(row->value(), item.value.value_or(""));
  });
  if (matches) return false;

  // The URL's items take the places of the rows it shows, in order; extra
  // items go to the end.
  ModelList<RequestQueryParam> rebuilt;
  ModelList<RequestQueryParam> dropped;
  auto next = items->begin();
  const auto rowFor = [](const platform::URLQueryItem& item) {
    return RequestQueryParam::make(item.name, item.value.value_or(""), true);
  };
  for (const auto& row : rows) {
    if (!isInURL(*row)) {
      rebuilt.push_back(row);
      continue;
    }
    dropped.push_back(row);
    if (next != items->end()) rebuilt.push_back(rowFor(*next++));
  }
  for (; next != items->end(); ++next) rebuilt.push_back(rowFor(*next));

  request.setQueryParams(std::move(rebuilt));
  for (const auto& row : dropped) context.deleteModel(row);
  return true;
}

void urlFromRows(RequestTemplate& request) {
  // An empty text is a reference like any other, with nothing but a query
  // to write: rows typed before the address go into the text, and the
  // address is typed in front of them. A bare "?" is that reference with an
  // empty query, which the rows then replace or remove.
  const auto& url = request.url();
  auto components = platform::URLComponents::string(url.empty() ? "?" : url);
  if (!components) return;
  std::vector<platform::URLQueryItem> items;
  for (const auto& row : request.queryParams()) {
    if (isInURL(*row)) items.push_back({row->key(), row->value()});
  }
  components->setQueryItems(items.empty() ? std::nullopt : std::optional(std::move(items)));
  if (auto rebuilt = components->url()) {
    request.setURL(rebuilt->absoluteString());
  } else if (components->description().empty()) {
    // A text that was only its query, with no row left to write.
    request.setURL("");
  }
}

}  // namespace wendalore::queryparamsync
