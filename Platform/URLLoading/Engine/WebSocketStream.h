#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Platform/Foundation/HTTPHeaderFields.h"
#include "Platform/Foundation/HTTPURLResponse.h"
#include "Platform/URLLoading/Engine/WebSocketHandshake.h"
#include "Platform/URLLoading/URLSessionWebSocketTask.h"

namespace platform {

class SecTrust;
class WebSocketLoop;

// The socket of one WebSocket connection, plain or over TLS: the steps that
// open it and the frames it then carries. Used on its loop's thread only.
// Every operation reports to its completion exactly once; at most one read
// and one write (message, ping or close) are under way at a time.
class WebSocketStream {
 public:
  enum class Result {
    done,
    // `abort` ended it.
    aborted,
    timedOut,
    cannotFindHost,
    cannotConnect,
    connectionLost,
    secureConnectionFailed,
    // The answer to the upgrade request was read but refuses it or breaks
    // the handshake's rules.
    upgradeRefused,
    // The answer could not be read as HTTP.
    badResponse,
    // The peer's close frame came; the stream has answered it, and the
    // connection is over, however TCP ended it.
    closedByPeer,
    // A message went over the maximum size; the stream has closed with
    // 1009.
    messageTooBig,
  };
  using Completion = std::move_only_function<void(Result)>;
  using Duration = std::chrono::steady_clock::duration;
  using Message = URLSessionWebSocketTask::Message;

  // The loop must outlive the stream.
  static std::unique_ptr<WebSocketStream> make(WebSocketLoop& loop, const WebSocketEndpoint& endpoint);
  virtual ~WebSocketStream() = default;

  // A zero timeout sets none.
  virtual void resolve(Completion completion) = 0;
  virtual void connect(Duration timeout, Completion completion) = 0;
  // Secure streams only. The chain the server presents is kept for the
  // trust decision and not judged here.
  virtual void secureHandshake(Duration timeout, Completion completion) = 0;
  // Null before the secure handshake.
  virtual std::shared_ptr<SecTrust> serverTrust() const = 0;
  // Sends the upgrade request with `fields` and reads the answer.
  virtual void upgrade(const HTTPHeaderFields& fields, Duration timeout, Completion completion) = 0;
  // The answer to the upgrade request; null when none was read.
  virtual std::shared_ptr<HTTPURLResponse> response(const URL& url) const = 0;
  virtual std::int64_t requestHeaderBytes() const = 0;
  virtual std::int64_t responseHeaderBytes() const = 0;

  // A message longer than `maximumSize` ends the read with messageTooBig
  // before its bytes are taken in.
  virtual void read(std::uint64_t maximumSize, Completion completion) = 0;
  // The message the last read completed.
  virtual Message takeMessage() = 0;
  // `message` must stay in place until the completion.
  virtual void write(const Message& message, Completion completion) = 0;
  virtual void ping(std::string payload, Completion completion) = 0;
  // Sends the close frame and waits for the peer's.
  virtual void close(std::optional<std::uint16_t> status, std::string reason, Completion completion) = 0;
  // Called with the payload of each pong a read comes across.
  virtual void onPong(std::function<void(std::string_view)> handler) = 0;
  // The status and reason of the peer's close frame, once one came.
  virtual std::optional<std::uint16_t> peerCloseStatus() const = 0;
  virtual std::string peerCloseReason() const = 0;

  // Closes the socket at once: what is under way ends with `aborted`.
  virtual void abort() = 0;
};

}  // namespace platform
