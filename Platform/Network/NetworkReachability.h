#pragma once

#include <sys/socket.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Network/NetlinkChangeMonitor.h"
#include "Platform/Network/NetworkInterface.h"
#include "Platform/Network/RouteLookup.h"

namespace platform {

// Whether a host, or the network in general, can be reached now, as a word
// of flags, with a callback on a queue when the flags change. The flags
// come from the kernel's routing table and the interface list, and change
// notices from its routing netlink groups.
class NetworkReachability {
 public:
  using Flags = std::uint32_t;
  static constexpr Flags transientConnection = 0x1;
  static constexpr Flags reachable = 0x2;
  static constexpr Flags connectionRequired = 0x4;
  static constexpr Flags connectionOnTraffic = 0x8;
  static constexpr Flags interventionRequired = 0x10;
  static constexpr Flags connectionOnDemand = 0x20;
  static constexpr Flags isLocalAddress = 0x10000;
  static constexpr Flags isDirect = 0x20000;

  using Callback = std::function<void(Flags)>;

  // Null for an empty host name.
  static std::shared_ptr<NetworkReachability> createWithName(std::string_view hostName);
  // Null unless the address is IPv4 or IPv6. The unspecified address
  // (0.0.0.0 or ::) stands for the network in general.
  static std::shared_ptr<NetworkReachability> createWithAddress(const sockaddr& address);

  ~NetworkReachability();
  NetworkReachability(const NetworkReachability&) = delete;
  NetworkReachability& operator=(const NetworkReachability&) = delete;

  // Absent when the routing table cannot be asked.
  std::optional<Flags> getFlags() const;
  // Both return whether they were accepted. The callback runs on the queue
  // with the new flags after each change, only while both are set; an empty
  // callback or a null queue removes it.
  bool setCallback(Callback callback);
  bool setDispatchQueue(std::shared_ptr<DispatchQueue> queue);
  bool hasCallback() const;

 private:
  using FlagsReader = std::function<std::optional<Flags>()>;
  // Shared with the change monitor's thread, which must not own this object.
  struct Delivery {
    FlagsReader readFlags;
    std::mutex mutex;
    Callback callback;
    std::shared_ptr<DispatchQueue> queue;
    std::optional<Flags> lastFlags;

    void deliverIfChanged();
  };

  explicit NetworkReachability(FlagsReader readFlags);
  bool updateMonitoring();

  std::shared_ptr<Delivery> delivery_;
  std::mutex monitorMutex_;
  std::unique_ptr<NetlinkChangeMonitor> monitor_;
};

// Flags for a destination the kernel routes as `route` (absent: no route).
NetworkReachability::Flags reachabilityFlags(const std::optional<Route>& route);
// Flags for the network in general: reachable while some interface other
// than loopback is up, running and addressed.
NetworkReachability::Flags generalReachabilityFlags(const std::vector<NetworkInterface>& interfaces);

}  // namespace platform
