#include <gtest/gtest.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <netinet/in.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Platform/Network/NetworkInterface.h"
#include "Platform/Network/NetworkPathMonitor.h"
#include "Platform/Network/NetworkReachability.h"

using namespace platform;
using Type = NetworkInterfaceType;

namespace {

// An address list laid out as getifaddrs lays it out: an AF_PACKET entry
// per link, then one entry per address.
class AddressList {
 public:
  AddressList& add(const char* name, unsigned flags, sa_family_t family) {
    auto& address = addresses_.emplace_back();
    address.ss_family = family;
    auto& entry = entries_.emplace_back();
    entry.ifa_name = const_cast<char*>(name);
    entry.ifa_flags = flags;
    return *this;
  }
  const ifaddrs* head() {
    for (std::size_t index = 0; index < entries_.size(); ++index) {
      entries_[index].ifa_addr = reinterpret_cast<sockaddr*>(&addresses_[index]);
      entries_[index].ifa_next = index + 1 < entries_.size() ? &entries_[index + 1] : nullptr;
    }
    return entries_.empty() ? nullptr : entries_.data();
  }

 private:
  std::vector<ifaddrs> entries_;
  std::vector<sockaddr_storage> addresses_;
};

constexpr unsigned upAndRunning = IFF_UP | IFF_RUNNING;

Type byName(const std::string& name, unsigned flags) {
  if (flags & IFF_LOOPBACK) return Type::loopback;
  if (name.starts_with("wl")) return Type::wifi;
  if (name.starts_with("eth")) return Type::wiredEthernet;
  return Type::other;
}

std::vector<NetworkInterface> typicalMachine() {
  AddressList list;
  list.add("lo", upAndRunning | IFF_LOOPBACK, AF_PACKET)
      .add("eth0", upAndRunning, AF_PACKET)
      .add("wlan0", IFF_UP, AF_PACKET)  // associated with no network
      .add("lo", upAndRunning | IFF_LOOPBACK, AF_INET)
      .add("wlan0", IFF_UP, AF_INET)
      .add("eth0", upAndRunning, AF_INET6)
      .add("docker0", IFF_UP, AF_PACKET);  // no address at all
  return interfacesFromAddressList(list.head(), byName);
}

}  // namespace

TEST(NetworkInterface, FoldsAddressEntriesIntoOneInterfaceEach) {
  const auto interfaces = typicalMachine();
  std::vector<std::string> summary;
  for (const auto& interface : interfaces) {
    summary.push_back(interface.name + (interface.hasIPAddress ? " addressed" : " bare") +
                      (interface.isUsable() ? " usable" : ""));
  }
  EXPECT_EQ(summary, (std::vector<std::string>{"lo addressed usable", "eth0 addressed usable", "wlan0 addressed",
                                                "docker0 bare"}));
  EXPECT_EQ(interfaces[1].type, Type::wiredEthernet);
  EXPECT_TRUE(interfacesFromAddressList(nullptr, byName).empty());
}

TEST(NetworkInterface, ClassifiesLinksByFlagsHardwareAndWireless) {
  EXPECT_EQ(classifyInterface("lo", IFF_LOOPBACK, ARPHRD_LOOPBACK, false), Type::loopback);
  EXPECT_EQ(classifyInterface("wlp2s0", 0, ARPHRD_ETHER, true), Type::wifi);
  EXPECT_EQ(classifyInterface("enp3s0", 0, ARPHRD_ETHER, false), Type::wiredEthernet);
  EXPECT_EQ(classifyInterface("wwan0", 0, ARPHRD_NONE, false), Type::cellular);
  EXPECT_EQ(classifyInterface("tun0", 0, ARPHRD_NONE, false), Type::other);
}

TEST(NetworkInterface, PathIsSatisfiedOnlyThroughAnAdmittedUsableInterface) {
  const auto interfaces = typicalMachine();
  const auto status = [&](NetworkInterfaceFilter filter) { return pathOverInterfaces(interfaces, filter).status; };
  EXPECT_EQ(status({}), NetworkPath::Status::satisfied);
  EXPECT_EQ(status({.prohibitedTypes = {Type::wiredEthernet}}), NetworkPath::Status::unsatisfied);
  EXPECT_EQ(status({.requiredType = Type::wifi}), NetworkPath::Status::unsatisfied);
  EXPECT_EQ(status({.requiredType = Type::loopback}), NetworkPath::Status::satisfied);
  EXPECT_EQ(pathOverInterfaces({interfaces[0]}, {}).status, NetworkPath::Status::unsatisfied);
}

TEST(NetworkInterface, GeneralReachabilityIgnoresLoopback) {
  const auto interfaces = typicalMachine();
  EXPECT_EQ(generalReachabilityFlags(interfaces), NetworkReachability::reachable);
  EXPECT_EQ(generalReachabilityFlags({interfaces[0], interfaces[2], interfaces[3]}), 0u);
}

TEST(NetworkInterface, ThisMachineHasAUsableLoopback) {
  const auto interfaces = currentNetworkInterfaces();
  const auto loopback = std::ranges::find(interfaces, Type::loopback, &NetworkInterface::type);
  ASSERT_NE(loopback, interfaces.end());
  EXPECT_TRUE(loopback->isUsable());
  EXPECT_EQ(std::ranges::count(interfaces, loopback->name, &NetworkInterface::name), 1);
}
