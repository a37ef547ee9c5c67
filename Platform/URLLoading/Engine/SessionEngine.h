#pragma once

#include <curl/curl.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

#include "Platform/URLLoading/Engine/DelegateChannel.h"
#include "Platform/URLLoading/Engine/TransferScheduler.h"
#include "Platform/URLLoading/URLSessionConfiguration.h"

namespace platform {

class ServerTrustChallenge;
class TaskRun;
class URLSessionTask;
class URLSessionWebSocketTask;
class WebSocketRun;

// The thread that moves a session's bytes: it runs the transfer library's
// multi loop and posts what happens to the delegate queue. Everything
// reaches it as a command, posted under a lock with a wake-up of the loop,
// so no caller ever waits for it and it never waits for a caller.
//
// It keeps its session alive until the session has been invalidated and
// every task has completed; then it closes every connection, tells the
// delegate of the invalidation and ends.
class SessionEngine : public std::enable_shared_from_this<SessionEngine> {
 public:
  using Command = std::move_only_function<void(SessionEngine&)>;
  using Clock = std::chrono::steady_clock;

  static std::shared_ptr<SessionEngine> start(std::shared_ptr<const URLSessionConfiguration> configuration,
                                              DelegateChannel delegate);

  SessionEngine(std::shared_ptr<const URLSessionConfiguration> configuration, DelegateChannel delegate);
  ~SessionEngine();
  SessionEngine(const SessionEngine&) = delete;
  SessionEngine& operator=(const SessionEngine&) = delete;

  // Any thread. False once the engine has ended: the command is dropped.
  bool post(Command command);
  // Any thread: the same for a command that can wait for the loop's next
  // turn, which other work brings soon enough, so the loop is not woken
  // for it. Once the session is being invalidated every command wakes it,
  // as the end may wait for this one.
  bool postUnhurried(Command command);

  // Commands, run on the engine thread.
  void registerTask(std::shared_ptr<URLSessionTask> task);
  void resumeTask(std::uint64_t identifier);
  void suspendTask(std::uint64_t identifier);
  void cancelTask(std::uint64_t identifier);
  // Ends the engine once every task has completed; cancels them first
  // when asked to.
  void invalidate(bool cancelTasks);

  // While a delegate decides on a server's trust, the engine thread waits
  // inside the TLS handshake and takes no command; a cancel reaches that
  // wait through these instead, as a cancel of the challenge. Any thread.
  void cancelTrustChallenge(std::uint64_t identifier);
  // Of every challenge from now on: the tasks are being cancelled anyway.
  void cancelTrustChallenges();
  // Engine thread: the challenge a cancel of the task answers, from now
  // until endTrustChallenge.
  void beginTrustChallenge(std::uint64_t identifier, std::shared_ptr<ServerTrustChallenge> challenge);
  void endTrustChallenge();

  // For the task runs, on the engine thread.
  TaskRun* run(std::uint64_t identifier);
  TransferScheduler& scheduler() { return scheduler_; }
  DelegateChannel& delegate() { return delegate_; }
  const URLSessionConfiguration& configuration() const { return *configuration_; }
  // The run has something to hand to the delegate at the end of this turn.
  void needsFlush(TaskRun& run);
  void runEnded(std::uint64_t identifier);
  // WebSocket tasks run on a loop of their own; the engine only hands them
  // their controls and waits for them before it ends.
  void webSocketRunEnded(std::uint64_t identifier);

 private:
  void loop();
  void runCommands();
  // Waits for the network, a command or the next deadline; returns at once
  // when commands are waiting.
  void sleep();
  void wakeUpLocked();
  void readFinishedTransfers();
  void expireDeadlines();
  void flush();
  int pollTimeout() const;
  bool finished() const { return invalidating_ && runs_.empty() && webSocketRuns_.empty(); }
  void registerWebSocketTask(const URLSessionWebSocketTask& task);
  WebSocketRun* webSocketRun(std::uint64_t identifier);
  void stop();

  const std::shared_ptr<const URLSessionConfiguration> configuration_;
  DelegateChannel delegate_;
  CURLM* multi_;
  TransferScheduler scheduler_;

  std::mutex mutex_;
  std::vector<Command> commands_;
  // The loop waits in the transfer library's poll, and only a wake-up ends
  // the wait for a command.
  bool sleeping_ = false;
  bool wakeUpSent_ = false;
  bool wakeForEveryCommand_ = false;
  bool accepting_ = true;
  std::uint64_t challengedTask_ = 0;
  std::shared_ptr<ServerTrustChallenge> challenge_;
  bool challengesCancelled_ = false;

  // Engine thread only.
  std::unordered_map<std::uint64_t, std::unique_ptr<TaskRun>> runs_;
  // Runs that ended this turn, destroyed at its end, when no callback of
  // theirs can be on the stack.
  std::vector<std::unique_ptr<TaskRun>> endedRuns_;
  std::vector<TaskRun*> runsToFlush_;
  std::unordered_map<std::uint64_t, std::shared_ptr<WebSocketRun>> webSocketRuns_;
  bool invalidating_ = false;
};

}  // namespace platform
