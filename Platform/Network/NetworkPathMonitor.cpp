#include "Platform/Network/NetworkPathMonitor.h"

#include <algorithm>

namespace platform {

bool NetworkInterfaceFilter::admits(NetworkInterfaceType type) const {
  if (requiredType) return type == *requiredType;
  return type != NetworkInterfaceType::loopback && std::ranges::find(prohibitedTypes, type) == prohibitedTypes.end();
}

NetworkPath pathOverInterfaces(const std::vector<NetworkInterface>& interfaces, const NetworkInterfaceFilter& filter) {
  const bool usable = std::ranges::any_of(
      interfaces, [&](const NetworkInterface& interface) { return filter.admits(interface.type) && interface.isUsable(); });
  return {usable ? NetworkPath::Status::satisfied : NetworkPath::Status::unsatisfied};
}

std::shared_ptr<NetworkPathMonitor> NetworkPathMonitor::make() {
  return std::shared_ptr<NetworkPathMonitor>(new NetworkPathMonitor({}));
}

std::shared_ptr<NetworkPathMonitor> NetworkPathMonitor::make(NetworkInterfaceType requiredInterfaceType) {
  return std::shared_ptr<NetworkPathMonitor>(new NetworkPathMonitor({.requiredType = requiredInterfaceType}));
}

std::shared_ptr<NetworkPathMonitor> NetworkPathMonitor::make(std::vector<NetworkInterfaceType> prohibitedInterfaceTypes) {
  return std::shared_ptr<NetworkPathMonitor>(
      new NetworkPathMonitor({.prohibitedTypes = std::move(prohibitedInterfaceTypes)}));
}

NetworkPathMonitor::NetworkPathMonitor(NetworkInterfaceFilter filter)
    : filter_(std::move(filter)), delivery_(std::make_shared<Delivery>()) {
  delivery_->filter = filter_;
}

NetworkPathMonitor::~NetworkPathMonitor() {
  std::lock_guard lock(monitorMutex_);
  monitor_.reset();
}

void NetworkPathMonitor::setPathUpdateHandler(PathUpdateHandler handler) {
  std::lock_guard lock(delivery_->mutex);
  delivery_->handler = std::move(handler);
}

void NetworkPathMonitor::start(std::shared_ptr<DispatchQueue> queue) {
  std::lock_guard lock(monitorMutex_);
  {
    std::lock_guard deliveryLock(delivery_->mutex);
    if (started_ || delivery_->cancelled) return;
    started_ = true;
    delivery_->queue = std::move(queue);
  }
  // The first path is told even though nothing changed yet.
  delivery_->deliverIfChanged();
  monitor_ = NetlinkChangeMonitor::make([delivery = delivery_] { delivery->deliverIfChanged(); });
}

void NetworkPathMonitor::cancel() {
  std::lock_guard lock(monitorMutex_);
  {
    std::lock_guard deliveryLock(delivery_->mutex);
    delivery_->cancelled = true;
  }
  // Released outside the delivery lock: its thread may be waiting for it.
  monitor_.reset();
}

void NetworkPathMonitor::Delivery::deliverIfChanged() {
  const NetworkPath path = pathOverInterfaces(currentNetworkInterfaces(), filter);
  std::lock_guard lock(mutex);
  if (cancelled || !queue || path == lastPath) return;
  lastPath = path;
  // The handler is read when the block runs, so a monitor cancelled or
  // cleared meanwhile calls nothing.
  queue->async([self = shared_from_this(), path] {
    PathUpdateHandler handler;
    {
      std::lock_guard lock(self->mutex);
      if (self->cancelled) return;
      handler = self->handler;
    }
    if (handler) handler(path);
  });
}

}  // namespace platform
