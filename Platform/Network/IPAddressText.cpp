#include "Platform/Network/IPAddressText.h"

#include <arpa/inet.h>

namespace platform {

bool isIPAddress(const std::string& host) {
  unsigned char address[16];
  return inet_pton(AF_INET, host.c_str(), address) == 1 || inet_pton(AF_INET6, host.c_str(), address) == 1;
}

}  // namespace platform
