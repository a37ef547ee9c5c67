#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

namespace platform {

// Turns the engine's side of a delegate answer into the handler the
// delegate receives: copies of the handler share one answer, only the
// first call is passed on, and when the last copy goes without a call the
// fallback is passed on instead, so no task waits for an answer that can
// never come.
template <class Answer>
std::function<void(Answer)> makeOnceReply(std::move_only_function<void(Answer)> deliver, Answer fallback) {
  class Reply {
   public:
    Reply(std::move_only_function<void(Answer)> deliver, Answer fallback)
        : deliver_(std::move(deliver)), fallback_(std::move(fallback)) {}
    Reply(const Reply&) = delete;
    Reply& operator=(const Reply&) = delete;
    ~Reply() {
      if (deliver_) (*deliver_)(std::move(fallback_));
    }

    void answer(Answer answer) {
      std::optional<std::move_only_function<void(Answer)>> deliver;
      {
        std::lock_guard lock(mutex_);
        deliver.swap(deliver_);
      }
      if (deliver) (*deliver)(std::move(answer));
    }

   private:
    std::mutex mutex_;
    std::optional<std::move_only_function<void(Answer)>> deliver_;
    Answer fallback_;
  };
  auto reply = std::make_shared<Reply>(std::move(deliver), std::move(fallback));
  return [reply](Answer answer) { reply->answer(std::move(answer)); };
}

}  // namespace platform
