#include "Platform/URLLoading/Engine/WebSocketHandshake.h"

#include <algorithm>
#include <array>

#include "Platform/Foundation/ASCIICase.h"
#include "Platform/Foundation/URLError.h"
#include "Platform/URLLoading/Engine/RequestHeaderLines.h"

namespace platform {

namespace {

constexpr std::array handshakeFields{
    "Host", "Connection", "Upgrade", "Sec-WebSocket-Key", "Sec-WebSocket-Version", "Sec-WebSocket-Extensions"};

bool writtenByHandshake(std::string_view name) {
  return std::ranges::any_of(handshakeFields,
                             [&](std::string_view field) { return equalsIgnoringASCIICase(name, field); });
}

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::expected<WebSocketEndpoint, AnyError> webSocketEndpoint(const std::optional<URL>& url) {
  const auto failure = [&](URLError::Code code) { return std::unexpected(makeError(URLError(code, url))); };
  if (!url) return failure(URLError::Code::badURL);
  const auto scheme = asciiLowercased(url->scheme().value_or(""));
  if (scheme != "ws" && scheme != "wss") return failure(URLError::Code::unsupportedURL);
  const auto host = url->host();
  // The host comes decoded, so "%0D%0A" in it would end the Host line and
  // start a field of the URL's choosing.
  const auto isControlOrSpace = [](unsigned char character) { return character <= 0x20 || character == 0x7f; };
  if (!host || std::ranges::any_of(*host, isControlOrSpace)) return failure(URLError::Code::badURL);

  WebSocketEndpoint endpoint;
  endpoint.secure = scheme == "wss";
  endpoint.host = *host;
  const int defaultPort = endpoint.secure ? 443 : 80;
  const int port = url->port().value_or(defaultPort);
  if (port <= 0 || port > 65535) return failure(URLError::Code::badURL);
  endpoint.port = static_cast<std::uint16_t>(port);
  endpoint.hostField = host->find(':') == std::string::npos ? *host : "[" + *host + "]";
  if (port != defaultPort) endpoint.hostField += ":" + std::to_string(port);
  const auto path = url->percentEncodedPath();
  endpoint.target = path.empty() ? "/" : path;
  if (const auto query = url->query()) endpoint.target += "?" + *query;
  return endpoint;
}

std::expected<HTTPHeaderFields, AnyError> upgradeHeaderFields(
    const URLRequest& request, const std::optional<HTTPHeaderFields>& additionalHeaders) {
  auto fields = mergedHeaderFields(request, additionalHeaders);
  if (fields) std::erase_if(*fields, [](const HTTPHeaderField& field) { return writtenByHandshake(field.first); });
  return fields;
}

bool offersSubprotocol(std::string_view offered, std::string_view chosen) {
  chosen = trimmed(chosen);
  while (!offered.empty()) {
    const auto comma = offered.find(',');
    if (trimmed(offered.substr(0, comma)) == chosen) return true;
    if (comma == std::string_view::npos) break;
    offered.remove_prefix(comma + 1);
  }
  return false;
}

}  // namespace platform
