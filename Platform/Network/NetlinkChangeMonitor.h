#pragma once

#include <functional>
#include <memory>
#include <thread>

#include "Platform/Network/NetlinkSocket.h"

namespace platform {

// Watches the kernel's routing netlink groups for changes of links,
// addresses and routes, and calls `handler` on its own thread after each
// batch of messages. The handler must not own the monitor: the monitor
// stops and joins its thread when it is released.
class NetlinkChangeMonitor {
 public:
  // Null when the socket or the thread cannot be set up.
  static std::unique_ptr<NetlinkChangeMonitor> make(std::function<void()> handler);

  ~NetlinkChangeMonitor();
  NetlinkChangeMonitor(const NetlinkChangeMonitor&) = delete;
  NetlinkChangeMonitor& operator=(const NetlinkChangeMonitor&) = delete;

 private:
  NetlinkChangeMonitor(NetlinkSocket socket, int stopEvent, std::function<void()> handler);
  void run();

  NetlinkSocket socket_;
  int stopEvent_;
  std::function<void()> handler_;
  std::thread thread_;
};

}  // namespace platform
