#pragma once

#include <memory>

namespace platform {

// Cookies kept for URLs. The process-wide storage is what the default configuration uses; an ephemeral configuration
// gets one of its own.
class HTTPCookieStorage {
 public:
  static std::shared_ptr<HTTPCookieStorage> make() { return std::make_shared<HTTPCookieStorage>(); }
  static const std::shared_ptr<HTTPCookieStorage>& shared();
};

}  // namespace platform
