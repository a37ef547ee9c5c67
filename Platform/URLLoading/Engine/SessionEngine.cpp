#include "Platform/URLLoading/Engine/SessionEngine.h"

#include <algorithm>
#include <thread>
#include <utility>

#include "Platform/Fatal.h"
#include "Platform/URLLoading/Engine/ServerTrustChallenge.h"
#include "Platform/URLLoading/Engine/TaskRun.h"
#include "Platform/URLLoading/Engine/WebSocketRun.h"
#include "Platform/URLLoading/URLSessionDataTask.h"
#include "Platform/URLLoading/URLSessionDelegate.h"
#include "Platform/URLLoading/URLSessionWebSocketTask.h"
#include "Platform/URLLoading/URLSessionDownloadTask.h"

namespace platform {

namespace {

CURLM* makeMultiHandle(int maximumConnectionsPerHost) {
  static std::once_flag libraryInitialized;
  std::call_once(libraryInitialized, [] { curl_global_init(CURL_GLOBAL_ALL); });
  CURLM* multi = curl_multi_init();
  if (multi == nullptr) fatal("The transfer library could not create a multi handle.");
  curl_multi_setopt(multi, CURLMOPT_MAX_HOST_CONNECTIONS, static_cast<long>(std::max(maximumConnectionsPerHost, 0)));
  return multi;
}

// With nothing timed, the loop still wakes now and then; commands wake it
// at once anyway.
constexpr int longestWaitMilliseconds = 60 * 1000;

}  // namespace

std::shared_ptr<SessionEngine> SessionEngine::start(std::shared_ptr<const URLSessionConfiguration> configuration,
                                                    DelegateChannel delegate) {
  auto engine = std::make_shared<SessionEngine>(std::move(configuration), std::move(delegate));
  // The thread holds the engine, and the engine its session, until the
  // session has been invalidated and its last task has completed.
  std::thread([engine] { engine->loop(); }).detach();
  return engine;
}

SessionEngine::SessionEngine(std::shared_ptr<const URLSessionConfiguration> configuration, DelegateChannel delegate)
    : configuration_(std::move(configuration)),
      delegate_(std::move(delegate)),
      multi_(makeMultiHandle(configuration_->httpMaximumConnectionsPerHost())),
      scheduler_(multi_, configuration_->httpMaximumConnectionsPerHost()) {}

SessionEngine::~SessionEngine() {
  if (multi_ != nullptr) curl_multi_cleanup(multi_);
}

bool SessionEngine::post(Command command) {
  std::lock_guard lock(mutex_);
  if (!accepting_) return false;
  wakeUpLocked();
  commands_.push_back(std::move(command));
  return true;
}

bool SessionEngine::postUnhurried(Command command) {
  std::lock_guard lock(mutex_);
  if (!accepting_) return false;
  if (wakeForEveryCommand_) wakeUpLocked();
  commands_.push_back(std::move(command));
  return true;
}

void SessionEngine::wakeUpLocked() {
  // A loop that is not asleep looks for commands before it sleeps again, and
  // one wake-up serves every command until it takes them.
  if (!sleeping_ || std::exchange(wakeUpSent_, true)) return;
  curl_multi_wakeup(multi_);
}

void SessionEngine::registerTask(std::shared_ptr<URLSessionTask> task) {
  if (const auto* webSocketTask = dynamic_cast<const URLSessionWebSocketTask*>(task.get())) {
    return registerWebSocketTask(*webSocketTask);
  }
  if (!std::dynamic_pointer_cast<URLSessionDataTask>(task) &&
      !std::dynamic_pointer_cast<URLSessionDownloadTask>(task)) {
    fatal("The session engine was given a task of a kind it does not run.");
  }
  const auto identifier = task->taskIdentifier();
  runs_.emplace(identifier, std::make_unique<TaskRun>(*this, std::move(task)));
}

void SessionEngine::resumeTask(std::uint64_t identifier) {
  if (auto* found = run(identifier)) found->resume();
  if (auto* webSocket = webSocketRun(identifier)) webSocket->resume();
}

void SessionEngine::suspendTask(std::uint64_t identifier) {
  if (auto* found = run(identifier)) found->suspend();
  if (auto* webSocket = webSocketRun(identifier)) webSocket->suspend();
}

void SessionEngine::cancelTask(std::uint64_t identifier) {
  if (auto* found = run(identifier)) found->cancel();
  if (auto* webSocket = webSocketRun(identifier)) webSocket->cancel();
}

void SessionEngine::invalidate(bool cancelTasks) {
  invalidating_ = true;
  {
    std::lock_guard lock(mutex_);
    wakeForEveryCommand_ = true;
  }
  if (!cancelTasks) return;
  std::vector<TaskRun*> running;
  for (auto& [identifier, entry] : runs_) running.push_back(entry.get());
  for (auto* entry : running) entry->cancel();
  for (auto& [identifier, webSocket] : webSocketRuns_) webSocket->cancel();
}

void SessionEngine::cancelTrustChallenge(std::uint64_t identifier) {
  std::lock_guard lock(mutex_);
  if (challenge_ && challengedTask_ == identifier) challenge_->cancel();
}

void SessionEngine::cancelTrustChallenges() {
  std::lock_guard lock(mutex_);
  challengesCancelled_ = true;
  if (challenge_) challenge_->cancel();
}

void SessionEngine::beginTrustChallenge(std::uint64_t identifier, std::shared_ptr<ServerTrustChallenge> challenge) {
  std::lock_guard lock(mutex_);
  challengedTask_ = identifier;
  challenge_ = std::move(challenge);
  if (challengesCancelled_) challenge_->cancel();
}

void SessionEngine::endTrustChallenge() {
  std::lock_guard lock(mutex_);
  challenge_.reset();
}

void SessionEngine::registerWebSocketTask(const URLSessionWebSocketTask& task) {
  task.run_->attach(delegate_.target(), weak_from_this());
  webSocketRuns_.emplace(task.taskIdentifier(), task.run_);
}

WebSocketRun* SessionEngine::webSocketRun(std::uint64_t identifier) {
  const auto found = webSocketRuns_.find(identifier);
  return found == webSocketRuns_.end() ? nullptr : found->second.get();
}

void SessionEngine::webSocketRunEnded(std::uint64_t identifier) { webSocketRuns_.erase(identifier); }

TaskRun* SessionEngine::run(std::uint64_t identifier) {
  const auto found = runs_.find(identifier);
  return found == runs_.end() ? nullptr : found->second.get();
}

void SessionEngine::needsFlush(TaskRun& run) { runsToFlush_.push_back(&run); }

void SessionEngine::runEnded(std::uint64_t identifier) {
  const auto found = runs_.find(identifier);
  if (found == runs_.end()) return;
  endedRuns_.push_back(std::move(found->second));
  runs_.erase(found);
}

void SessionEngine::loop() {
  while (true) {
    runCommands();
    if (finished()) break;
    int running = 0;
    curl_multi_perform(multi_, &running);
    readFinishedTransfers();
    expireDeadlines();
    flush();
    delegate_.send();
    endedRuns_.clear();
    if (finished()) break;
    scheduler_.startWaiting();
    sleep();
  }
  stop();
}

void SessionEngine::sleep() {
  const int timeout = pollTimeout();
  {
    std::lock_guard lock(mutex_);
    // Commands that came during the turn did not wake the loop: they are
    // taken at once instead.
    if (!commands_.empty()) return;
    sleeping_ = true;
    wakeUpSent_ = false;
  }
  curl_multi_poll(multi_, nullptr, 0, timeout, nullptr);
  std::lock_guard lock(mutex_);
  sleeping_ = false;
}

void SessionEngine::runCommands() {
  std::vector<Command> commands;
  {
    std::lock_guard lock(mutex_);
    commands.swap(commands_);
  }
  for (auto& command : commands) command(*this);
}

void SessionEngine::readFinishedTransfers() {
  int remaining = 0;
  while (CURLMsg* message = curl_multi_info_read(multi_, &remaining)) {
    if (message->msg != CURLMSG_DONE) continue;
    // The message does not outlive the transfer's removal.
    const CURLcode result = message->data.result;
    Transfer::of(message->easy_handle)->end(result);
  }
}

void SessionEngine::expireDeadlines() {
  const auto now = Clock::now();
  std::vector<TaskRun*> due;
  for (auto& [identifier, entry] : runs_) {
    const auto deadline = entry->deadline();
    if (deadline && *deadline <= now) due.push_back(entry.get());
  }
  for (auto* entry : due) entry->expireIfDue(now);
}

void SessionEngine::flush() {
  for (auto* entry : runsToFlush_) entry->flush();
  runsToFlush_.clear();
}

int SessionEngine::pollTimeout() const {
  auto wait = std::chrono::milliseconds(longestWaitMilliseconds);
  const auto now = Clock::now();
  for (const auto& [identifier, entry] : runs_) {
    const auto deadline = entry->deadline();
    if (!deadline) continue;
    // Rounded up, so the loop never wakes a moment before the deadline.
    wait = std::min(wait, std::chrono::ceil<std::chrono::milliseconds>(*deadline - now));
  }
  return static_cast<int>(std::max<std::int64_t>(wait.count(), 0));
}

void SessionEngine::stop() {
  std::vector<Command> dropped;
  {
    std::lock_guard lock(mutex_);
    accepting_ = false;
    dropped.swap(commands_);
  }
  // Dropped commands may hold answers whose fallbacks post again; they are
  // refused now, outside the lock.
  dropped.clear();
  endedRuns_.clear();
  curl_multi_cleanup(multi_);
  multi_ = nullptr;
  delegate_.close([](URLSessionDelegate& delegate, const std::shared_ptr<URLSession>& session) {
    delegate.didBecomeInvalidWithError(session, nullptr);
  });
}

}  // namespace platform
