#pragma once

#include <memory>
#include <optional>

#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/URLResponse.h"
#include "Platform/URLLoading/URLCredential.h"
#include "Platform/URLLoading/URLProtectionSpace.h"

namespace platform {

// A server's demand for credentials (or for a decision on its trust), put
// to the delegate of the task that met it.
struct URLAuthenticationChallenge {
  URLProtectionSpace protectionSpace;
  std::optional<URLCredential> proposedCredential;
  // How many times credentials for this space already failed on this task.
  int previousFailureCount = 0;
  // The response that carried the demand (a 401), if any.
  std::shared_ptr<URLResponse> failureResponse;
  AnyError error;
};

}  // namespace platform
