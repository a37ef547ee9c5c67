#include "Wendanet/Source/Support/ClosureEventMonitor.h"

#include <utility>

namespace wendanet {

namespace {

// Calls a copy, so that a closure may replace or clear itself while it runs.
template <class Closure, class... Arguments>
void callIfSet(const Closure& closure, const Arguments&... arguments) {
  if (!closure) return;
  const Closure copy = closure;
  copy(arguments...);
}

}  // namespace

std::shared_ptr<ClosureEventMonitor> ClosureEventMonitor::make(std::shared_ptr<platform::DispatchQueue> queue) {
  return std::shared_ptr<ClosureEventMonitor>(new ClosureEventMonitor(std::move(queue)));
}

ClosureEventMonitor::ClosureEventMonitor(std::shared_ptr<platform::DispatchQueue> queue) : queue_(std::move(queue)) {}

std::shared_ptr<platform::DispatchQueue> ClosureEventMonitor::queue() const { return queue_; }

#define WENDANET_CALL_CLOSURE(name, parameters, arguments) \
  void ClosureEventMonitor::name parameters { callIfSet(closures.name, WENDANET_EVENT_ARGUMENTS arguments); }
WENDANET_EVENT_MONITOR_EVENTS(WENDANET_CALL_CLOSURE, WENDANET_SKIP_EVENT)
#undef WENDANET_CALL_CLOSURE

}  // namespace wendanet
