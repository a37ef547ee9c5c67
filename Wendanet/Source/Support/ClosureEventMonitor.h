#pragma once

#include <functional>
#include <memory>

#include "Platform/Dispatch/DispatchQueue.h"
#include "Wendanet/Source/Support/EventMonitor.h"
#include "Wendanet/Source/Support/EventMonitorEvents.h"

namespace wendanet {

namespace detail {
template <class Event>
struct ClosureOf;
template <class... Parameters>
struct ClosureOf<void (EventMonitor::*)(Parameters...)> {
  using type = std::function<void(Parameters...)>;
};
}  // namespace detail

// A closure taking exactly the arguments of the event.
template <auto Event>
using EventClosure = typename detail::ClosureOf<decltype(Event)>::type;

// A monitor for code that wants a few events without a monitor type of its
// own: each event calls its closure, when one is set, with the event's
// arguments. The three events that carry a serializer's value have no
// closure. Closures carry no lock: set them before the monitor is added,
// or on its queue.
class ClosureEventMonitor : public EventMonitor {
 public:
  struct Closures {
#define WENDANET_EVENT_CLOSURE(name, parameters, arguments) EventClosure<&EventMonitor::name> name;
    WENDANET_EVENT_MONITOR_EVENTS(WENDANET_EVENT_CLOSURE, WENDANET_SKIP_EVENT)
#undef WENDANET_EVENT_CLOSURE
  };

  static std::shared_ptr<ClosureEventMonitor> make(
      std::shared_ptr<platform::DispatchQueue> queue = platform::DispatchQueue::main());

  // Every closure starts unset.
  Closures closures;

  std::shared_ptr<platform::DispatchQueue> queue() const override;

  // Every event that has a closure.
#define WENDANET_OVERRIDE_EVENT(name, parameters, arguments) void name parameters override;
  WENDANET_EVENT_MONITOR_EVENTS(WENDANET_OVERRIDE_EVENT, WENDANET_SKIP_EVENT)
#undef WENDANET_OVERRIDE_EVENT

 protected:
  explicit ClosureEventMonitor(std::shared_ptr<platform::DispatchQueue> queue);

 private:
  const std::shared_ptr<platform::DispatchQueue> queue_;
};

}  // namespace wendanet
