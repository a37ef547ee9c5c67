#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/URLLoading/URLAuthenticationChallenge.h"
#include "Platform/URLLoading/URLSession.h"
#include "Platform/URLLoading/URLSessionDelegate.h"
#include "Platform/URLLoading/URLSessionWebSocketTask.h"

// Notes, in the one order the delegate queue ran them, the delegate's
// callbacks about WebSocket tasks and the answers of the handlers it makes:
//   "open <protocol or ->", "close <code> <reason or ->", "metrics",
//   "complete <URLError code, 0 for none>", "invalid",
//   "sent <label> <code>", "pong <label> <code>",
//   "received text <text>", "received data <byte count>",
//   "received error <code>", "challenge <host>:<port>".
class WebSocketRecorder : public platform::URLSessionDelegate,
                          public std::enable_shared_from_this<WebSocketRecorder> {
 public:
  using Task = platform::URLSessionWebSocketTask;
  using ChallengeAnswer =
      std::function<void(const platform::URLAuthenticationChallenge&, platform::ChallengeCompletionHandler)>;

  WebSocketRecorder();

  // The serial queue under the delegate queue of makeRecordedSession.
  const std::shared_ptr<platform::DispatchQueue>& queue() const { return queue_; }

  Task::SendCompletionHandler sent(std::string label);
  Task::ReceiveCompletionHandler received();
  Task::PongReceiveHandler pong(std::string label);
  // How challenges are answered from now on; without one, as every
  // delegate does by default.
  void answerChallengesWith(ChallengeAnswer answer);

  // Waits until `event` has been noted; fails the test after `timeout`.
  std::vector<std::string> waitFor(const std::string& event, std::chrono::seconds timeout = std::chrono::seconds(20));
  std::vector<std::string> events() const;
  // The bytes of the received data messages, in order.
  std::vector<platform::Data> receivedData() const;
  std::shared_ptr<const platform::URLSessionTaskMetrics> lastMetrics() const;
  std::optional<platform::URLAuthenticationChallenge> lastChallenge() const;
  bool everyNoteOnDelegateQueue() const;

  void didReceiveChallenge(SessionRef session, const std::shared_ptr<platform::URLSessionTask>& task,
                           const platform::URLAuthenticationChallenge& challenge,
                           platform::ChallengeCompletionHandler completionHandler) override;
  void didOpenWithProtocol(SessionRef session, const std::shared_ptr<Task>& task,
                           const std::optional<std::string>& protocol) override;
  void didCloseWithCode(SessionRef session, const std::shared_ptr<Task>& task,
                        platform::URLSessionWebSocketCloseCode closeCode,
                        const std::optional<platform::Data>& reason) override;
  void didFinishCollectingMetrics(SessionRef session, const std::shared_ptr<platform::URLSessionTask>& task,
                                  const std::shared_ptr<const platform::URLSessionTaskMetrics>& metrics) override;
  void didCompleteWithError(SessionRef session, const std::shared_ptr<platform::URLSessionTask>& task,
                            const platform::AnyError& error) override;
  void didBecomeInvalidWithError(SessionRef session, const platform::AnyError& error) override;

 private:
  void record(std::expected<Task::Message, platform::AnyError> outcome);
  void note(std::string event);

  std::shared_ptr<platform::DispatchQueue> queue_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> events_;
  std::vector<platform::Data> receivedData_;
  std::shared_ptr<const platform::URLSessionTaskMetrics> lastMetrics_;
  ChallengeAnswer challengeAnswer_;
  std::optional<platform::URLAuthenticationChallenge> lastChallenge_;
  bool everyNoteOnDelegateQueue_ = true;
};

// An ephemeral session that reports to `recorder`.
std::shared_ptr<platform::URLSession> makeRecordedSession(const std::shared_ptr<WebSocketRecorder>& recorder);

// The URLError code of `error`; 0 for none, 1 for an error of another type.
int urlErrorCode(const platform::AnyError& error);

// Where `event` first stands in `events`; the end when it is not there.
std::ptrdiff_t positionOf(const std::vector<std::string>& events, const std::string& event);
