#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

#include "Platform/URLLoading/Engine/ServerTrustAnswer.h"

namespace platform {

// Where the engine thread, inside a TLS handshake, waits for the answer to
// a server-trust challenge. Only the first answer counts, whoever gives it:
// the delegate, or a cancel of the task or of the session.
class ServerTrustChallenge {
 public:
  using Clock = std::chrono::steady_clock;

  // Any thread.
  void answer(ServerTrustAnswer answer);
  void cancel();
  // The answer, or none when `deadline` passed first; without a deadline
  // only an answer ends the wait.
  std::optional<ServerTrustAnswer> wait(std::optional<Clock::time_point> deadline);

 private:
  std::mutex mutex_;
  std::condition_variable answered_;
  std::optional<ServerTrustAnswer> answer_;
};

}  // namespace platform
