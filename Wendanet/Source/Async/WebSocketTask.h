#pragma once

#include <expected>
#include <memory>
#include <optional>
#include <utility>

#include "Platform/Coding/CodingTraits.h"
#include "Platform/Concurrency/CheckedContinuation.h"
#include "Wendanet/Source/Async/RequestStream.h"
#include "Wendanet/Source/Core/WebSocketRequest.h"

namespace wendanet {

namespace detail {
// Only the request's last event ends a stream of its events.
template <class Event>
bool isCompletedEvent(const Event& event) {
  return std::holds_alternative<WebSocketRequest::Completed>(event.kind);
}
}  // namespace detail

// A WebSocket connection as loops and awaited sends. Only the request's
// `Completed` event ends a stream: a disconnection is an ordinary event.
// Leaving a loop early with automatic cancelling cancels a connection that
// is neither finished nor cancelled.
class WebSocketTask {
 public:
  using Message = WebSocketRequest::Message;
  using MessageEvent = WebSocketRequest::MessageEvent;
  template <class Output>
  using DecodedEvent = WebSocketRequest::DecodedEvent<Output>;
  // A decoded message, or why it could not be decoded.
  template <class Output>
  using Decoded = std::expected<Output, platform::AnyError>;
  using BufferingPolicy = platform::StreamBufferingPolicy;

  explicit WebSocketTask(std::shared_ptr<WebSocketRequest> request) : request_(std::move(request)) {}

  const std::shared_ptr<WebSocketRequest>& request() const { return request_; }

  StreamOf<MessageEvent> messageEventStream(bool automaticallyCancelling = true,
                                            BufferingPolicy bufferingPolicy = BufferingPolicy::unbounded()) const;
  // Received messages only.
  StreamOf<Message> messageStream(bool automaticallyCancelling = true,
                                  BufferingPolicy bufferingPolicy = BufferingPolicy::unbounded()) const;
  template <platform::Decodable T>
  StreamOf<DecodedEvent<T>> decodableEventStream(
      std::shared_ptr<const DataDecoder> decoder = makeDefaultDataDecoder(), bool automaticallyCancelling = true,
      BufferingPolicy bufferingPolicy = BufferingPolicy::unbounded()) const {
    return decodedStream<T, DecodedEvent<T>>(std::move(decoder), automaticallyCancelling, bufferingPolicy,
                                             [](const DecodedEvent<T>& event) { return std::optional(event); });
  }
  // Received messages, decoded; a message that does not decode comes as
  // its error, so that the loop sees it, and the stream goes on.
  template <platform::Decodable T>
  StreamOf<Decoded<T>> decodableStream(std::shared_ptr<const DataDecoder> decoder = makeDefaultDataDecoder(),
                                       bool automaticallyCancelling = true,
                                       BufferingPolicy bufferingPolicy = BufferingPolicy::unbounded()) const {
    using Failed = WebSocketRequest::SerializerFailed<platform::AnyError>;
    return decodedStream<T, Decoded<T>>(std::move(decoder), automaticallyCancelling, bufferingPolicy,
                                        [](const DecodedEvent<T>& event) -> std::optional<Decoded<T>> {
                                          if (auto message = event.message()) return *std::move(message);
                                          if (const auto* failed = std::get_if<Failed>(&event.kind)) {
                                            return std::unexpected(failed->error);
                                          }
                                          return std::nullopt;
                                        });
  }

  // `co_await task.send(message)` ends when the request reports the send
  // done, and throws the `platform::AnyError` it reports. A request that is
  // cancelled or finished reports its error instead of sending, so the
  // await never outlives the connection.
  auto send(Message message) const {
    return platform::withCheckedContinuation<void>(
        "send(_:)", [request = request_, message = std::move(message)](platform::CheckedContinuation<void> resume) {
          request->send(message, streamCompletionQueue(request->id()),
                        [resume](const WebSocketRequest::SendResult& result) {
                          if (result) {
                            resume.resume();
                          } else {
                            resume.resumeThrowing(std::make_exception_ptr(result.error()));
                          }
                        });
        });
  }

  void close(WebSocketRequest::CloseCode closeCode, std::optional<platform::Data> reason = std::nullopt) const {
    request_->cancelWithCloseCode(closeCode, std::move(reason));
  }
  // Stops the automatic ping and cancels.
  void cancel() const { request_->cancel(); }
  void resume() const { request_->resume(); }
  void suspend() const { request_->suspend(); }

 private:
  template <class T, class Element, class Transform>
  StreamOf<Element> decodedStream(std::shared_ptr<const DataDecoder> decoder, bool automaticallyCancelling,
                                  BufferingPolicy bufferingPolicy, Transform transform) const {
    using Event = DecodedEvent<T>;
    return detail::makeRequestStream<Element, Event>(
        request_, automaticallyCancelling, bufferingPolicy,
        [decoder = std::move(decoder)](WebSocketRequest& request, auto queue,
                                       std::function<void(const Event&)> handler) {
          request.streamDecodableEvents<T>(std::move(queue), decoder, std::move(handler));
        },
        std::move(transform), &detail::isCompletedEvent<Event>);
  }

  std::shared_ptr<WebSocketRequest> request_;
};

inline WebSocketTask makeWebSocketTask(std::shared_ptr<WebSocketRequest> request) {
  return WebSocketTask(std::move(request));
}

}  // namespace wendanet
