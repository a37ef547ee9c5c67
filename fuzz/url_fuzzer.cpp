// Feeds arbitrary text to the URL parser and the query codec. The first byte
// picks how the rest is used, so one corpus covers both.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Foundation/PercentEncoding.h"
#include "Platform/Foundation/UTF8.h"
#include "Platform/Foundation/UnicodeScalars.h"
#include "Platform/Foundation/URL.h"
#include "Platform/Foundation/URLComponents.h"

using namespace platform;

namespace {

void require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "url_fuzzer: %s\n", what);
    std::abort();
  }
}

void checkParsedText(std::string_view text) {
  const auto url = URL::string(text);
  if (!url) return;
  require(url->absoluteString() == text, "absoluteString differs from the parsed text");
  // Reading every part must be safe on any URL.
  (void)url->host(), (void)url->port(), (void)url->user(), (void)url->password(), (void)url->path();
  (void)url->pathExtension(), (void)url->isFileURL();
  (void)url->appendingPathComponent(text), (void)url->deletingLastPathComponent();

  URLComponents components(*url);
  const auto rebuilt = components.url();
  require(rebuilt && *rebuilt == *url, "unchanged components do not give the same URL back");
  if (const auto items = components.queryItems()) {
    components.setQueryItems(items);
    require(components.url().has_value(), "rewritten query items give no URL");
    require(components.queryItems() == items, "query items change when written back");
  }
}

// Splits the text into items: "\n" between items, the first "\t" between name
// and value (no "\t": no value).
std::vector<URLQueryItem> itemsFrom(std::string_view text) {
  std::vector<URLQueryItem> items;
  for (std::size_t start = 0; start <= text.size();) {
    const auto end = std::min(text.find('\n', start), text.size());
    const auto piece = text.substr(start, end - start);
    const auto tab = piece.find('\t');
    if (tab == std::string_view::npos) {
      items.push_back({std::string(piece), std::nullopt});
    } else {
      items.push_back({std::string(piece.substr(0, tab)), std::string(piece.substr(tab + 1))});
    }
    start = end + 1;
  }
  return items;
}

void checkQueryItems(std::string_view text) {
  auto components = URLComponents::string("http://h/p#f");
  require(components.has_value(), "the fixed URL does not parse");
  const auto items = itemsFrom(text);
  components->setQueryItems(items);
  const auto url = components->url();
  require(url.has_value(), "written query items give no URL");
  // One item without name or value writes the same empty query as no items.
  const bool onlyEmptyItem = items.size() == 1 && items[0] == URLQueryItem{};
  const auto readBack = URLComponents(*url).queryItems();
  require(onlyEmptyItem ? readBack->empty() : readBack == items, "query items do not read back unchanged");
  require(url->fragment() == "f" && url->path() == "/p", "writing the query changed another part");

  if (const auto decoded = removingPercentEncoding(text)) {
    require(isValidUTF8(*decoded), "percent-decoding gave text that is not UTF-8");
  }
  if (const auto encoded = addingPercentEncoding(text, CharacterSet::urlQueryAllowed())) {
    require(removingPercentEncoding(*encoded) == std::string(text), "percent-encoding does not round-trip");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] & 1) {
    checkQueryItems(text);
  } else {
    checkParsedText(text);
  }
  return 0;
}
