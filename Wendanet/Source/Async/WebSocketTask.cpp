#include "Wendanet/Source/Async/WebSocketTask.h"

namespace wendanet {

namespace {

using MessageEvent = WebSocketTask::MessageEvent;

template <class Element>
StreamOf<Element> messageEvents(const std::shared_ptr<WebSocketRequest>& request, bool automaticallyCancelling,
                                platform::StreamBufferingPolicy bufferingPolicy,
                                std::function<std::optional<Element>(const MessageEvent&)> transform) {
  return detail::makeRequestStream<Element, MessageEvent>(
      request, automaticallyCancelling, bufferingPolicy,
      [](WebSocketRequest& request, auto queue, std::function<void(const MessageEvent&)> handler) {
        request.streamMessageEvents(std::move(queue), std::move(handler));
      },
      std::move(transform), &detail::isCompletedEvent<MessageEvent>);
}

}  // namespace

StreamOf<MessageEvent> WebSocketTask::messageEventStream(bool automaticallyCancelling,
                                                         BufferingPolicy bufferingPolicy) const {
  return messageEvents<MessageEvent>(request_, automaticallyCancelling, bufferingPolicy,
                                     [](const MessageEvent& event) { return std::optional(event); });
}

StreamOf<WebSocketTask::Message> WebSocketTask::messageStream(bool automaticallyCancelling,
                                                              BufferingPolicy bufferingPolicy) const {
  return messageEvents<Message>(request_, automaticallyCancelling, bufferingPolicy,
                                [](const MessageEvent& event) { return event.message(); });
}

}  // namespace wendanet
