#pragma once

#include <string>

#include "Wendanet/Source/Core/SecurityHandles.h"

namespace wendanet {

// Decides whether a server's trust is accepted for a host: returns on
// acceptance, throws WNError serverTrustEvaluationFailed (or any error of
// its own) on rejection.
class ServerTrustEvaluating {
 public:
  virtual ~ServerTrustEvaluating() = default;
  virtual void evaluate(const SecTrustHandle& trust, const std::string& host) const = 0;
};

}  // namespace wendanet
