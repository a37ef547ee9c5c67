#include "Platform/Network/NetworkReachability.h"

#include <netdb.h>
#include <netinet/in.h>

#include <cstring>
#include <string>

namespace platform {

namespace {

bool isUnspecified(const sockaddr_storage& address) {
  if (address.ss_family == AF_INET) {
    return reinterpret_cast<const sockaddr_in&>(address).sin_addr.s_addr == htonl(INADDR_ANY);
  }
  return IN6_IS_ADDR_UNSPECIFIED(&reinterpret_cast<const sockaddr_in6&>(address).sin6_addr);
}

// Flags of the first address with a usable route; 0 when the kernel knows
// no route for any of them, absent when it could not be asked at all.
template <class Addresses>
std::optional<NetworkReachability::Flags> flagsForAddresses(const Addresses& addresses) {
  bool answered = false;
  for (const sockaddr* address : addresses) {
    const auto route = lookUpRoute(*address);
    if (!route) continue;
    answered = true;
    if (*route) return reachabilityFlags(*route);
  }
  if (!answered) return std::nullopt;
  return 0;
}

std::optional<NetworkReachability::Flags> flagsForHost(const std::string& hostName) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  // A name that does not resolve cannot be reached.
  if (::getaddrinfo(hostName.c_str(), nullptr, &hints, &found) != 0) return 0;
  std::vector<const sockaddr*> addresses;
  for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) addresses.push_back(entry->ai_addr);
  const auto flags = flagsForAddresses(addresses);
  ::freeaddrinfo(found);
  return flags;
}

}  // namespace

NetworkReachability::Flags reachabilityFlags(const std::optional<Route>& route) {
  if (!route) return 0;
  switch (route->kind) {
    case Route::Kind::local:
      return NetworkReachability::reachable | NetworkReachability::isLocalAddress | NetworkReachability::isDirect;
    case Route::Kind::direct:
      return NetworkReachability::reachable | NetworkReachability::isDirect;
    case Route::Kind::viaGateway:
      return NetworkReachability::reachable;
  }
  return 0;
}

NetworkReachability::Flags generalReachabilityFlags(const std::vector<NetworkInterface>& interfaces) {
  for (const auto& interface : interfaces) {
    if (interface.type != NetworkInterfaceType::loopback && interface.isUsable()) return NetworkReachability::reachable;
  }
  return 0;
}

std::shared_ptr<NetworkReachability> NetworkReachability::createWithName(std::string_view hostName) {
  if (hostName.empty()) return nullptr;
  return std::shared_ptr<NetworkReachability>(
      new NetworkReachability([host = std::string(hostName)] { return flagsForHost(host); }));
}

std::shared_ptr<NetworkReachability> NetworkReachability::createWithAddress(const sockaddr& address) {
  std::size_t length = 0;
  if (address.sa_family == AF_INET) length = sizeof(sockaddr_in);
  if (address.sa_family == AF_INET6) length = sizeof(sockaddr_in6);
  if (length == 0) return nullptr;
  sockaddr_storage stored{};
  std::memcpy(&stored, &address, length);
  if (isUnspecified(stored)) {
    return std::shared_ptr<NetworkReachability>(
        new NetworkReachability([] { return generalReachabilityFlags(currentNetworkInterfaces()); }));
  }
  return std::shared_ptr<NetworkReachability>(new NetworkReachability([stored] {
    const std::vector<const sockaddr*> addresses{reinterpret_cast<const sockaddr*>(&stored)};
    return flagsForAddresses(addresses);
  }));
}

NetworkReachability::NetworkReachability(FlagsReader readFlags) : delivery_(std::make_shared<Delivery>()) {
  delivery_->readFlags = std::move(readFlags);
}

NetworkReachability::~NetworkReachability() {
  std::lock_guard lock(monitorMutex_);
  monitor_.reset();
}

std::optional<NetworkReachability::Flags> NetworkReachability::getFlags() const { return delivery_->readFlags(); }

bool NetworkReachability::setCallback(Callback callback) {
  {
    std::lock_guard lock(delivery_->mutex);
    delivery_->callback = std::move(callback);
  }
  return updateMonitoring();
}

bool NetworkReachability::setDispatchQueue(std::shared_ptr<DispatchQueue> queue) {
  {
    std::lock_guard lock(delivery_->mutex);
    delivery_->queue = std::move(queue);
  }
  return updateMonitoring();
}

bool NetworkReachability::hasCallback() const {
  std::lock_guard lock(delivery_->mutex);
  return static_cast<bool>(delivery_->callback);
}

bool NetworkReachability::updateMonitoring() {
  // The delivery lock is never held while the monitor is released: its
  // thread may be waiting for that lock, and releasing it joins the thread.
  std::lock_guard lock(monitorMutex_);
  const bool wanted = [&] {
    std::lock_guard deliveryLock(delivery_->mutex);
    return delivery_->callback && delivery_->queue;
  }();
  if (!wanted) {
    monitor_.reset();
    return true;
  }
  if (monitor_) return true;
  const auto initialFlags = delivery_->readFlags();
  {
    std::lock_guard deliveryLock(delivery_->mutex);
    delivery_->lastFlags = initialFlags;
  }
  monitor_ = NetlinkChangeMonitor::make([delivery = delivery_] { delivery->deliverIfChanged(); });
  return monitor_ != nullptr;
}

void NetworkReachability::Delivery::deliverIfChanged() {
  const auto flags = readFlags();
  std::lock_guard lock(mutex);
  if (!callback || !queue || !flags || flags == lastFlags) return;
  lastFlags = flags;
  queue->async([callback = callback, flags = *flags] { callback(flags); });
}

}  // namespace platform
