#include "Wendanet/Source/Policies/AuthenticationError.h"

namespace wendanet {

std::string AuthenticationError::description() const {
  switch (reason_) {
    case Reason::missingCredential:
      return "AuthenticationError.missingCredential";
    case Reason::excessiveRefresh:
      return "AuthenticationError.excessiveRefresh";
  }
  return "AuthenticationError";
}

}  // namespace wendanet
