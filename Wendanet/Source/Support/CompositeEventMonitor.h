#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "Platform/Dispatch/DispatchQueue.h"
#include "Wendanet/Source/Support/EventMonitor.h"
#include "Wendanet/Source/Support/EventMonitorEvents.h"
#include "Wendanet/Source/Core/Protected.h"

namespace wendanet {

// Hands every event it receives to each of its monitors, in list order, as
// a block on the queue that monitor names at that moment. The whole hand-out
// of one event happens under one lock, so every monitor sees all events in
// the same order; nothing runs inside the raiser's call, and the raiser
// never waits. The arguments are copied once per event, and not at all when
// no monitor is observed.
class CompositeEventMonitor final : public EventMonitor {
 public:
  static std::shared_ptr<CompositeEventMonitor> make(std::shared_ptr<platform::DispatchQueue> queue,
                                                     std::vector<std::shared_ptr<EventMonitor>> monitors);

  // The queue this composite itself is handed its events on when it is
  // another composite's member; its own fan-out never uses it.
  std::shared_ptr<platform::DispatchQueue> queue() const override;
  std::vector<std::shared_ptr<EventMonitor>> monitors() const;
  // True when any member is.
  bool isObserved() const override;

#define WENDANET_OVERRIDE_EVENT(name, parameters, arguments) void name parameters override;
  WENDANET_EVENT_MONITOR_EVENTS(WENDANET_OVERRIDE_EVENT, WENDANET_OVERRIDE_EVENT)
#undef WENDANET_OVERRIDE_EVENT

 private:
  using Event = std::function<void(EventMonitor&)>;

  CompositeEventMonitor(std::shared_ptr<platform::DispatchQueue> queue,
                        std::vector<std::shared_ptr<EventMonitor>> monitors);

  // Captures the arguments once, on meeting the first observed monitor,
  // and raises `event` with them on every observed monitor.
  template <class... Parameters, class... Arguments>
  void forward(void (EventMonitor::*event)(Parameters...), const Arguments&... arguments);

  const std::shared_ptr<platform::DispatchQueue> queue_;
  // The list never changes, so whether it is empty is known without the lock.
  const bool hasMonitors_;
  Protected<std::vector<std::shared_ptr<EventMonitor>>> monitors_;
};

}  // namespace wendanet
