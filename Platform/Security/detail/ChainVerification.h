#pragma once

#include <memory>
#include <vector>

#include "Platform/Security/SecPolicy.h"
#include "Platform/Security/SecTrustResultType.h"
#include "Platform/Security/detail/OpenSSLPointers.h"

namespace platform::detail {

// The outcome of building and judging one chain.
struct ChainVerification {
  SecTrustResultType result = SecTrustResultType::invalid;
  int verifyResult = X509_V_OK;  // X509_V_ERR_… of the first failure
  int depth = -1;                // index in builtChain of the certificate that failed
  // Leaf to anchor, or as far as building got; null when it never started.
  X509StackPointer builtChain;
};

// Builds the chain from `leaf` through `intermediates` to an anchor of the
// trust store (see makeTrustStore), then applies `policies` in turn: the
// SSL purpose and host names, then revocation. The first failure ends it.
ChainVerification verifyChain(X509* leaf, const std::vector<X509*>& intermediates, const std::vector<X509*>& anchors,
                              bool anchorsOnly, const std::vector<std::shared_ptr<SecPolicy>>& policies);

}  // namespace platform::detail
