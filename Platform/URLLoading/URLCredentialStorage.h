#pragma once

#include <memory>

namespace platform {

// Credentials kept for protection spaces. The process-wide storage is what the default configuration uses; an ephemeral
// configuration gets one of its own.
class URLCredentialStorage {
 public:
  static std::shared_ptr<URLCredentialStorage> make() { return std::make_shared<URLCredentialStorage>(); }
  static const std::shared_ptr<URLCredentialStorage>& shared();
};

}  // namespace platform
