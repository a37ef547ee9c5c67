#include "Wendalore/History/RawRequestText.h"

#include <fmt/format.h>

#include <optional>

#include "Platform/Foundation/ASCIICase.h"
#include "Platform/Foundation/URL.h"
#include "Wendalore/History/HeaderRows.h"
#include "Wendalore/History/RowsAsSent.h"
#include "Wendalore/History/SentBody.h"
#include "Wendanet/Source/Support/MultipartFormData.h"

namespace wendalore {
namespace {

// The target as it went on the wire: escapes stay, or the text would
// describe another request ("q=x%26y" is one parameter, "q=x&y" two).
std::string requestTarget(const std::optional<platform::URL>& url, const std::string& text) {
  if (!url) return text;
  std::string target = url->percentEncodedPath();
  if (target.empty()) target = "/";
  if (const auto query = url->query()) target += "?" + *query;
  return target;
}

std::optional<int> defaultPort(const std::optional<std::string>& scheme) {
  if (!scheme) return std::nullopt;
  if (platform::equalsIgnoringASCIICase(*scheme, "http") || platform::equalsIgnoringASCIICase(*scheme, "ws")) return 80;
  if (platform::equalsIgnoringASCIICase(*scheme, "https") || platform::equalsIgnoringASCIICase(*scheme, "wss")) {
    return 443;
  }
  return std::nullopt;
}

// Host and, unless it is the scheme's own, port: the Host header a client
// sends for the URL.
std::optional<std::string> hostHeader(const std::optional<platform::URL>& url) {
  if (!url) return std::nullopt;
  auto host = url->host();
  if (!host) return std::nullopt;
  if (host->find(':') != std::string::npos) host = "[" + *host + "]";
  const auto port = url->port();
  if (port && port != defaultPort(url->scheme())) *host += ":" + std::to_string(*port);
  return host;
}

// The recorded rows as they went out, and a Host for the URL unless a row
// gave one.
HeaderDictionary headersWithHost(const RequestHistoryItem& item, const std::optional<platform::URL>& url) {
  HeaderDictionary headers = rowsAsSent(item);
  const bool hasHost = std::ranges::any_of(
      headers, [](const auto& header) { return platform::equalsIgnoringASCIICase(header.first, "host"); });
  if (!hasHost) {
    if (auto host = hostHeader(url)) headers.emplace("Host", std::move(*host));
  }
  return headers;
}

// A form's parts with their heads as the library wrote them, so that names
// read as the server received them; each file's bytes are named rather than
// shown: they may be large or binary. A form without parts went out as no
// bytes at all, not even a closing boundary.
std::string formDescription(const SentForm& form) {
  if (form.files.empty()) return {};
  std::string text;
  for (const auto& file : form.files) {
    text += fmt::format("--{}\n", form.boundary);
    for (const auto& header : wendanet::MultipartFormData::contentHeaders(file.name, file.fileName, file.mimeType)) {
      text += fmt::format("{}: {}\n", header.name(), header.value());
    }
    text += fmt::format("\n({} bytes of the file {})\n", file.size, file.path);
  }
  return text + fmt::format("--{}--\n", form.boundary);
}

}  // namespace

std::string rawRequestText(const RequestHistoryItem& item) {
  const auto url = platform::URL::string(item.url());
  std::string text = item.method() + " " + requestTarget(url, item.url()) + " HTTP/1.1\n";

  for (const auto& [name, value] : sortedHeaders(headersWithHost(item, url))) text += name + ": " + value + "\n";
  text += "\n";
  if (const auto* body = sentBody(item)) text += *body;
  if (item.bodyWasSent() && item.sentForm()) text += formDescription(*item.sentForm());
  return text;
}

}  // namespace wendalore
