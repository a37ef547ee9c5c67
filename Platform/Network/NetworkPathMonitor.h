#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Network/NetlinkChangeMonitor.h"
#include "Platform/Network/NetworkInterface.h"

namespace platform {

// The state of the network as a path monitor sees it.
struct NetworkPath {
  enum class Status { satisfied, unsatisfied, requiresConnection };
  Status status = Status::unsatisfied;

  friend bool operator==(const NetworkPath&, const NetworkPath&) = default;
};

// Which interfaces a monitor counts: one required type, or any but some
// prohibited types.
struct NetworkInterfaceFilter {
  std::optional<NetworkInterfaceType> requiredType = std::nullopt;
  std::vector<NetworkInterfaceType> prohibitedTypes = {};

  bool admits(NetworkInterfaceType type) const;
};

// The path over the interfaces a filter admits: satisfied while one of them
// is up, running and addressed. Loopback counts only when required.
NetworkPath pathOverInterfaces(const std::vector<NetworkInterface>& interfaces, const NetworkInterfaceFilter& filter);

// Tells a handler, on a queue, the current path when started and each
// change of it afterwards, until cancelled. The virtual operations let
// callers substitute a monitor of their own.
class NetworkPathMonitor {
 public:
  using PathUpdateHandler = std::function<void(const NetworkPath&)>;

  static std::shared_ptr<NetworkPathMonitor> make();
  static std::shared_ptr<NetworkPathMonitor> make(NetworkInterfaceType requiredInterfaceType);
  static std::shared_ptr<NetworkPathMonitor> make(std::vector<NetworkInterfaceType> prohibitedInterfaceTypes);

  virtual ~NetworkPathMonitor();
  NetworkPathMonitor(const NetworkPathMonitor&) = delete;
  NetworkPathMonitor& operator=(const NetworkPathMonitor&) = delete;

  const NetworkInterfaceFilter& filter() const { return filter_; }

  // An empty handler removes it.
  virtual void setPathUpdateHandler(PathUpdateHandler handler);
  // A monitor starts once; a second start, or a start after cancel, does
  // nothing.
  virtual void start(std::shared_ptr<DispatchQueue> queue);
  virtual void cancel();

 protected:
  explicit NetworkPathMonitor(NetworkInterfaceFilter filter);

 private:
  // Shared with the change monitor's thread, which must not own this object.
  struct Delivery : std::enable_shared_from_this<Delivery> {
    NetworkInterfaceFilter filter;
    std::mutex mutex;
    PathUpdateHandler handler;
    std::shared_ptr<DispatchQueue> queue;
    std::optional<NetworkPath> lastPath;
    bool cancelled = false;

    void deliverIfChanged();
  };

  NetworkInterfaceFilter filter_;
  std::shared_ptr<Delivery> delivery_;
  std::mutex monitorMutex_;
  bool started_ = false;
  std::unique_ptr<NetlinkChangeMonitor> monitor_;
};

}  // namespace platform
