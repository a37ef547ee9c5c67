#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "Platform/Foundation/Date.h"
#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/URLRequest.h"
#include "Platform/Foundation/URLResponse.h"
#include "Platform/URLLoading/Engine/TaskBody.h"

namespace platform {

class SessionEngine;
class TaskRun;
class URLSession;

// One load run by a URL session. Tasks start suspended. `resume`,
// `suspend` and `cancel` may be called from any thread, any number of
// times: they change the state at once, hand the work to the session's
// engine and return without waiting and without calling anybody back.
class URLSessionTask : public std::enable_shared_from_this<URLSessionTask> {
 public:
  // The platform's raw values.
  enum class State : int { running = 0, suspended = 1, canceling = 2, completed = 3 };
  static constexpr std::int64_t transferSizeUnknown = -1;

  // Only a session makes tasks.
  class Passkey {
    friend class URLSession;
    Passkey() = default;
  };

  URLSessionTask(Passkey, std::uint64_t taskIdentifier, URLRequest request, TaskBody body,
                 std::shared_ptr<SessionEngine> engine);
  virtual ~URLSessionTask() = default;
  URLSessionTask(const URLSessionTask&) = delete;
  URLSessionTask& operator=(const URLSessionTask&) = delete;

  // Unique within the session.
  std::uint64_t taskIdentifier() const { return taskIdentifier_; }
  const std::optional<URLRequest>& originalRequest() const { return originalRequest_; }
  // The request of the hop going on now.
  std::optional<URLRequest> currentRequest() const;
  // The same without a copy of the request, for the engine, which reads it
  // several times a hop; never null.
  std::shared_ptr<const URLRequest> sharedCurrentRequest() const;
  // Absent until the response's header has arrived.
  virtual std::shared_ptr<URLResponse> response() const;
  // Set when the task completed with a failure.
  AnyError error() const;
  virtual State state() const;

  // Body bytes received, after content decoding.
  std::int64_t countOfBytesReceived() const;
  std::int64_t countOfBytesSent() const;
  // `transferSizeUnknown` for a streamed body; 0 before the task starts.
  std::int64_t countOfBytesExpectedToSend() const;
  // The response's declared length, or `transferSizeUnknown`.
  std::int64_t countOfBytesExpectedToReceive() const;

  virtual void resume();
  virtual void suspend();
  virtual void cancel();

  // "URLSessionDataTask <3> GET http://127.0.0.1/get".
  std::string description() const;

 protected:
  // For stand-ins made without a session. Such a task has no engine, so it
  // must override `resume`, `suspend`, `cancel` and `state`.
  URLSessionTask(std::uint64_t taskIdentifier, URLRequest request);

  virtual std::string_view kindName() const = 0;
  // For commands of a kind of task's own; null for a stand-in.
  const std::shared_ptr<SessionEngine>& engine() const { return engine_; }

 private:
  friend class TaskRun;
  friend class URLSession;
  friend class WebSocketRun;

  // Engine side.
  const TaskBody& body() const { return body_; }
  Date creationDate() const { return creationDate_; }
  // A redirect makes the next hop's request the current one.
  void setCurrentRequest(URLRequest request);
  void setResponse(std::shared_ptr<URLResponse> response, std::int64_t expectedLength);
  void setExpectedToSend(std::int64_t count);
  void addTransferredBytes(std::int64_t sent, std::int64_t received);
  void complete(AnyError error);

  void postToEngine(void (SessionEngine::*command)(std::uint64_t));

  const std::uint64_t taskIdentifier_;
  const std::optional<URLRequest> originalRequest_;
  const TaskBody body_;
  const Date creationDate_;
  const std::shared_ptr<SessionEngine> engine_;

  mutable std::mutex mutex_;
  State state_ = State::suspended;
  std::shared_ptr<const URLRequest> currentRequest_;
  std::shared_ptr<URLResponse> response_;
  AnyError error_;
  std::int64_t bytesReceived_ = 0;
  std::int64_t bytesSent_ = 0;
  std::int64_t bytesExpectedToSend_ = 0;
  std::int64_t bytesExpectedToReceive_ = transferSizeUnknown;
};

}  // namespace platform
