#include "Platform/Network/NetlinkSocket.h"

#include <linux/netlink.h>
#include <sys/socket.h>
#include <unistd.h>

#include <utility>

namespace platform {

std::optional<NetlinkSocket> NetlinkSocket::open(std::uint32_t groups) {
  const int descriptor = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
  if (descriptor < 0) return std::nullopt;
  NetlinkSocket socket(descriptor);
  sockaddr_nl local{};
  local.nl_family = AF_NETLINK;
  local.nl_groups = groups;
  if (::bind(descriptor, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) return std::nullopt;
  return socket;
}

NetlinkSocket::NetlinkSocket(NetlinkSocket&& other) noexcept : descriptor_(std::exchange(other.descriptor_, -1)) {}

NetlinkSocket::~NetlinkSocket() {
  if (descriptor_ >= 0) ::close(descriptor_);
}

}  // namespace platform
