#pragma once

#include <string>
#include <vector>

struct ifaddrs;

namespace platform {

// What kind of link an interface is, as path monitors filter by it.
enum class NetworkInterfaceType { other, wifi, cellular, wiredEthernet, loopback };

// One interface of the machine, folded from its address entries.
struct NetworkInterface {
  std::string name;
  unsigned flags = 0;  // IFF_* bits
  NetworkInterfaceType type = NetworkInterfaceType::other;
  bool hasIPAddress = false;  // at least one IPv4 or IPv6 address

  // Up, running and carrying an address: traffic can leave through it.
  bool isUsable() const;

  friend bool operator==(const NetworkInterface&, const NetworkInterface&) = default;
};

// Tells the link kind from what the kernel says of an interface: its flags,
// its hardware type (ARPHRD_*) and whether it has wireless extensions.
NetworkInterfaceType classifyInterface(const std::string& name, unsigned flags, int hardwareType, bool isWireless);

// Folds an address list as getifaddrs gives it into one entry per interface
// name, in order of first appearance. `classify` is asked once per name.
std::vector<NetworkInterface> interfacesFromAddressList(
    const ifaddrs* list, NetworkInterfaceType (*classify)(const std::string& name, unsigned flags));

// The machine's interfaces now; empty when they cannot be read.
std::vector<NetworkInterface> currentNetworkInterfaces();

}  // namespace platform
