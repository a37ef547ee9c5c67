#pragma once

#include <cstdint>
#include <expected>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <variant>

#include "Platform/Foundation/Data.h"
#include "Platform/URLLoading/URLSessionTask.h"
#include "Platform/URLLoading/URLSessionWebSocketCloseCode.h"

namespace platform {

class WebSocketRun;

// A task that holds one WebSocket connection. Resuming it connects to the
// request's ws or wss URL and sends the upgrade request with the request's
// header fields (its "Sec-WebSocket-Protocol" field offers the
// sub-protocols); the 101 answer becomes the task's response and the
// delegate hears `didOpenWithProtocol`. The task ends with the closing
// handshake, a cancel or a failure.
//
// Sends, receives and pings may be asked for at any time from any thread:
// before the connection is open they wait for it, messages go out one at a
// time in the order asked for, and every handler is called exactly once on
// the session's delegate queue. When the task ends, every handler still
// waiting, and every one asked for later, gets the error the task ended
// with; after a clean close that is URLError -999 when this side closed and
// -1005 when the server did.
class URLSessionWebSocketTask : public URLSessionTask {
 public:
  // Data or text.
  using Message = std::variant<Data, std::string>;
  using CloseCode = URLSessionWebSocketCloseCode;
  // Null when the message went out.
  using SendCompletionHandler = std::move_only_function<void(AnyError)>;
  using ReceiveCompletionHandler = std::move_only_function<void(std::expected<Message, AnyError>)>;
  // Null when the pong came.
  using PongReceiveHandler = std::move_only_function<void(AnyError)>;

  static constexpr std::int64_t defaultMaximumMessageSize = 1 << 20;

  using URLSessionTask::URLSessionTask;

  void send(Message message, SendCompletionHandler completionHandler);
  // The next message, whole, once it has arrived. Messages that arrive
  // while nobody asks wait for the next receive.
  void receive(ReceiveCompletionHandler completionHandler);
  // The handler hears of the pong that answers this ping.
  void sendPing(PongReceiveHandler pongReceiveHandler);

  // Ends an open connection with the closing handshake: the close frame
  // goes out after the messages and pings asked for before, and the task
  // completes without error once the server has answered it. Codes that
  // may not appear in a close frame (`invalid`, 1005, 1006 and 1015) go out
  // as a frame without a code; a reason goes out only with a code, cut to
  // the 123 bytes a frame holds. Before the connection is open this is a
  // plain cancel.
  void cancelWithCloseCode(CloseCode closeCode, std::optional<Data> reason);

  // A received message larger than this fails the receive and closes the
  // connection with 1009. Read when each message starts; 0 or less sets
  // no limit.
  std::int64_t maximumMessageSize() const;
  void setMaximumMessageSize(std::int64_t bytes);

  // The close frame that ended the connection, from whichever side closed
  // first; `invalid` and none until then, and for a connection that ended
  // without one.
  CloseCode closeCode() const;
  std::optional<Data> closeReason() const;

 protected:
  std::string_view kindName() const override { return "URLSessionWebSocketTask"; }

 private:
  friend class SessionEngine;
  friend class URLSession;
  friend class WebSocketRun;

  struct CloseRequest {
    CloseCode code;
    std::optional<Data> reason;
  };

  // Run side.
  std::optional<CloseRequest> closeRequest() const;
  void setClose(CloseCode code, std::optional<Data> reason);

  // Set by the session before anyone else sees the task.
  std::shared_ptr<WebSocketRun> run_;

  mutable std::mutex socketMutex_;
  std::int64_t maximumMessageSize_ = defaultMaximumMessageSize;
  std::optional<CloseRequest> closeRequest_;
  CloseCode closeCode_ = CloseCode::invalid;
  std::optional<Data> closeReason_;
};

}  // namespace platform
