#include "tests/Integration/WebSocketRecorder.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "Platform/Dispatch/OperationQueue.h"
#include "Platform/Foundation/URLError.h"

using namespace platform;

int urlErrorCode(const AnyError& error) {
  if (!error) return 0;
  if (const auto* urlError = errorAs<URLError>(error)) return static_cast<int>(urlError->code());
  return 1;
}

std::ptrdiff_t positionOf(const std::vector<std::string>& events, const std::string& event) {
  return std::ranges::find(events, event) - events.begin();
}

std::shared_ptr<URLSession> makeRecordedSession(const std::shared_ptr<WebSocketRecorder>& recorder) {
  return URLSession::make(URLSessionConfiguration::ephemeralConfiguration(), recorder,
                          OperationQueue::make("test.websocket.operations", recorder->queue()));
}

WebSocketRecorder::WebSocketRecorder() : queue_(DispatchQueue::make("test.websocket.delegate")) {}

WebSocketRecorder::Task::SendCompletionHandler WebSocketRecorder::sent(std::string label) {
  // A handler may still run after the test has let its recorder go.
  return [self = shared_from_this(), label](const AnyError& error) {
    self->note("sent " + label + " " + std::to_string(urlErrorCode(error)));
  };
}

WebSocketRecorder::Task::ReceiveCompletionHandler WebSocketRecorder::received() {
  return [self = shared_from_this()](std::expected<Task::Message, AnyError> outcome) {
    self->record(std::move(outcome));
  };
}

void WebSocketRecorder::record(std::expected<Task::Message, AnyError> outcome) {
  if (!outcome) return note("received error " + std::to_string(urlErrorCode(outcome.error())));
  if (const auto* text = std::get_if<std::string>(&*outcome)) return note("received text " + *text);
  const auto& data = std::get<Data>(*outcome);
  {
    std::lock_guard lock(mutex_);
    receivedData_.push_back(data);
  }
  note("received data " + std::to_string(data.size()));
}

WebSocketRecorder::Task::PongReceiveHandler WebSocketRecorder::pong(std::string label) {
  return [self = shared_from_this(), label](const AnyError& error) {
    self->note("pong " + label + " " + std::to_string(urlErrorCode(error)));
  };
}

void WebSocketRecorder::answerChallengesWith(ChallengeAnswer answer) {
  std::lock_guard lock(mutex_);
  challengeAnswer_ = std::move(answer);
}

std::vector<std::string> WebSocketRecorder::waitFor(const std::string& event, std::chrono::seconds timeout) {
  std::unique_lock lock(mutex_);
  if (!changed_.wait_for(lock, timeout, [&] { return std::ranges::find(events_, event) != events_.end(); })) {
    ADD_FAILURE() << "No \"" << event << "\" within " << timeout.count() << " s";
  }
  return events_;
}

std::vector<std::string> WebSocketRecorder::events() const {
  std::lock_guard lock(mutex_);
  return events_;
}

std::vector<Data> WebSocketRecorder::receivedData() const {
  std::lock_guard lock(mutex_);
  return receivedData_;
}

std::shared_ptr<const URLSessionTaskMetrics> WebSocketRecorder::lastMetrics() const {
  std::lock_guard lock(mutex_);
  return lastMetrics_;
}

std::optional<URLAuthenticationChallenge> WebSocketRecorder::lastChallenge() const {
  std::lock_guard lock(mutex_);
  return lastChallenge_;
}

bool WebSocketRecorder::everyNoteOnDelegateQueue() const {
  std::lock_guard lock(mutex_);
  return everyNoteOnDelegateQueue_;
}

void WebSocketRecorder::didReceiveChallenge(SessionRef session, const std::shared_ptr<URLSessionTask>& task,
                                            const URLAuthenticationChallenge& challenge,
                                            ChallengeCompletionHandler completionHandler) {
  ChallengeAnswer answer;
  {
    std::lock_guard lock(mutex_);
    lastChallenge_ = challenge;
    answer = challengeAnswer_;
  }
  const auto& space = challenge.protectionSpace;
  note("challenge " + space.host + ":" + std::to_string(space.port));
  if (!answer) return URLSessionDelegate::didReceiveChallenge(session, task, challenge, std::move(completionHandler));
  answer(challenge, std::move(completionHandler));
}

void WebSocketRecorder::didOpenWithProtocol(SessionRef, const std::shared_ptr<Task>&,
                                            const std::optional<std::string>& protocol) {
  note("open " + protocol.value_or("-"));
}

void WebSocketRecorder::didCloseWithCode(SessionRef, const std::shared_ptr<Task>&,
                                         URLSessionWebSocketCloseCode closeCode, const std::optional<Data>& reason) {
  note("close " + std::to_string(static_cast<int>(closeCode)) + " " + (reason ? reason->toString() : "-"));
}

void WebSocketRecorder::didFinishCollectingMetrics(SessionRef, const std::shared_ptr<URLSessionTask>&,
                                                   const std::shared_ptr<const URLSessionTaskMetrics>& metrics) {
  {
    std::lock_guard lock(mutex_);
    lastMetrics_ = metrics;
  }
  note("metrics");
}

void WebSocketRecorder::didCompleteWithError(SessionRef, const std::shared_ptr<URLSessionTask>&,
                                             const AnyError& error) {
  note("complete " + std::to_string(urlErrorCode(error)));
}

void WebSocketRecorder::didBecomeInvalidWithError(SessionRef, const AnyError&) { note("invalid"); }

void WebSocketRecorder::note(std::string event) {
  const bool onQueue = queue_->isCurrent();
  std::lock_guard lock(mutex_);
  everyNoteOnDelegateQueue_ = everyNoteOnDelegateQueue_ && onQueue;
  events_.push_back(std::move(event));
  changed_.notify_all();
}
