#include "Platform/URLLoading/URLSessionTask.h"

#include <fmt/format.h>

#include "Platform/URLLoading/Engine/SessionEngine.h"

namespace platform {

URLSessionTask::URLSessionTask(Passkey, std::uint64_t taskIdentifier, URLRequest request, TaskBody body,
                               std::shared_ptr<SessionEngine> engine)
    : taskIdentifier_(taskIdentifier),
      originalRequest_(request),
      body_(std::move(body)),
      creationDate_(Date::now()),
      engine_(std::move(engine)),
      currentRequest_(std::make_shared<const URLRequest>(std::move(request))) {}

URLSessionTask::URLSessionTask(std::uint64_t taskIdentifier, URLRequest request)
    : taskIdentifier_(taskIdentifier),
      originalRequest_(request),
      creationDate_(Date::now()),
      currentRequest_(std::make_shared<const URLRequest>(std::move(request))) {}

std::optional<URLRequest> URLSessionTask::currentRequest() const { return *sharedCurrentRequest(); }

std::shared_ptr<const URLRequest> URLSessionTask::sharedCurrentRequest() const {
  std::lock_guard lock(mutex_);
  return currentRequest_;
}

std::shared_ptr<URLResponse> URLSessionTask::response() const {
  std::lock_guard lock(mutex_);
  return response_;
}

AnyError URLSessionTask::error() const {
  std::lock_guard lock(mutex_);
  return error_;
}

URLSessionTask::State URLSessionTask::state() const {
  std::lock_guard lock(mutex_);
  return state_;
}

std::int64_t URLSessionTask::countOfBytesReceived() const {
  std::lock_guard lock(mutex_);
  return bytesReceived_;
}

std::int64_t URLSessionTask::countOfBytesSent() const {
  std::lock_guard lock(mutex_);
  return bytesSent_;
}

std::int64_t URLSessionTask::countOfBytesExpectedToSend() const {
  std::lock_guard lock(mutex_);
  return bytesExpectedToSend_;
}

std::int64_t URLSessionTask::countOfBytesExpectedToReceive() const {
  std::lock_guard lock(mutex_);
  return bytesExpectedToReceive_;
}

void URLSessionTask::resume() {
  {
    std::lock_guard lock(mutex_);
    if (state_ != State::suspended) return;
    state_ = State::running;
  }
  postToEngine(&SessionEngine::resumeTask);
}

void URLSessionTask::suspend() {
  {
    std::lock_guard lock(mutex_);
    if (state_ != State::running) return;
    state_ = State::suspended;
  }
  postToEngine(&SessionEngine::suspendTask);
}

void URLSessionTask::cancel() {
  {
    std::lock_guard lock(mutex_);
    if (state_ != State::running && state_ != State::suspended) return;
    state_ = State::canceling;
  }
  postToEngine(&SessionEngine::cancelTask);
  // The engine thread takes no command while it waits for a trust answer.
  engine_->cancelTrustChallenge(taskIdentifier_);
}

// An engine stops taking commands only once every task of its session has
// completed, so a refused command concerns a task already complete.
void URLSessionTask::postToEngine(void (SessionEngine::*command)(std::uint64_t)) {
  engine_->post([command, identifier = taskIdentifier_](SessionEngine& engine) { (engine.*command)(identifier); });
}

std::string URLSessionTask::description() const {
  const auto& request = *originalRequest_;
  return fmt::format("{} <{}> {} {}", kindName(), taskIdentifier_, request.httpMethod().value_or("GET"),
                     request.description());
}

void URLSessionTask::setCurrentRequest(URLRequest request) {
  std::lock_guard lock(mutex_);
  currentRequest_ = std::make_shared<const URLRequest>(std::move(request));
}

void URLSessionTask::setResponse(std::shared_ptr<URLResponse> response, std::int64_t expectedLength) {
  std::lock_guard lock(mutex_);
  response_ = std::move(response);
  bytesExpectedToReceive_ = expectedLength;
}

void URLSessionTask::setExpectedToSend(std::int64_t count) {
  std::lock_guard lock(mutex_);
  bytesExpectedToSend_ = count;
}

void URLSessionTask::addTransferredBytes(std::int64_t sent, std::int64_t received) {
  std::lock_guard lock(mutex_);
  bytesSent_ += sent;
  bytesReceived_ += received;
}

void URLSessionTask::complete(AnyError error) {
  std::lock_guard lock(mutex_);
  state_ = State::completed;
  error_ = std::move(error);
}

}  // namespace platform
