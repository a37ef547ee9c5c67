#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "Platform/Foundation/HTTPHeaderFields.h"

namespace testservers {

struct WebSocketServerState;

// A WebSocket server inside the test process, on a free loopback port. It
// upgrades a request for any path but these:
//   /forbidden     answered 403 with the body "no"
//   /always-chat   upgraded with the sub-protocol "chat", offered or not
// Elsewhere it chooses "chat" when the client offers it, and no
// sub-protocol otherwise. It answers pings and echoes every message, text
// as text and binary as binary, up to 16 MiB, except two text commands:
//   "close <code> <reason>"   closes with that code and reason
//   "close-reset <code> <reason>"
//                             sends that close frame, waits for the
//                             client's, then resets the connection
//   "drop"                    drops the connection without a close frame
//   "reset"                   resets the connection without a close frame
// Over TLS it presents the valid test server certificate.
class WebSocketEchoServer {
 public:
  enum class Transport { plain, tls };

  explicit WebSocketEchoServer(Transport transport = Transport::plain);
  // Drops every connection and waits for their threads.
  ~WebSocketEchoServer();
  WebSocketEchoServer(const WebSocketEchoServer&) = delete;
  WebSocketEchoServer& operator=(const WebSocketEchoServer&) = delete;

  // "ws://127.0.0.1:<port>" or "wss://…", without a trailing slash.
  std::string baseURL() const;
  // HTTP requests read, upgraded or not.
  std::size_t requestCount() const;
  // The header fields of the last request read, as received.
  platform::HTTPHeaderFields lastRequestFields() const;

  // A close frame a client sent; no code for a frame without a status.
  struct CloseFrame {
    std::optional<std::uint16_t> code;
    std::string reason;
    friend bool operator==(const CloseFrame&, const CloseFrame&) = default;
  };
  // The next close frame a client sent, in the order they came; none when
  // no frame comes within `timeout`.
  std::optional<CloseFrame> nextCloseFrame(std::chrono::milliseconds timeout = std::chrono::seconds(10));

 private:
  std::shared_ptr<WebSocketServerState> state_;
};

}  // namespace testservers
