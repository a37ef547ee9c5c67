#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <netinet/in.h>

#include <cstring>
#include <memory>
#include <vector>

#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Dispatch/RunLoop.h"
#include "Platform/Network/NetworkPathMonitor.h"
#include "Platform/Network/NetworkReachability.h"
#include "Platform/Network/RouteLookup.h"

using namespace platform;

namespace {

// A kernel reply as bytes: one netlink message of `type` with a route
// header and the given attributes.
class Reply {
 public:
  explicit Reply(std::uint16_t type, unsigned char routeType = RTN_UNICAST) {
    bytes_.resize(NLMSG_LENGTH(sizeof(rtmsg)));
    header().nlmsg_type = type;
    rtmsg route{};
    route.rtm_family = AF_INET;
    route.rtm_type = routeType;
    std::memcpy(bytes_.data() + NLMSG_HDRLEN, &route, sizeof route);
    header().nlmsg_len = static_cast<std::uint32_t>(bytes_.size());
  }
  Reply& attribute(unsigned short type, const void* data, std::size_t length) {
    rtattr attribute{static_cast<unsigned short>(RTA_LENGTH(length)), type};
    const std::size_t start = bytes_.size();
    bytes_.resize(start + RTA_SPACE(length));
    std::memcpy(bytes_.data() + start, &attribute, sizeof attribute);
    std::memcpy(bytes_.data() + start + RTA_LENGTH(0), data, length);
    header().nlmsg_len = static_cast<std::uint32_t>(bytes_.size());
    return *this;
  }
  std::span<const std::uint8_t> bytes() const { return bytes_; }
  std::span<const std::uint8_t> truncated(std::size_t length) const { return bytes().first(length); }

 private:
  nlmsghdr& header() { return *reinterpret_cast<nlmsghdr*>(bytes_.data()); }
  std::vector<std::uint8_t> bytes_;
};

sockaddr_in ipv4(const char* text) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  inet_pton(AF_INET, text, &address.sin_addr);
  return address;
}

const sockaddr& generic(const sockaddr_in& address) { return reinterpret_cast<const sockaddr&>(address); }

}  // namespace

TEST(RouteLookup, ParsesTheKindAndInterfaceOfARoute) {
  const in_addr gateway{htonl(0x0A000001)};
  const int interfaceIndex = 3;
  EXPECT_EQ(parseRouteReply(Reply(RTM_NEWROUTE)
                                .attribute(RTA_GATEWAY, &gateway, sizeof gateway)
                                .attribute(RTA_OIF, &interfaceIndex, sizeof interfaceIndex)
                                .bytes()),
            (Route{Route::Kind::viaGateway, 3}));
  EXPECT_EQ(parseRouteReply(Reply(RTM_NEWROUTE).attribute(RTA_OIF, &interfaceIndex, sizeof interfaceIndex).bytes()),
            (Route{Route::Kind::direct, 3}));
  EXPECT_EQ(parseRouteReply(Reply(RTM_NEWROUTE, RTN_LOCAL).bytes()), (Route{Route::Kind::local, std::nullopt}));
}

TEST(RouteLookup, ErrorsDroppingRoutesAndBrokenRepliesMeanNoRoute) {
  EXPECT_EQ(parseRouteReply(Reply(NLMSG_ERROR).bytes()), std::nullopt);
  EXPECT_EQ(parseRouteReply(Reply(RTM_NEWROUTE, RTN_UNREACHABLE).bytes()), std::nullopt);
  EXPECT_EQ(parseRouteReply(Reply(RTM_NEWROUTE, RTN_BLACKHOLE).bytes()), std::nullopt);
  EXPECT_EQ(parseRouteReply(Reply(RTM_NEWROUTE).truncated(NLMSG_HDRLEN + 2)), std::nullopt);
  EXPECT_EQ(parseRouteReply({}), std::nullopt);
}

TEST(RouteLookup, RoutesMapToReachabilityFlags) {
  using R = NetworkReachability;
  EXPECT_EQ(reachabilityFlags(Route{Route::Kind::local}), R::reachable | R::isLocalAddress | R::isDirect);
  EXPECT_EQ(reachabilityFlags(Route{Route::Kind::direct}), R::reachable | R::isDirect);
  EXPECT_EQ(reachabilityFlags(Route{Route::Kind::viaGateway}), R::reachable);
  EXPECT_EQ(reachabilityFlags(std::nullopt), 0u);
}

TEST(RouteLookup, TheKernelRoutesLoopbackLocally) {
  const auto route = lookUpRoute(generic(ipv4("127.0.0.1")));
  ASSERT_TRUE(route) << "errno " << route.error();
  ASSERT_TRUE(*route);
  EXPECT_EQ((*route)->kind, Route::Kind::local);

  sockaddr unix{};
  unix.sa_family = AF_UNIX;
  EXPECT_EQ(lookUpRoute(unix), std::unexpected(EAFNOSUPPORT));
}

TEST(NetworkReachability, HostsAndAddressesOnThisMachine) {
  using R = NetworkReachability;
  const auto local = R::reachable | R::isLocalAddress | R::isDirect;
  EXPECT_EQ(R::createWithAddress(generic(ipv4("127.0.0.1")))->getFlags(), local);
  EXPECT_EQ(R::createWithName("localhost")->getFlags(), local);
  EXPECT_EQ(R::createWithName(""), nullptr);
  sockaddr unix{};
  unix.sa_family = AF_UNIX;
  EXPECT_EQ(R::createWithAddress(unix), nullptr);
  EXPECT_EQ(R::createWithAddress(generic(ipv4("0.0.0.0")))->getFlags(),
            generalReachabilityFlags(currentNetworkInterfaces()));
}

TEST(NetworkPathMonitor, TellsTheCurrentPathOnceWhenStartedAndNothingAfterCancel) {
  const auto queue = DispatchQueue::make("org.wendanet.test.path", DispatchQueue::Attributes::serial, DispatchQueue::main());
  const auto monitor = NetworkPathMonitor::make(NetworkInterfaceType::loopback);
  std::vector<NetworkPath::Status> told;
  monitor->setPathUpdateHandler([&](const NetworkPath& path) { told.push_back(path.status); });
  monitor->start(queue);
  monitor->start(queue);
  RunLoop::main().runPending();
  EXPECT_EQ(told, std::vector<NetworkPath::Status>{NetworkPath::Status::satisfied});

  monitor->cancel();
  monitor->start(queue);
  RunLoop::main().runPending();
  EXPECT_EQ(told.size(), 1u);
}
