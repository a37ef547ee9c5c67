#pragma once

#include <memory>
#include <optional>
#include <string>

namespace platform {

class SecTrust;

// What answers an authentication challenge: a user and password, or an
// accepted server trust.
struct URLCredential {
  // The platform's raw values.
  enum class Persistence : unsigned { none = 0, forSession = 1, permanent = 2, synchronizable = 3 };

  std::optional<std::string> user;
  std::optional<std::string> password;
  Persistence persistence = Persistence::forSession;
  std::shared_ptr<SecTrust> serverTrust;

  friend bool operator==(const URLCredential&, const URLCredential&) = default;
};

}  // namespace platform
