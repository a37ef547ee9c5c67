#pragma once

#include <cstdint>
#include <expected>
#include <optional>
#include <span>

struct sockaddr;

namespace platform {

// The kernel's answer to "how would a packet to this address leave?".
struct Route {
  enum class Kind { local, direct, viaGateway };
  Kind kind = Kind::direct;
  std::optional<int> outputInterfaceIndex = std::nullopt;

  friend bool operator==(const Route&, const Route&) = default;
};

// Reads a routing netlink reply to a route query. Absent when the kernel
// answered with an error (no route), when the route drops its packets
// (unreachable, blackhole, prohibit), or when the bytes are malformed.
std::optional<Route> parseRouteReply(std::span<const std::uint8_t> reply);

// Asks the kernel's routing table about an IPv4 or IPv6 address: absent
// when there is no usable route, an errno value when the question could not
// be asked (other address families give EAFNOSUPPORT).
std::expected<std::optional<Route>, int> lookUpRoute(const sockaddr& destination);

}  // namespace platform
