#pragma once

#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>

#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/HTTPHeaderFields.h"
#include "Platform/Foundation/URL.h"
#include "Platform/Foundation/URLRequest.h"

namespace platform {

// Where a WebSocket task connects and what its upgrade request names.
struct WebSocketEndpoint {
  bool secure = false;
  // As resolved and as the server's certificate must name it; an IPv6
  // address without brackets.
  std::string host;
  std::uint16_t port = 0;
  // The Host field: the host (an IPv6 address in brackets), with ":port"
  // when the port is not the scheme's own.
  std::string hostField;
  // The path as typed ("/" for none) and the query.
  std::string target;

  friend bool operator==(const WebSocketEndpoint&, const WebSocketEndpoint&) = default;
};

// Fails with URLError -1000 without a URL or host or with a port out of
// range, and with -1002 for a scheme other than ws and wss.
std::expected<WebSocketEndpoint, AnyError> webSocketEndpoint(const std::optional<URL>& url);

// The fields an upgrade request carries besides those the handshake writes
// itself (Host, Connection, Upgrade and the Sec-WebSocket-Key, -Version and
// -Extensions fields, which a caller's field must not replace): the merged
// fields of the request and the configuration, refused as for any request.
std::expected<HTTPHeaderFields, AnyError> upgradeHeaderFields(const URLRequest& request,
                                                              const std::optional<HTTPHeaderFields>& additionalHeaders);

// True when `chosen`, the server's answer, is one of the sub-protocols in
// `offered`, the request's comma-separated list.
bool offersSubprotocol(std::string_view offered, std::string_view chosen);

}  // namespace platform
