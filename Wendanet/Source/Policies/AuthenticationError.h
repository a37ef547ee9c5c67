#pragma once

#include <string>

#include "Platform/Foundation/Error.h"

namespace wendanet {

// Why an authentication interceptor could not sign or retry a request.
class AuthenticationError final : public platform::ErrorBase<AuthenticationError> {
 public:
  enum class Reason { missingCredential, excessiveRefresh };

  explicit AuthenticationError(Reason reason) : reason_(reason) {}
  static platform::AnyError missingCredential() { return platform::makeError(AuthenticationError(Reason::missingCredential)); }
  static platform::AnyError excessiveRefresh() { return platform::makeError(AuthenticationError(Reason::excessiveRefresh)); }

  Reason reason() const { return reason_; }
  // The case name; the error carries no message of its own.
  std::string description() const override;

 private:
  Reason reason_;
};

}  // namespace wendanet
