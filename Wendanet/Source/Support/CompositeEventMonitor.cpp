#include "Wendanet/Source/Support/CompositeEventMonitor.h"

#include <algorithm>
#include <tuple>
#include <type_traits>
#include <utility>

namespace wendanet {

std::shared_ptr<CompositeEventMonitor> CompositeEventMonitor::make(
    std::shared_ptr<platform::DispatchQueue> queue, std::vector<std::shared_ptr<EventMonitor>> monitors) {
  return std::shared_ptr<CompositeEventMonitor>(new CompositeEventMonitor(std::move(queue), std::move(monitors)));
}

CompositeEventMonitor::CompositeEventMonitor(std::shared_ptr<platform::DispatchQueue> queue,
                                             std::vector<std::shared_ptr<EventMonitor>> monitors)
    : queue_(std::move(queue)), hasMonitors_(!monitors.empty()), monitors_(std::move(monitors)) {}

std::shared_ptr<platform::DispatchQueue> CompositeEventMonitor::queue() const { return queue_; }

std::vector<std::shared_ptr<EventMonitor>> CompositeEventMonitor::monitors() const {
  return monitors_.read([](const std::vector<std::shared_ptr<EventMonitor>>& monitors) { return monitors; });
}

bool CompositeEventMonitor::isObserved() const {
  return monitors_.read([](const std::vector<std::shared_ptr<EventMonitor>>& monitors) {
    return std::ranges::any_of(monitors, [](const auto& monitor) { return monitor->isObserved(); });
  });
}

template <class... Parameters, class... Arguments>
void CompositeEventMonitor::forward(void (EventMonitor::*event)(Parameters...), const Arguments&... arguments) {
  if (!hasMonitors_) return;
  std::shared_ptr<const Event> captured;
  // `write` gives the list in place, without a copy; nothing changes it.
  monitors_.write([&](const std::vector<std::shared_ptr<EventMonitor>>& monitors) {
    for (const auto& monitor : monitors) {
      if (!monitor->isObserved()) continue;
      if (!captured) {
        captured = std::make_shared<const Event>(
            [event, values = std::tuple<std::decay_t<Parameters>...>(arguments...)](EventMonitor& target) {
              std::apply([&](const auto&... value) { (target.*event)(value...); }, values);
            });
      }
      auto queue = monitor->queue();
      if (!queue) queue = platform::DispatchQueue::main();
      queue->async([monitor, captured] { (*captured)(*monitor); });
    }
  });
}

#define WENDANET_FORWARD_EVENT(name, parameters, arguments) \
  void CompositeEventMonitor::name parameters { forward(&EventMonitor::name, WENDANET_EVENT_ARGUMENTS arguments); }
WENDANET_EVENT_MONITOR_EVENTS(WENDANET_FORWARD_EVENT, WENDANET_FORWARD_EVENT)
#undef WENDANET_FORWARD_EVENT

}  // namespace wendanet
