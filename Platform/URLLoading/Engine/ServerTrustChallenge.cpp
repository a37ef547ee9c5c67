#include "Platform/URLLoading/Engine/ServerTrustChallenge.h"

namespace platform {

void ServerTrustChallenge::answer(ServerTrustAnswer answer) {
  {
    std::lock_guard lock(mutex_);
    if (answer_) return;
    answer_ = std::move(answer);
  }
  answered_.notify_all();
}

void ServerTrustChallenge::cancel() {
  answer({URLSessionAuthChallengeDisposition::cancelAuthenticationChallenge, std::nullopt});
}

std::optional<ServerTrustAnswer> ServerTrustChallenge::wait(std::optional<Clock::time_point> deadline) {
  std::unique_lock lock(mutex_);
  const auto isAnswered = [this] { return answer_.has_value(); };
  if (deadline) {
    answered_.wait_until(lock, *deadline, isAnswered);
  } else {
    answered_.wait(lock, isAnswered);
  }
  return answer_;
}

}  // namespace platform
