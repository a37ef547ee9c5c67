#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Network/NetworkReachability.h"
#include "Wendanet/Source/Core/Protected.h"

namespace wendanet {

// Watches whether a host, or the network in general, can be reached, and
// tells one listener, on its queue, the status at start and each change.
class NetworkReachabilityManager : public std::enable_shared_from_this<NetworkReachabilityManager> {
 public:
  using Flags = platform::NetworkReachability::Flags;

  class NetworkReachabilityStatus {
   public:
    enum class ConnectionType { ethernetOrWiFi, cellular };
    struct Unknown {
      friend bool operator==(Unknown, Unknown) = default;
    };
    struct NotReachable {
      friend bool operator==(NotReachable, NotReachable) = default;
    };
    struct Reachable {
      ConnectionType connectionType;
      friend bool operator==(Reachable, Reachable) = default;
    };
    using Case = std::variant<Unknown, NotReachable, Reachable>;

    static NetworkReachabilityStatus unknown() { return {Unknown{}}; }
    static NetworkReachabilityStatus notReachable() { return {NotReachable{}}; }
    static NetworkReachabilityStatus reachable(ConnectionType type) { return {Reachable{type}}; }
    // From a flags word; absent flags give unknown.
    static NetworkReachabilityStatus fromFlags(std::optional<Flags> flags);

    const Case& value() const { return value_; }
    friend bool operator==(const NetworkReachabilityStatus&, const NetworkReachabilityStatus&) = default;

   private:
    NetworkReachabilityStatus(Case value) : value_(value) {}
    Case value_;
  };
  using Listener = std::function<void(const NetworkReachabilityStatus&)>;

  // Null when the reachability object cannot be created.
  static std::shared_ptr<NetworkReachabilityManager> make(std::string_view host);
  // The network in general (0.0.0.0).
  static std::shared_ptr<NetworkReachabilityManager> make();
  static std::shared_ptr<NetworkReachabilityManager> make(std::shared_ptr<platform::NetworkReachability> reachability);
  // Built on first use and kept for the life of the process; null when it
  // could not be built.
  static const std::shared_ptr<NetworkReachabilityManager>& defaultManager();

  // Releasing the manager stops listening first.
  virtual ~NetworkReachabilityManager();
  NetworkReachabilityManager(const NetworkReachabilityManager&) = delete;
  NetworkReachabilityManager& operator=(const NetworkReachabilityManager&) = delete;

  const std::shared_ptr<platform::DispatchQueue>& reachabilityQueue() const { return reachabilityQueue_; }

  virtual bool isReachableViaAny() const;
  virtual bool isReachableViaCellular() const;
  virtual bool isReachableViaEthernetOrWiFi() const;
  virtual std::optional<Flags> currentFlags() const;
  virtual NetworkReachabilityStatus currentStatus() const;

  // Stops any earlier listening first. Returns whether the service accepted
  // both the callback and its queue; the listener stays stored either way.
  virtual bool beginListening(Listener listener,
                              std::shared_ptr<platform::DispatchQueue> listenerQueue = platform::DispatchQueue::main());
  virtual void endListening();
  // Tells the listener when the status that `flags` give differs from the
  // last one told.
  virtual void handleReachabilityChange(Flags flags);

  // "-" then the flags as letters, "-" for each flag not set; "nil" when
  // the manager is gone or its flags cannot be read.
  static std::string describeFlags(const std::weak_ptr<NetworkReachabilityManager>& manager);
  static std::string describeFlags(std::optional<Flags> flags);

 protected:
  explicit NetworkReachabilityManager(std::shared_ptr<platform::NetworkReachability> reachability);

 private:
  struct MutableState {
    Listener listener;
    std::shared_ptr<platform::DispatchQueue> listenerQueue;
    std::optional<NetworkReachabilityStatus> previousStatus;
  };

  const std::shared_ptr<platform::DispatchQueue> reachabilityQueue_;
  const std::shared_ptr<platform::NetworkReachability> reachability_;
  Protected<MutableState> mutableState_;
};

}  // namespace wendanet
