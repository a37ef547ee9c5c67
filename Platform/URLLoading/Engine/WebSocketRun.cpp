#include "Platform/URLLoading/Engine/WebSocketRun.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <utility>

#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Dispatch/OperationQueue.h"
#include "Platform/Network/IPAddressText.h"
#include "Platform/Security/SecTrust.h"
#include "Platform/URLLoading/Engine/ServerTrustAnswer.h"
#include "Platform/URLLoading/Engine/SessionEngine.h"
#include "Platform/URLLoading/Engine/WebSocketCloseStatus.h"
#include "Platform/URLLoading/Engine/WebSocketHandshake.h"
#include "Platform/URLLoading/Engine/WebSocketLoop.h"
#include "Platform/URLLoading/URLSessionConfiguration.h"
#include "Platform/URLLoading/URLSessionDelegate.h"
#include "Platform/URLLoading/URLSessionTaskMetrics.h"

namespace platform {

namespace {

using Delegate = URLSessionDelegate;

URLError::Code failureCode(WebSocketStream::Result result) {
  using Result = WebSocketStream::Result;
  using Code = URLError::Code;
  switch (result) {
    case Result::timedOut: return Code::timedOut;
    case Result::cannotFindHost: return Code::cannotFindHost;
    case Result::cannotConnect: return Code::cannotConnectToHost;
    case Result::secureConnectionFailed: return Code::secureConnectionFailed;
    case Result::upgradeRefused:
    case Result::badResponse: return Code::badServerResponse;
    case Result::messageTooBig: return Code::dataLengthExceedsMaximum;
    default: return Code::networkConnectionLost;
  }
}

// Answers a handler on the delegate queue; a handler that was never given
// is nobody to answer.
template <class Handler, class Value>
void answer(OperationQueue& queue, Handler handler, Value value) {
  if (!handler) return;
  queue.addOperation([handler = std::move(handler), value = std::move(value)]() mutable { handler(std::move(value)); });
}

}  // namespace

WebSocketRun::WebSocketRun(const std::shared_ptr<URLSessionWebSocketTask>& task, std::shared_ptr<WebSocketLoop> loop,
                           std::shared_ptr<OperationQueue> handlerQueue,
                           std::shared_ptr<const URLSessionConfiguration> configuration, AnyError refusal)
    : task_(refusal ? nullptr : task),
      identifier_(task->taskIdentifier()),
      url_(task->originalRequest()->url()),
      loop_(std::move(loop)),
      handlerQueue_(std::move(handlerQueue)),
      configuration_(std::move(configuration)) {
  if (refusal) {
    phase_ = Phase::ended;
    ending_ = Ending{refusal, refusal, std::nullopt};
  }
}

template <class Work>
void WebSocketRun::onLoop(Work work) {
  loop_->post([self = shared_from_this(), work = std::move(work)]() mutable {
    work(*self);
    self->settle();
  });
}

template <class Work>
void WebSocketRun::onLoopAfter(WebSocketStream::Duration delay, Work work) {
  DispatchQueue::global()->asyncAfter(std::chrono::steady_clock::now() + delay,
                                      [run = weak_from_this(), work = std::move(work)] {
                                        if (const auto strong = run.lock()) strong->onLoop(work);
                                      });
}

WebSocketStream::Completion WebSocketRun::track(void (WebSocketRun::*then)(Result)) {
  ++operationsUnderWay_;
  return [self = shared_from_this(), then](Result result) {
    --self->operationsUnderWay_;
    ((*self).*then)(result);
    self->settle();
  };
}

void WebSocketRun::attach(DelegateChannel::Target delegate, std::weak_ptr<SessionEngine> engine) {
  onLoop([delegate = std::move(delegate), engine = std::move(engine)](WebSocketRun& run) mutable {
    run.delegate_ = std::move(delegate);
    run.engine_ = std::move(engine);
  });
}

void WebSocketRun::resume() {
  onLoop([](WebSocketRun& run) {
    if (run.ending_) return;
    run.suspended_ = false;
    if (run.phase_ == Phase::notStarted) return run.start();
    run.pump();
  });
}

void WebSocketRun::suspend() {
  onLoop([](WebSocketRun& run) { run.suspended_ = true; });
}

void WebSocketRun::cancel() {
  onLoop([](WebSocketRun& run) { run.cancelNow(); });
}

void WebSocketRun::send(Message message, SendCompletionHandler completionHandler) {
  onLoop([message = std::move(message), handler = std::move(completionHandler)](WebSocketRun& run) mutable {
    if (run.ending_) return answer(*run.handlerQueue_, std::move(handler), run.ending_->handlerError);
    run.outgoing_.emplace_back(SendRequest{std::move(message), std::move(handler)});
    run.pump();
  });
}

void WebSocketRun::receive(ReceiveCompletionHandler completionHandler) {
  onLoop([handler = std::move(completionHandler)](WebSocketRun& run) mutable {
    using Outcome = std::expected<Message, AnyError>;
    if (!run.inbox_.empty()) {
      answer(*run.handlerQueue_, std::move(handler), Outcome(std::move(run.inbox_.front())));
      run.inbox_.pop_front();
    } else if (run.ending_) {
      answer(*run.handlerQueue_, std::move(handler), Outcome(std::unexpected(run.ending_->handlerError)));
    } else {
      run.receives_.push_back(std::move(handler));
    }
  });
}

void WebSocketRun::sendPing(PongReceiveHandler pongReceiveHandler) {
  onLoop([handler = std::move(pongReceiveHandler)](WebSocketRun& run) mutable {
    if (run.ending_) return answer(*run.handlerQueue_, std::move(handler), run.ending_->handlerError);
    run.outgoing_.emplace_back(PingRequest{run.nextPingNumber_++, std::move(handler)});
    run.pump();
  });
}

void WebSocketRun::start() {
  phase_ = Phase::connecting;
  const auto request = *task_->currentRequest();
  auto endpoint = webSocketEndpoint(url_);
  if (!endpoint) return fail(endpoint.error());
  auto fields = upgradeHeaderFields(request, configuration_->httpAdditionalHeaders());
  if (!fields) return fail(fields.error());
  upgradeFields_ = std::move(*fields);
  secure_ = endpoint->secure;
  // Beyond a few decades a time-out is no time-out, and the clock's count
  // would overflow.
  const double seconds = std::clamp(configuration_->effectiveTimeoutInterval(request.timeoutInterval()), 0.0, 1e9);
  timeout_ = std::chrono::duration_cast<WebSocketStream::Duration>(std::chrono::duration<double>(seconds));

  stream_ = WebSocketStream::make(*loop_, *endpoint);
  stream_->onPong([this](std::string_view payload) { pongArrived(payload); });
  transaction_.request = request;
  transaction_.resourceFetchType = URLSessionTaskTransactionMetrics::ResourceFetchType::networkLoad;
  transaction_.fetchStartDate = Date::now();
  // An address is used as it is: no lookup to show.
  if (!isIPAddress(url_->host().value_or(""))) transaction_.domainLookupStartDate = transaction_.fetchStartDate;
  stream_->resolve(track(&WebSocketRun::resolved));
}

void WebSocketRun::resolved(Result result) {
  if (ending_) return;
  if (result != Result::done) return fail(result);
  transaction_.connectStartDate = Date::now();
  if (transaction_.domainLookupStartDate) transaction_.domainLookupEndDate = transaction_.connectStartDate;
  stream_->connect(timeout_, track(&WebSocketRun::connected));
}

void WebSocketRun::connected(Result result) {
  if (ending_) return;
  if (result != Result::done) return fail(result);
  const auto now = Date::now();
  if (!secure_) {
    transaction_.connectEndDate = now;
    return sendUpgrade();
  }
  transaction_.secureConnectionStartDate = now;
  stream_->secureHandshake(timeout_, track(&WebSocketRun::secured));
}

void WebSocketRun::secured(Result result) {
  if (ending_) return;
  if (result != Result::done) return fail(result);
  transaction_.secureConnectionEndDate = transaction_.connectEndDate = Date::now();
  decideServerTrust(stream_->serverTrust());
}

void WebSocketRun::decideServerTrust(const std::shared_ptr<SecTrust>& trust) {
  if (!trust) return serverTrustDecided(urlError(URLError::Code::secureConnectionFailed));
  auto space = serverTrustProtectionSpace(*url_);
  space.serverTrust = trust;
  if (!delegate_.hasDelegate()) return serverTrustDecided(defaultServerTrustRefusal(space, *url_));
  // Not an operation under way: a cancel while the delegate thinks ends the
  // task at once, and an answer that comes later finds it ended.
  awaitingTrust_ = true;
  std::vector<DelegateChannel::Call> calls;
  calls.push_back(serverTrustChallengeCall(
      task_, space, [self = shared_from_this(), space](ServerTrustAnswer answer) mutable {
        self->onLoop([answer = std::move(answer), space = std::move(space)](WebSocketRun& run) {
          if (!std::exchange(run.awaitingTrust_, false)) return;
          run.serverTrustDecided(serverTrustRefusal(answer, space, *run.url_));
        });
      }));
  delegate_.send(std::move(calls));
  // A delegate that keeps the challenge unanswered is given the time the
  // request allows, as the server would be.
  if (timeout_ <= WebSocketStream::Duration::zero()) return;
  onLoopAfter(timeout_, [](WebSocketRun& run) {
    if (std::exchange(run.awaitingTrust_, false)) run.fail(run.urlError(URLError::Code::timedOut));
  });
}

void WebSocketRun::serverTrustDecided(AnyError refusal) {
  if (ending_) return;
  if (refusal) return fail(std::move(refusal));
  sendUpgrade();
}

// The upgrade request is one small write and the 101 has no body, so each
// of the two pairs of dates shares one reading.
void WebSocketRun::sendUpgrade() {
  transaction_.requestStartDate = transaction_.requestEndDate = Date::now();
  stream_->upgrade(upgradeFields_, timeout_, track(&WebSocketRun::upgraded));
}

void WebSocketRun::upgraded(Result result) {
  transaction_.countOfRequestHeaderBytesSent = stream_->requestHeaderBytes();
  const auto response = stream_->response(*url_);
  if (response) {
    transaction_.response = response;
    transaction_.responseStartDate = transaction_.responseEndDate = Date::now();
    transaction_.networkProtocolName = "http/1.1";
    transaction_.countOfResponseHeaderBytesReceived = stream_->responseHeaderBytes();
    task_->setResponse(response, response->expectedContentLength());
  }
  if (ending_) return;
  if (result != Result::done) return fail(result);

  std::optional<std::string> protocol = response->valueForHTTPHeaderField("Sec-WebSocket-Protocol");
  if (protocol && protocol->empty()) protocol.reset();
  if (protocol) {
    // A sub-protocol nobody asked for is a broken handshake.
    const auto offered = valueOfHeaderField(upgradeFields_, "Sec-WebSocket-Protocol");
    if (!offered || !offersSubprotocol(*offered, *protocol)) return fail(urlError(URLError::Code::badServerResponse));
  }
  phase_ = Phase::open;
  std::vector<DelegateChannel::Call> calls;
  calls.emplace_back([task = task_, protocol](Delegate& delegate, Delegate::SessionRef session) {
    delegate.didOpenWithProtocol(session, task, protocol);
  });
  delegate_.send(std::move(calls));
  pump();
}

void WebSocketRun::pump() {
  if (stopped_) return;
  if (phase_ == Phase::open && !suspended_ && !reading_) {
    reading_ = true;
    // A task that sets no limit still gets no message larger than the
    // session lets any body in memory be.
    const auto maximum = task_->maximumMessageSize() > 0 ? task_->maximumMessageSize()
                                                         : configuration_->maximumBodySizeInMemory();
    stream_->read(static_cast<std::uint64_t>(std::max<std::int64_t>(maximum, 1)), track(&WebSocketRun::readDone));
  }
  // A close asked for goes out even while the task is suspended.
  const bool writable = phase_ == Phase::closing || (phase_ == Phase::open && !suspended_);
  if (writable && !writing_ && !outgoing_.empty()) startWrite();
}

void WebSocketRun::readDone(Result result) {
  reading_ = false;
  switch (result) {
    case Result::done: deliver(stream_->takeMessage()); return pump();
    case Result::closedByPeer: return closedByPeer();
    case Result::messageTooBig: {
      const auto error = urlError(URLError::Code::dataLengthExceedsMaximum);
      decide({error, error, CloseFrame{URLSessionWebSocketCloseCode::messageTooBig, std::nullopt}});
      stopped_ = true;
      return;
    }
    default:
      // A closing handshake of this side ends with its own completion.
      if (phase_ != Phase::closing) fail(result);
  }
}

void WebSocketRun::deliver(Message message) {
  if (receives_.empty()) {
    inbox_.push_back(std::move(message));
    return;
  }
  answer(*handlerQueue_, std::move(receives_.front()), std::expected<Message, AnyError>(std::move(message)));
  receives_.pop_front();
}

void WebSocketRun::startWrite() {
  writing_ = true;
  auto& next = outgoing_.front();
  if (auto* send = std::get_if<SendRequest>(&next)) {
    stream_->write(send->message, track(&WebSocketRun::writeDone));
  } else if (auto* ping = std::get_if<PingRequest>(&next)) {
    // Awaited before it goes out: its pong may come before the write's
    // completion.
    pongsAwaited_.push_back(std::move(*ping));
    stream_->ping(std::to_string(pongsAwaited_.back().number), track(&WebSocketRun::writeDone));
  } else {
    const auto& frame = std::get<CloseFrame>(next);
    stream_->close(statusForCloseCode(frame.code), closeReasonForFrame(frame.reason), track(&WebSocketRun::writeDone));
  }
}

void WebSocketRun::writeDone(Result result) {
  writing_ = false;
  auto written = std::move(outgoing_.front());
  outgoing_.pop_front();
  auto* send = std::get_if<SendRequest>(&written);
  if (result == Result::done) {
    if (send) answer(*handlerQueue_, std::move(send->handler), AnyError());
    return pump();
  }
  if (result == Result::closedByPeer) {
    closedByPeer();
  } else if (!ending_) {
    fail(result);
  }
  stop();
  if (send) answer(*handlerQueue_, std::move(send->handler), ending_->handlerError);
}

// A pong answers the ping it echoes and any sent before it: a peer may
// answer only the latest of several pings.
void WebSocketRun::pongArrived(std::string_view payload) {
  std::uint64_t number = 0;
  const auto parsed = std::from_chars(payload.data(), payload.data() + payload.size(), number);
  if (parsed.ec != std::errc() || parsed.ptr != payload.data() + payload.size()) return;
  while (!pongsAwaited_.empty() && pongsAwaited_.front().number <= number) {
    answer(*handlerQueue_, std::move(pongsAwaited_.front().handler), AnyError());
    pongsAwaited_.pop_front();
  }
}

void WebSocketRun::closedByPeer() {
  // When this side closed first, the close frame is already decided.
  const auto reason = stream_->peerCloseReason();
  decide({nullptr, urlError(URLError::Code::networkConnectionLost),
          CloseFrame{closeCodeForStatus(stream_->peerCloseStatus()),
                     reason.empty() ? std::nullopt : std::optional<Data>(Data(reason))}});
  // The stream has shut the connection itself.
  stopped_ = true;
}

void WebSocketRun::cancelNow() {
  if (ending_) return;
  if (phase_ == Phase::open) {
    if (const auto request = task_->closeRequest()) return beginClosing(CloseFrame{request->code, request->reason});
  }
  fail(urlError(URLError::Code::cancelled));
}

// A peer that stops reading, or keeps the connection busy, cannot hold the
// close open: it gets the request's time-out (or the default one when the
// request has none), then the connection is dropped.
void WebSocketRun::beginClosing(CloseFrame frame) {
  decide({nullptr, urlError(URLError::Code::cancelled), frame});
  phase_ = Phase::closing;
  outgoing_.emplace_back(std::move(frame));
  pump();
  const auto limit = timeout_ > WebSocketStream::Duration::zero()
                         ? timeout_
                         : std::chrono::duration_cast<WebSocketStream::Duration>(std::chrono::duration<double>(
                               URLSessionConfiguration::defaultTimeoutIntervalForRequest));
  onLoopAfter(limit, [](WebSocketRun& run) {
    if (run.phase_ == Phase::closing) run.stop();
  });
}

void WebSocketRun::fail(Result result) { fail(urlError(failureCode(result))); }

void WebSocketRun::fail(AnyError error) {
  decide({error, error, std::nullopt});
  stop();
}

void WebSocketRun::decide(Ending ending) {
  if (!ending_) ending_ = std::move(ending);
}

void WebSocketRun::stop() {
  if (!stopped_ && stream_) stream_->abort();
  stopped_ = true;
}

void WebSocketRun::settle() {
  if (ending_ && operationsUnderWay_ == 0 && phase_ != Phase::ended) finish();
}

void WebSocketRun::finish() {
  phase_ = Phase::ended;
  const auto& error = ending_->handlerError;
  for (auto& handler : std::exchange(receives_, {})) {
    answer(*handlerQueue_, std::move(handler), std::expected<Message, AnyError>(std::unexpected(error)));
  }
  for (auto& outgoing : std::exchange(outgoing_, {})) {
    if (auto* send = std::get_if<SendRequest>(&outgoing)) answer(*handlerQueue_, std::move(send->handler), error);
    if (auto* ping = std::get_if<PingRequest>(&outgoing)) answer(*handlerQueue_, std::move(ping->handler), error);
  }
  for (auto& ping : std::exchange(pongsAwaited_, {})) answer(*handlerQueue_, std::move(ping.handler), error);
  inbox_.clear();
  // Not from inside the stream's own completion.
  loop_->post([stream = std::move(stream_)] {});

  std::vector<DelegateChannel::Call> calls;
  if (const auto& frame = ending_->closeFrame) {
    task_->setClose(frame->code, frame->reason);
    calls.emplace_back([task = task_, frame = *frame](Delegate& delegate, Delegate::SessionRef session) {
      delegate.didCloseWithCode(session, task, frame.code, frame.reason);
    });
  }
  auto metrics = std::make_shared<URLSessionTaskMetrics>();
  if (transaction_.fetchStartDate) metrics->transactionMetrics.push_back(std::move(transaction_));
  metrics->taskInterval = {task_->creationDate(), Date::now().timeIntervalSince(task_->creationDate())};
  task_->complete(ending_->taskError);
  calls.emplace_back([task = task_, metrics = std::shared_ptr<const URLSessionTaskMetrics>(std::move(metrics))](
                         Delegate& delegate, Delegate::SessionRef session) {
    delegate.didFinishCollectingMetrics(session, task, metrics);
  });
  calls.emplace_back([task = task_, error = ending_->taskError](Delegate& delegate, Delegate::SessionRef session) {
    delegate.didCompleteWithError(session, task, error);
  });
  // The session and its delegate are let go of with the task: a task kept
  // by its owner keeps neither.
  std::exchange(delegate_, {}).send(std::move(calls));
  // After the last delegate call, so that the invalidation comes later.
  if (const auto engine = engine_.lock()) {
    engine->post([identifier = identifier_](SessionEngine& engine) { engine.webSocketRunEnded(identifier); });
  }
  task_.reset();
}

AnyError WebSocketRun::urlError(URLError::Code code) const { return makeError(URLError(code, url_)); }

}  // namespace platform
