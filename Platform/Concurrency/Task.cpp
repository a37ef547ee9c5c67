#include "Platform/Concurrency/Task.h"

#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Fatal.h"

namespace platform {

void resumeOnExecutor(std::coroutine_handle<> handle) {
  DispatchQueue::global()->async([handle] { handle.resume(); });
}

namespace detail {

void requireOffMainQueue() {
  if (DispatchQueue::main()->isCurrent()) {
    fatal("Waiting for a task inside a main-queue block would wait forever: await it instead.");
  }
}

}  // namespace detail
}  // namespace platform
