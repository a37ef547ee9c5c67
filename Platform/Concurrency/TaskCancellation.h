#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace platform {

// The cancellation of one task: a flag that is set once, and the handlers
// that run when it is set. Shared by the task's handle and its coroutine.
class TaskCancellation {
 public:
  using Handler = std::function<void()>;
  using HandlerID = std::uint64_t;

  bool isCancelled() const;
  // Sets the flag and runs every registered handler once, on the calling
  // thread, outside the lock; later calls do nothing.
  void cancel();
  // Keeps `handler` until it is removed or the task is cancelled. A task
  // already cancelled runs it at once instead and keeps nothing.
  std::optional<HandlerID> addHandler(Handler handler);
  void removeHandler(HandlerID id);

 private:
  mutable std::mutex mutex_;
  bool cancelled_ = false;
  HandlerID nextID_ = 0;
  std::vector<std::pair<HandlerID, Handler>> handlers_;
};

}  // namespace platform
