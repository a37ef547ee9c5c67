#include "Platform/URLLoading/URLSessionWebSocketTask.h"

#include "Platform/URLLoading/Engine/WebSocketRun.h"

namespace platform {

void URLSessionWebSocketTask::send(Message message, SendCompletionHandler completionHandler) {
  run_->send(std::move(message), std::move(completionHandler));
}

void URLSessionWebSocketTask::receive(ReceiveCompletionHandler completionHandler) {
  run_->receive(std::move(completionHandler));
}

void URLSessionWebSocketTask::sendPing(PongReceiveHandler pongReceiveHandler) {
  run_->sendPing(std::move(pongReceiveHandler));
}

// The engine's cancel finds the close request here; the first request made
// while the task still ran is the one that counts.
void URLSessionWebSocketTask::cancelWithCloseCode(CloseCode closeCode, std::optional<Data> reason) {
  {
    std::lock_guard lock(socketMutex_);
    const auto current = state();
    if (closeRequest_ || (current != State::running && current != State::suspended)) return;
    closeRequest_ = CloseRequest{closeCode, std::move(reason)};
  }
  cancel();
}

std::int64_t URLSessionWebSocketTask::maximumMessageSize() const {
  std::lock_guard lock(socketMutex_);
  return maximumMessageSize_;
}

void URLSessionWebSocketTask::setMaximumMessageSize(std::int64_t bytes) {
  std::lock_guard lock(socketMutex_);
  maximumMessageSize_ = bytes;
}

URLSessionWebSocketTask::CloseCode URLSessionWebSocketTask::closeCode() const {
  std::lock_guard lock(socketMutex_);
  return closeCode_;
}

std::optional<Data> URLSessionWebSocketTask::closeReason() const {
  std::lock_guard lock(socketMutex_);
  return closeReason_;
}

std::optional<URLSessionWebSocketTask::CloseRequest> URLSessionWebSocketTask::closeRequest() const {
  std::lock_guard lock(socketMutex_);
  return closeRequest_;
}

void URLSessionWebSocketTask::setClose(CloseCode code, std::optional<Data> reason) {
  std::lock_guard lock(socketMutex_);
  closeCode_ = code;
  closeReason_ = std::move(reason);
}

}  // namespace platform
