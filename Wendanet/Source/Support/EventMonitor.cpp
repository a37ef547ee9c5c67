#include "Wendanet/Source/Support/EventMonitor.h"

namespace wendanet {

namespace {

// The default events watch nothing: their arguments go unused.
template <class... Arguments>
void ignore(const Arguments&...) {}

}  // namespace

std::shared_ptr<platform::DispatchQueue> EventMonitor::queue() const { return platform::DispatchQueue::main(); }

bool EventMonitor::isObserved() const { return true; }

#define WENDANET_IGNORE_EVENT(name, parameters, arguments) \
  void EventMonitor::name parameters { ignore arguments; }
WENDANET_EVENT_MONITOR_EVENTS(WENDANET_IGNORE_EVENT, WENDANET_IGNORE_EVENT)
#undef WENDANET_IGNORE_EVENT

}  // namespace wendanet
