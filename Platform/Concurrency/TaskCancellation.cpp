#include "Platform/Concurrency/TaskCancellation.h"

#include <algorithm>

namespace platform {

bool TaskCancellation::isCancelled() const {
  std::lock_guard lock(mutex_);
  return cancelled_;
}

void TaskCancellation::cancel() {
  std::vector<std::pair<HandlerID, Handler>> handlers;
  {
    std::lock_guard lock(mutex_);
    if (cancelled_) return;
    cancelled_ = true;
    handlers = std::exchange(handlers_, {});
  }
  for (auto& [id, handler] : handlers) handler();
}

std::optional<TaskCancellation::HandlerID> TaskCancellation::addHandler(Handler handler) {
  {
    std::lock_guard lock(mutex_);
    if (!cancelled_) {
      const HandlerID id = nextID_++;
      handlers_.emplace_back(id, std::move(handler));
      return id;
    }
  }
  handler();
  return std::nullopt;
}

void TaskCancellation::removeHandler(HandlerID id) {
  std::lock_guard lock(mutex_);
  std::erase_if(handlers_, [id](const auto& entry) { return entry.first == id; });
}

}  // namespace platform
