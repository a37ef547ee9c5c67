#include "Platform/Network/NetworkInterface.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <sys/socket.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace platform {

namespace {

NetworkInterfaceType classifyFromSystem(const std::string& name, unsigned flags) {
  const std::filesystem::path device = std::filesystem::path("/sys/class/net") / name;
  int hardwareType = -1;
  std::ifstream(device / "type") >> hardwareType;
  std::error_code ignored;
  const bool isWireless = std::filesystem::exists(device / "wireless", ignored) ||
                          std::filesystem::exists(device / "phy80211", ignored);
  return classifyInterface(name, flags, hardwareType, isWireless);
}

}  // namespace

bool NetworkInterface::isUsable() const {
  return (flags & IFF_UP) != 0 && (flags & IFF_RUNNING) != 0 && hasIPAddress;
}

NetworkInterfaceType classifyInterface(const std::string& name, unsigned flags, int hardwareType, bool isWireless) {
  if ((flags & IFF_LOOPBACK) != 0 || hardwareType == ARPHRD_LOOPBACK) return NetworkInterfaceType::loopback;
  if (isWireless) return NetworkInterfaceType::wifi;
  // Mobile broadband modems show up as raw IP links named wwan*.
  if (name.starts_with("wwan")) return NetworkInterfaceType::cellular;
  if (hardwareType == ARPHRD_ETHER) return NetworkInterfaceType::wiredEthernet;
  return NetworkInterfaceType::other;
}

std::vector<NetworkInterface> interfacesFromAddressList(
    const ifaddrs* list, NetworkInterfaceType (*classify)(const std::string& name, unsigned flags)) {
  std::vector<NetworkInterface> interfaces;
  for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
    if (entry->ifa_name == nullptr) continue;
    const std::string name = entry->ifa_name;
    auto found = std::ranges::find(interfaces, name, &NetworkInterface::name);
    if (found == interfaces.end()) {
      interfaces.push_back({.name = name, .flags = entry->ifa_flags, .type = classify(name, entry->ifa_flags)});
      found = std::prev(interfaces.end());
    }
    const sockaddr* address = entry->ifa_addr;
    if (address != nullptr && (address->sa_family == AF_INET || address->sa_family == AF_INET6)) {
      found->hasIPAddress = true;
    }
  }
  return interfaces;
}

std::vector<NetworkInterface> currentNetworkInterfaces() {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return {};
  auto interfaces = interfacesFromAddressList(list, classifyFromSystem);
  freeifaddrs(list);
  return interfaces;
}

}  // namespace platform
