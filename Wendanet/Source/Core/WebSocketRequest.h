#pragma once

#include <cstdint>
#include <expected>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "Platform/Dispatch/DispatchWorkItem.h"
#include "Platform/Foundation/Date.h"
#include "Platform/URLLoading/URLSessionWebSocketTask.h"
#include "Wendanet/Source/Core/ChainedRequest.h"
#include "Wendanet/Source/Core/Request.h"
#include "Wendanet/Source/Core/TaggedUnion.h"
#include "Wendanet/Source/Core/URLRequestConvertible.h"
#include "Wendanet/Source/Support/WebSocketMessageSerializer.h"

namespace wendanet {

// One WebSocket connection. The session creates its task and reports the
// opening and closing handshakes; the request turns them, every received
// message and its own end into events for the handlers registered with it.
// Every handler gets its events through the serialization queue, in the
// order they happened, and exactly one `Completed` event, the last, once the
// request has finished.
//
// Two locks: the request's state lock and the socket lock. The socket lock
// is never taken under the state lock; the state lock is taken under the
// socket lock only to arm the automatic ping.
class WebSocketRequest final : public ChainedRequest<WebSocketRequest> {
 public:
  using Message = platform::URLSessionWebSocketTask::Message;
  using CloseCode = platform::URLSessionWebSocketCloseCode;
  // Success carries nothing.
  using SendResult = std::expected<void, platform::AnyError>;
  using SendCompletion = std::function<void(const SendResult&)>;

  struct Configuration {
    static constexpr std::int64_t defaultMaximumMessageSize = 1 << 20;

    // Offered to the server as "Sec-WebSocket-Protocol".
    std::optional<std::string> protocol;
    std::int64_t maximumMessageSize = defaultMaximumMessageSize;
    // Seconds between an answered automatic ping and the next one.
    std::optional<double> pingInterval;

    static Configuration defaultValue() { return {}; }
    static Configuration withProtocol(std::string protocol) {
      Configuration configuration;
      configuration.protocol = std::move(protocol);
      return configuration;
    }
    static Configuration withMaximumMessageSize(std::int64_t bytes) {
      Configuration configuration;
      configuration.maximumMessageSize = bytes;
      return configuration;
    }
    static Configuration withPingInterval(double seconds) {
      Configuration configuration;
      configuration.pingInterval = seconds;
      return configuration;
    }
  };

  // The state of the request when it finished, for its handlers.
  struct Completion {
    std::optional<platform::URLRequest> request;
    std::shared_ptr<const platform::HTTPURLResponse> response;
    std::shared_ptr<const platform::URLSessionTaskMetrics> metrics;
    std::optional<WNError> error;
  };

  // The cases of an event.
  struct Connected {
    // The sub-protocol the server chose.
    std::optional<std::string> protocol;
  };
  template <class Output>
  struct ReceivedMessage {
    Output message;
  };
  template <class Failure>
  struct SerializerFailed {
    Failure error;
  };
  struct Disconnected {
    CloseCode closeCode;
    std::optional<platform::Data> reason;
  };
  struct Completed {
    Completion completion;
  };

  // What the request fans out to its handlers before translation.
  using IncomingEvent = std::variant<Connected, ReceivedMessage<Message>, Disconnected, Completed>;

  // What a caller's handler receives.
  template <class Output, class Failure>
  struct Event {
    using Kind = std::variant<Connected, ReceivedMessage<Output>, SerializerFailed<Failure>, Disconnected, Completed>;

    // Null once the request is gone.
    std::weak_ptr<WebSocketRequest> socket;
    Kind kind;

    std::optional<Output> message() const {
      if (const auto* received = std::get_if<ReceivedMessage<Output>>(&kind)) return received->message;
      return std::nullopt;
    }
  };
  // The failure of plain message events: it has no values.
  struct Never {
    Never() = delete;
  };
  using MessageEvent = Event<Message, Never>;
  template <class Output>
  using DecodedEvent = Event<Output, platform::AnyError>;

  // The answer to one ping.
  struct Pong {
    platform::Date start;
    platform::Date end;
    // Seconds, on the uptime clock: changes of the wall clock do not count.
    double latency;
  };
  struct PingFailed {
    platform::AnyError error;
  };
  // The request was not resumed, or had no connection to ping.
  struct Unsent {};
  using PingResponse = std::variant<Pong, PingFailed, Unsent>;
  using PingHandler = std::function<void(const PingResponse&)>;

  static std::shared_ptr<WebSocketRequest> make(BaseFields fields,
                                                std::shared_ptr<const URLRequestConvertible> convertible,
                                                Configuration configuration = Configuration::defaultValue());

  const std::shared_ptr<const URLRequestConvertible>& convertible() const { return convertible_; }
  const Configuration& configuration() const { return configuration_; }

  // Called by the session, on the underlying queue.
  std::shared_ptr<platform::URLSessionTask> createTask(const platform::URLRequest& urlRequest,
                                                       const std::shared_ptr<platform::URLSession>& session) override;
  // Stops the process for a task that is not a WebSocket task.
  void didCreateTask(const std::shared_ptr<platform::URLSessionTask>& task) override;
  void didConnect(const std::optional<std::string>& protocol);
  // `reason` is absent when the close frame had none.
  void didDisconnect(CloseCode closeCode, const std::optional<platform::Data>& reason);
  // The outcome of one receive on the current task; a failure ends the
  // receive loop, and the request hears of the end through its task.
  void didReceive(const std::expected<Message, platform::AnyError>& result);
  // Fails the sends still waiting for a task that will never come.
  void finish(const std::optional<WNError>& error = std::nullopt) override;

  // From any thread. Sends made before the task exists wait for it and go
  // out first, in call order. The completion is called once, on `queue`; a
  // request cancelled or finished fails it with its error (or
  // explicitlyCancelled when it has none) instead of sending.
  void send(Message message, std::shared_ptr<platform::DispatchQueue> queue, SendCompletion completion);
  // Both stop the automatic ping first. A plain cancel stores
  // explicitlyCancelled; a close with a code sends the close frame and
  // stores no error of its own.
  WebSocketRequest& cancel() override;
  WebSocketRequest& cancelWithCloseCode(CloseCode closeCode, std::optional<platform::Data> reason);
  // Answers on `queue`, once: the pong with its timing, the platform's
  // error, or `Unsent` when the request is not resumed or has no task.
  void sendPing(std::shared_ptr<platform::DispatchQueue> queue, PingHandler handler);

  // Registrations; each handler sees only the events after it was
  // registered, and may start the request as any response handler does.
  WebSocketRequest& streamMessageEvents(std::shared_ptr<platform::DispatchQueue> queue,
                                        std::function<void(const MessageEvent&)> handler);
  // Received messages only.
  WebSocketRequest& streamMessages(std::shared_ptr<platform::DispatchQueue> queue,
                                   std::function<void(const Message&)> handler);
  // Each registration decodes every message itself, on the serialization
  // queue; a message that fails to decode becomes `SerializerFailed` and the
  // stream goes on.
  template <WebSocketMessageSerializer Serializer>
  WebSocketRequest& streamMessageEventsUsingSerializer(
      Serializer serializer, std::shared_ptr<platform::DispatchQueue> queue,
      std::function<void(const DecodedEvent<typename Serializer::Output>&)> handler);
  template <platform::Decodable T>
  WebSocketRequest& streamDecodableEvents(std::shared_ptr<platform::DispatchQueue> queue,
                                          std::shared_ptr<const DataDecoder> decoder,
                                          std::function<void(const DecodedEvent<T>&)> handler) {
    return streamMessageEventsUsingSerializer(DecodableWebSocketMessageDecoder<T>(std::move(decoder)),
                                              std::move(queue), std::move(handler));
  }
  // Decoded values only; messages that fail to decode are left out.
  template <platform::Decodable T>
  WebSocketRequest& streamDecodable(std::shared_ptr<platform::DispatchQueue> queue,
                                    std::function<void(const T&)> handler) {
    return streamDecodableEvents<T>(std::move(queue), makeDefaultDataDecoder(),
                                    [handler = std::move(handler)](const DecodedEvent<T>& event) {
                                      if (auto value = event.message()) handler(*value);
                                    });
  }

 private:
  using Translator = std::function<void(const IncomingEvent&)>;

  struct EnqueuedSend {
    Message message;
    std::shared_ptr<platform::DispatchQueue> queue;
    SendCompletion completion;
  };
  struct SocketMutableState {
    std::vector<EnqueuedSend> enqueuedSends;
    // Each only hands the event on to the serialization queue.
    std::vector<Translator> handlers;
    std::shared_ptr<platform::DispatchWorkItem> pingTimerItem;
    // The task sends go to once it exists; recorded in the same hold as the
    // queued sends are handed over, so that no send is lost or reordered.
    std::shared_ptr<platform::URLSessionWebSocketTask> task;
    // Set when the request finishes: a send that read the state just
    // before is failed, not queued for a task that will not come.
    bool hasFinished = false;
  };

  WebSocketRequest(BaseFields fields, std::shared_ptr<const URLRequestConvertible> convertible,
                   Configuration configuration);

  std::shared_ptr<WebSocketRequest> self() { return std::static_pointer_cast<WebSocketRequest>(shared_from_this()); }
  std::weak_ptr<WebSocketRequest> weakSelf() { return self(); }

  // Runs `step` on the underlying queue, keeping the request alive.
  void later(std::move_only_function<void(WebSocketRequest&)> step);
  void receiveNext(std::shared_ptr<platform::URLSessionWebSocketTask> task);
  void fanOut(const IncomingEvent& event);
  WebSocketRequest& addHandler(Translator translator);
  void sendCompletedEvent(const std::shared_ptr<const Translator>& translator);
  Completion makeCompletion() const;
  void didCancelWithCloseCode();
  // A cancelled or finished request's error for a send it will not make.
  WNError unsentError() const;

  // Automatic ping; the caller holds the socket lock.
  void startAutomaticPing(SocketMutableState& state, double interval);
  void cancelAutomaticPing();
  static void automaticPingTick(const std::weak_ptr<WebSocketRequest>& request, double interval);
  void didReceiveAutomaticPong(const PingResponse& response, double interval);

  // Turns an incoming event into a caller's event, its message by
  // `translateMessage`.
  template <class Output, class Failure, class TranslateMessage>
  static Event<Output, Failure> translate(const std::weak_ptr<WebSocketRequest>& socket, const IncomingEvent& incoming,
                                          const TranslateMessage& translateMessage);

  mutable Protected<SocketMutableState> socketMutableState_;
  const std::shared_ptr<const URLRequestConvertible> convertible_;
  const Configuration configuration_;
};

template <class Output, class Failure, class TranslateMessage>
WebSocketRequest::Event<Output, Failure> WebSocketRequest::translate(const std::weak_ptr<WebSocketRequest>& socket,
                                                                     const IncomingEvent& incoming,
                                                                     const TranslateMessage& translateMessage) {
  using Kind = typename Event<Output, Failure>::Kind;
  return {socket, std::visit(Overloaded{
                                 [&](const ReceivedMessage<Message>& received) -> Kind {
                                   return translateMessage(received.message);
                                 },
                                 [](const auto& unchanged) -> Kind { return unchanged; },
                             },
                             incoming)};
}

template <WebSocketMessageSerializer Serializer>
WebSocketRequest& WebSocketRequest::streamMessageEventsUsingSerializer(
    Serializer serializer, std::shared_ptr<platform::DispatchQueue> queue,
    std::function<void(const DecodedEvent<typename Serializer::Output>&)> handler) {
  using Output = typename Serializer::Output;
  using Kind = typename DecodedEvent<Output>::Kind;
  return addHandler([socket = weakSelf(), serializer = std::move(serializer), queue = std::move(queue),
                     handler = std::move(handler)](const IncomingEvent& incoming) {
    auto event = translate<Output, platform::AnyError>(socket, incoming, [&](const Message& message) -> Kind {
      auto decoded = serializer.decode(message);
      if (!decoded) return SerializerFailed<platform::AnyError>{platform::makeError(std::move(decoded.error()))};
      return ReceivedMessage<Output>{*std::move(decoded)};
    });
    queue->async([handler, event = std::move(event)] { handler(event); });
  });
}

}  // namespace wendanet
