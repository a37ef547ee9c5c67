#include "Wendanet/Source/Policies/NetworkReachabilityManager.h"

#include <netinet/in.h>

#include <array>
#include <utility>

namespace wendanet {

namespace {

using platform::NetworkReachability;
using Status = NetworkReachabilityManager::NetworkReachabilityStatus;

}  // namespace

Status Status::fromFlags(std::optional<Flags> flags) {
  if (!flags) return unknown();
  if ((*flags & NetworkReachability::reachable) == 0) return notReachable();
  if ((*flags & NetworkReachability::connectionRequired) == 0) return reachable(ConnectionType::ethernetOrWiFi);
  const bool connectsAutomatically =
      (*flags & (NetworkReachability::connectionOnTraffic | NetworkReachability::connectionOnDemand)) != 0;
  if (!connectsAutomatically || (*flags & NetworkReachability::interventionRequired) != 0) return notReachable();
  return reachable(ConnectionType::ethernetOrWiFi);
}

std::shared_ptr<NetworkReachabilityManager> NetworkReachabilityManager::make(std::string_view host) {
  return make(NetworkReachability::createWithName(host));
}

std::shared_ptr<NetworkReachabilityManager> NetworkReachabilityManager::make() {
  sockaddr_in anyAddress{};
  anyAddress.sin_family = AF_INET;
  return make(NetworkReachability::createWithAddress(reinterpret_cast<const sockaddr&>(anyAddress)));
}

std::shared_ptr<NetworkReachabilityManager> NetworkReachabilityManager::make(
    std::shared_ptr<NetworkReachability> reachability) {
  if (!reachability) return nullptr;
  return std::shared_ptr<NetworkReachabilityManager>(new NetworkReachabilityManager(std::move(reachability)));
}

const std::shared_ptr<NetworkReachabilityManager>& NetworkReachabilityManager::defaultManager() {
  static const std::shared_ptr<NetworkReachabilityManager> manager = make();
  return manager;
}

NetworkReachabilityManager::NetworkReachabilityManager(std::shared_ptr<NetworkReachability> reachability)
    : reachabilityQueue_(platform::DispatchQueue::make("org.wendanet.reachabilityQueue")),
      reachability_(std::move(reachability)) {}

NetworkReachabilityManager::~NetworkReachabilityManager() { NetworkReachabilityManager::endListening(); }

bool NetworkReachabilityManager::isReachableViaAny() const {
  return isReachableViaCellular() || isReachableViaEthernetOrWiFi();
}

bool NetworkReachabilityManager::isReachableViaCellular() const {
  return currentStatus() == Status::reachable(Status::ConnectionType::cellular);
}

bool NetworkReachabilityManager::isReachableViaEthernetOrWiFi() const {
  return currentStatus() == Status::reachable(Status::ConnectionType::ethernetOrWiFi);
}

std::optional<NetworkReachabilityManager::Flags> NetworkReachabilityManager::currentFlags() const {
  return reachability_->getFlags();
}

Status NetworkReachabilityManager::currentStatus() const { return Status::fromFlags(currentFlags()); }

bool NetworkReachabilityManager::beginListening(Listener listener,
                                                std::shared_ptr<platform::DispatchQueue> listenerQueue) {
  endListening();
  mutableState_.write([&](MutableState& state) {
    state.listener = std::move(listener);
    state.listenerQueue = std::move(listenerQueue);
  });
  // The service holds the manager only weakly, so it never keeps it alive.
  const bool queueSet = reachability_->setDispatchQueue(reachabilityQueue_);
  const bool callbackSet = reachability_->setCallback([weakManager = weak_from_this()](Flags flags) {
    if (const auto manager = weakManager.lock()) manager->handleReachabilityChange(flags);
  });
  if (const auto flags = currentFlags()) {
    reachabilityQueue_->async([weakManager = weak_from_this(), flags = *flags] {
      if (const auto manager = weakManager.lock()) manager->handleReachabilityChange(flags);
    });
  }
  return queueSet && callbackSet;
}

void NetworkReachabilityManager::endListening() {
  reachability_->setCallback(nullptr);
  reachability_->setDispatchQueue(nullptr);
  mutableState_.write([](MutableState& state) { state = MutableState(); });
}

void NetworkReachabilityManager::handleReachabilityChange(Flags flags) {
  const Status status = Status::fromFlags(flags);
  mutableState_.write([&](MutableState& state) {
    if (state.previousStatus == status) return;
    state.previousStatus = status;
    if (!state.listenerQueue) return;
    state.listenerQueue->async([listener = state.listener, status] {
      if (listener) listener(status);
    });
  });
}

std::string NetworkReachabilityManager::describeFlags(const std::weak_ptr<NetworkReachabilityManager>& manager) {
  const auto alive = manager.lock();
  return describeFlags(alive ? alive->currentFlags() : std::nullopt);
}

std::string NetworkReachabilityManager::describeFlags(std::optional<Flags> flags) {
  if (!flags) return "nil";
  static constexpr std::array<std::pair<char, Flags>, 8> letters{{
      {'c', NetworkReachability::connectionRequired},
      {'t', NetworkReachability::transientConnection},
      {'i', NetworkReachability::interventionRequired},
      {'C', NetworkReachability::connectionOnTraffic},
      {'D', NetworkReachability::connectionOnDemand},
      {'l', NetworkReachability::isLocalAddress},
      {'d', NetworkReachability::isDirect},
      {'a', NetworkReachability::connectionOnTraffic},
  }};
  std::string text = "-";
  text += (*flags & NetworkReachability::reachable) != 0 ? 'R' : '-';
  text += ' ';
  for (const auto& [letter, flag] : letters) text += (*flags & flag) != 0 ? letter : '-';
  return text;
}

}  // namespace wendanet
