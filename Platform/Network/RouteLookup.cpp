#include "Platform/Network/RouteLookup.h"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <array>
#include <cerrno>
#include <cstring>

#include "Platform/Network/NetlinkSocket.h"

namespace platform {

namespace {

std::optional<Route> routeFromMessage(const nlmsghdr& header) {
  if (header.nlmsg_len < NLMSG_LENGTH(sizeof(rtmsg))) return std::nullopt;
  const auto* message = static_cast<const rtmsg*>(NLMSG_DATA(&header));
  Route route;
  switch (message->rtm_type) {
    case RTN_LOCAL:
      route.kind = Route::Kind::local;
      break;
    case RTN_UNICAST:
    case RTN_BROADCAST:
    case RTN_MULTICAST:
    case RTN_ANYCAST:
      break;
    default:
      return std::nullopt;
  }
  int attributesLength = static_cast<int>(header.nlmsg_len - NLMSG_LENGTH(sizeof(rtmsg)));
  for (const rtattr* attribute = RTM_RTA(message); RTA_OK(attribute, attributesLength);
       attribute = RTA_NEXT(attribute, attributesLength)) {
    if (attribute->rta_type == RTA_GATEWAY && route.kind != Route::Kind::local) {
      route.kind = Route::Kind::viaGateway;
    } else if (attribute->rta_type == RTA_OIF && RTA_PAYLOAD(attribute) >= sizeof(int)) {
      int index = 0;
      std::memcpy(&index, RTA_DATA(attribute), sizeof index);
      route.outputInterfaceIndex = index;
    }
  }
  return route;
}

}  // namespace

std::optional<Route> parseRouteReply(std::span<const std::uint8_t> reply) {
  // Netlink headers are 4-byte aligned; copy so the casts below are sound.
  alignas(nlmsghdr) std::array<std::uint8_t, 8192> buffer{};
  if (reply.empty() || reply.size() > buffer.size()) return std::nullopt;
  std::memcpy(buffer.data(), reply.data(), reply.size());
  int remaining = static_cast<int>(reply.size());
  for (auto* header = reinterpret_cast<const nlmsghdr*>(buffer.data()); NLMSG_OK(header, remaining);
       header = NLMSG_NEXT(header, remaining)) {
    if (header->nlmsg_type == RTM_NEWROUTE) return routeFromMessage(*header);
    if (header->nlmsg_type == NLMSG_ERROR || header->nlmsg_type == NLMSG_DONE) return std::nullopt;
  }
  return std::nullopt;
}

std::expected<std::optional<Route>, int> lookUpRoute(const sockaddr& destination) {
  const bool isIPv4 = destination.sa_family == AF_INET;
  if (!isIPv4 && destination.sa_family != AF_INET6) return std::unexpected(EAFNOSUPPORT);
  const void* address = isIPv4 ? static_cast<const void*>(&reinterpret_cast<const sockaddr_in&>(destination).sin_addr)
                               : static_cast<const void*>(&reinterpret_cast<const sockaddr_in6&>(destination).sin6_addr);
  const std::size_t addressLength = isIPv4 ? sizeof(in_addr) : sizeof(in6_addr);

  struct {
    nlmsghdr header;
    rtmsg message;
    std::array<char, 64> attributes;
  } query{};
  query.header.nlmsg_len = NLMSG_LENGTH(sizeof(rtmsg));
  query.header.nlmsg_type = RTM_GETROUTE;
  query.header.nlmsg_flags = NLM_F_REQUEST;
  query.header.nlmsg_seq = 1;
  query.message.rtm_family = destination.sa_family;
  query.message.rtm_dst_len = static_cast<unsigned char>(addressLength * 8);
  auto* attribute = reinterpret_cast<rtattr*>(reinterpret_cast<char*>(&query) + NLMSG_ALIGN(query.header.nlmsg_len));
  attribute->rta_type = RTA_DST;
  attribute->rta_len = static_cast<unsigned short>(RTA_LENGTH(addressLength));
  std::memcpy(RTA_DATA(attribute), address, addressLength);
  query.header.nlmsg_len = NLMSG_ALIGN(query.header.nlmsg_len) + RTA_ALIGN(attribute->rta_len);

  const auto socket = NetlinkSocket::open();
  if (!socket) return std::unexpected(errno);
  sockaddr_nl kernel{};
  kernel.nl_family = AF_NETLINK;
  if (::sendto(socket->descriptor(), &query, query.header.nlmsg_len, 0, reinterpret_cast<const sockaddr*>(&kernel),
               sizeof kernel) < 0) {
    return std::unexpected(errno);
  }
  std::array<std::uint8_t, 8192> reply{};
  const ssize_t received = ::recv(socket->descriptor(), reply.data(), reply.size(), 0);
  if (received <= 0) return std::unexpected(received < 0 ? errno : EPROTO);
  return parseRouteReply(std::span(reply.data(), static_cast<std::size_t>(received)));
}

}  // namespace platform
