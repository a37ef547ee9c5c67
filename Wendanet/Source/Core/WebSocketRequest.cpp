#include "Wendanet/Source/Core/WebSocketRequest.h"

#include <string>
#include <utility>

#include "Platform/Fatal.h"
#include "Platform/Foundation/URLError.h"
#include "Platform/URLLoading/URLSession.h"
#include "Wendanet/Source/Core/HTTPHeaders.h"

namespace wendanet {

namespace {

// What a send gets once the connection has closed without a failure:
// nothing cancelled it, the socket is simply gone.
class SocketClosedError final : public platform::ErrorBase<SocketClosedError> {
 public:
  std::string description() const override { return "The WebSocket connection is closed."; }
};

// Hands one message to the task; its outcome goes to `completion` on
// `queue`.
void sendThroughTask(platform::URLSessionWebSocketTask& task, WebSocketRequest::Message message,
                     std::shared_ptr<platform::DispatchQueue> queue, WebSocketRequest::SendCompletion completion) {
  task.send(std::move(message), [queue = std::move(queue), completion = std::move(completion)](
                                    const platform::AnyError& error) {
    queue->async([completion, error] {
      if (error) return completion(std::unexpected(error));
      completion({});
    });
  });
}

void failSend(const std::shared_ptr<platform::DispatchQueue>& queue, WebSocketRequest::SendCompletion completion,
              const platform::AnyError& error) {
  queue->async([completion = std::move(completion), error] { completion(std::unexpected(error)); });
}

bool isTaskCancellation(const WNError& error) {
  if (!error.isSessionTaskFailed()) return false;
  const auto underlying = error.getUnderlyingError();
  const auto* urlError = dynamic_cast<const platform::URLError*>(underlying.get());
  return urlError && urlError->code() == platform::URLError::Code::cancelled;
}

}  // namespace

std::shared_ptr<WebSocketRequest> WebSocketRequest::make(BaseFields fields,
                                                         std::shared_ptr<const URLRequestConvertible> convertible,
                                                         Configuration configuration) {
  return std::shared_ptr<WebSocketRequest>(
      new WebSocketRequest(std::move(fields), std::move(convertible), std::move(configuration)));
}

WebSocketRequest::WebSocketRequest(BaseFields fields, std::shared_ptr<const URLRequestConvertible> convertible,
                                   Configuration configuration)
    : ChainedRequest(std::move(fields)),
      // Given explicitly: clang does not count a nested struct with member
      // initializers as default-constructible inside its enclosing class.
      socketMutableState_(SocketMutableState{}),
      convertible_(std::move(convertible)),
      configuration_(std::move(configuration)) {}

// The task.

std::shared_ptr<platform::URLSessionTask> WebSocketRequest::createTask(
    const platform::URLRequest& urlRequest, const std::shared_ptr<platform::URLSession>& session) {
  platform::URLRequest request = urlRequest;
  if (configuration_.protocol) {
    HTTPHeaders headers(request.allHTTPHeaderFields().value_or(platform::HTTPHeaderFields{}));
    headers.update("Sec-WebSocket-Protocol", *configuration_.protocol);
    request.setAllHTTPHeaderFields(headers.makeDictionary());
  }
  auto task = session->webSocketTaskWithRequest(std::move(request));
  task->setMaximumMessageSize(configuration_.maximumMessageSize);
  return task;
}

void WebSocketRequest::didCreateTask(const std::shared_ptr<platform::URLSessionTask>& task) {
  Request::didCreateTask(task);
  auto socketTask = std::dynamic_pointer_cast<platform::URLSessionWebSocketTask>(task);
  if (!socketTask) {
    platform::fatal("Invalid task of type " + task->description() + " created for WebSocketRequest.");
  }
  receiveNext(socketTask);
  // Handed over in call order under the lock that later sends take, so
  // that none of them overtakes a queued one.
  socketMutableState_.write([&](SocketMutableState& state) {
    state.task = socketTask;
    for (auto& send : std::exchange(state.enqueuedSends, {})) {
      sendThroughTask(*socketTask, std::move(send.message), std::move(send.queue), std::move(send.completion));
    }
  });
}

// The receive loop keeps the request and its task alive until a receive
// fails, which the end of the connection always brings.
void WebSocketRequest::receiveNext(std::shared_ptr<platform::URLSessionWebSocketTask> task) {
  task->receive([self = self(), task](std::expected<Message, platform::AnyError> result) {
    self->didReceive(result);
    if (result) self->receiveNext(task);
  });
}

void WebSocketRequest::didReceive(const std::expected<Message, platform::AnyError>& result) {
  if (result) fanOut(ReceivedMessage<Message>{*result});
}

void WebSocketRequest::didConnect(const std::optional<std::string>& protocol) {
  platform::dispatchPrecondition(*underlyingQueue());
  fanOut(Connected{protocol});
  if (const auto interval = configuration_.pingInterval) {
    socketMutableState_.write([&](SocketMutableState& state) { startAutomaticPing(state, *interval); });
  }
}

void WebSocketRequest::didDisconnect(CloseCode closeCode, const std::optional<platform::Data>& reason) {
  platform::dispatchPrecondition(*underlyingQueue());
  cancelAutomaticPing();
  fanOut(Disconnected{closeCode, reason});
}

void WebSocketRequest::fanOut(const IncomingEvent& event) {
  socketMutableState_.write([&](const SocketMutableState& state) {
    for (const auto& handler : state.handlers) handler(event);
  });
}

void WebSocketRequest::finish(const std::optional<WNError>& error) {
  Request::finish(error);
  cancelAutomaticPing();
  auto unsent = socketMutableState_.write([](SocketMutableState& state) {
    state.hasFinished = true;
    return std::exchange(state.enqueuedSends, {});
  });
  if (unsent.empty()) return;
  const auto failure = platform::makeError(unsentError());
  for (auto& send : unsent) failSend(send.queue, std::move(send.completion), failure);
}

// Sending and closing.

void WebSocketRequest::send(Message message, std::shared_ptr<platform::DispatchQueue> queue,
                            SendCompletion completion) {
  if (state() >= State::cancelled) return failSend(queue, std::move(completion), platform::makeError(unsentError()));
  const bool sentOrQueued = socketMutableState_.write([&](SocketMutableState& state) {
    if (state.task) {
      sendThroughTask(*state.task, std::move(message), queue, completion);
    } else if (!state.hasFinished) {
      state.enqueuedSends.push_back({std::move(message), queue, completion});
    }
    return state.task || !state.hasFinished;
  });
  if (!sentOrQueued) failSend(queue, std::move(completion), platform::makeError(unsentError()));
}

WNError WebSocketRequest::unsentError() const {
  if (auto failure = error()) return std::move(*failure);
  if (state() == State::cancelled) return WNError::explicitlyCancelled();
  return WNError::sessionTaskFailed(platform::makeError(SocketClosedError()));
}

WebSocketRequest& WebSocketRequest::cancel() {
  cancelAutomaticPing();
  Request::cancel();
  return *this;
}

WebSocketRequest& WebSocketRequest::cancelWithCloseCode(CloseCode closeCode, std::optional<platform::Data> reason) {
  cancelAutomaticPing();
  mutableState_.write([&](MutableState& state) {
    if (state.state >= State::cancelled) return;
    state.state = State::cancelled;
    later([](WebSocketRequest& self) { self.didCancelWithCloseCode(); });
    const auto task = state.tasks.empty() ? nullptr : state.tasks.back();
    if (task && task->state() != platform::URLSessionTask::State::completed) {
      task->resume();
      // didCreateTask admits WebSocket tasks only.
      std::static_pointer_cast<platform::URLSessionWebSocketTask>(task)->cancelWithCloseCode(closeCode,
                                                                                             std::move(reason));
      later([task](WebSocketRequest& self) { self.didCancelTask(task); });
    } else {
      later([](WebSocketRequest& self) { self.finish(); });
    }
  });
  return *this;
}

void WebSocketRequest::later(std::move_only_function<void(WebSocketRequest&)> step) {
  underlyingQueue()->async([self = self(), step = std::move(step)]() mutable { step(*self); });
}

// The close that this side asked for ends the task with a cancellation,
// which is no failure of the request.
void WebSocketRequest::didCancelWithCloseCode() {
  platform::dispatchPrecondition(*underlyingQueue());
  mutableState_.write([](MutableState& state) {
    if (state.error && isTaskCancellation(*state.error)) state.error.reset();
  });
  report(&EventMonitor::requestDidCancel);
}

// Handlers.

WebSocketRequest& WebSocketRequest::streamMessageEvents(std::shared_ptr<platform::DispatchQueue> queue,
                                                        std::function<void(const MessageEvent&)> handler) {
  using Kind = MessageEvent::Kind;
  return addHandler([socket = weakSelf(), queue = std::move(queue),
                     handler = std::move(handler)](const IncomingEvent& incoming) {
    auto event = translate<Message, Never>(
        socket, incoming, [](const Message& message) -> Kind { return ReceivedMessage<Message>{message}; });
    queue->async([handler, event = std::move(event)] { handler(event); });
  });
}

WebSocketRequest& WebSocketRequest::streamMessages(std::shared_ptr<platform::DispatchQueue> queue,
                                                   std::function<void(const Message&)> handler) {
  return streamMessageEvents(std::move(queue), [handler = std::move(handler)](const MessageEvent& event) {
    if (auto message = event.message()) handler(*message);
  });
}

WebSocketRequest& WebSocketRequest::addHandler(Translator translator) {
  auto shared = std::make_shared<const Translator>(std::move(translator));
  socketMutableState_.write([&](SocketMutableState& state) {
    state.handlers.push_back([queue = serializationQueue(), shared](const IncomingEvent& event) {
      queue->async([shared, event] { (*shared)(event); });
    });
  });
  appendResponseSerializer([socket = weakSelf(), shared] {
    if (const auto self = socket.lock()) self->sendCompletedEvent(shared);
  });
  return *this;
}

void WebSocketRequest::sendCompletedEvent(const std::shared_ptr<const Translator>& translator) {
  appendResponseSerializerCompletion([self = self(), translator] {
    self->serializationQueue()->async([self, translator] { (*translator)(Completed{self->makeCompletion()}); });
  });
  processNextResponseSerializer();
}

WebSocketRequest::Completion WebSocketRequest::makeCompletion() const {
  return {lastRequest(), response(), lastMetrics(), error()};
}

}  // namespace wendanet
