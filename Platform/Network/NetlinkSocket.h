#pragma once

#include <cstdint>
#include <optional>

namespace platform {

// A routing netlink socket, closed with its owner.
class NetlinkSocket {
 public:
  // Subscribed to the RTMGRP_* multicast `groups` (0: none, for queries).
  static std::optional<NetlinkSocket> open(std::uint32_t groups = 0);

  NetlinkSocket(NetlinkSocket&& other) noexcept;
  NetlinkSocket& operator=(NetlinkSocket&&) = delete;
  ~NetlinkSocket();

  int descriptor() const { return descriptor_; }

 private:
  explicit NetlinkSocket(int descriptor) : descriptor_(descriptor) {}

  int descriptor_;
};

}  // namespace platform
