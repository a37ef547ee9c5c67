#pragma once

#include <string>

namespace platform {

// True when `host` is an IPv4 or IPv6 address written out (without the
// brackets a URL puts around IPv6), rather than a name to look up.
bool isIPAddress(const std::string& host);

}  // namespace platform
