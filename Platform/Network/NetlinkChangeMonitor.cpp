#include "Platform/Network/NetlinkChangeMonitor.h"

#include <linux/rtnetlink.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>

#include "Platform/Fatal.h"

namespace platform {

std::unique_ptr<NetlinkChangeMonitor> NetlinkChangeMonitor::make(std::function<void()> handler) {
  auto socket = NetlinkSocket::open(RTMGRP_LINK | RTMGRP_IPV4_IFADDR | RTMGRP_IPV6_IFADDR | RTMGRP_IPV4_ROUTE |
                                    RTMGRP_IPV6_ROUTE);
  if (!socket) return nullptr;
  const int stopEvent = ::eventfd(0, EFD_CLOEXEC);
  if (stopEvent < 0) return nullptr;
  return std::unique_ptr<NetlinkChangeMonitor>(
      new NetlinkChangeMonitor(*std::move(socket), stopEvent, std::move(handler)));
}

NetlinkChangeMonitor::NetlinkChangeMonitor(NetlinkSocket socket, int stopEvent, std::function<void()> handler)
    : socket_(std::move(socket)), stopEvent_(stopEvent), handler_(std::move(handler)), thread_([this] { run(); }) {}

NetlinkChangeMonitor::~NetlinkChangeMonitor() {
  const std::uint64_t one = 1;
  [[maybe_unused]] const auto written = ::write(stopEvent_, &one, sizeof one);
  if (thread_.get_id() == std::this_thread::get_id()) fatal("A netlink change monitor was released by its own handler");
  thread_.join();
  ::close(stopEvent_);
}

void NetlinkChangeMonitor::run() {
  std::array<pollfd, 2> watched{pollfd{socket_.descriptor(), POLLIN, 0}, pollfd{stopEvent_, POLLIN, 0}};
  std::array<std::uint8_t, 16384> buffer{};
  while (true) {
    if (::poll(watched.data(), watched.size(), -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (watched[1].revents != 0) return;
    if (watched[0].revents == 0) continue;
    // Drain everything queued so one burst of changes gives one call. An
    // overrun (ENOBUFS) lost messages, but still means something changed.
    while (::recv(socket_.descriptor(), buffer.data(), buffer.size(), MSG_DONTWAIT) > 0 || errno == ENOBUFS) {
    }
    handler_();
  }
}

}  // namespace platform
