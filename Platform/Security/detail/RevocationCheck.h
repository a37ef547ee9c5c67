#pragma once

#include <cstdint>
#include <optional>

#include "Platform/Security/detail/OpenSSLPointers.h"

namespace platform::detail {

// The certificate a revocation check refused, and why.
struct RevocationFailure {
  int verifyResult;  // X509_V_ERR_CERT_REVOKED, or no answer where one was required
  int depth;
};

// Checks each certificate of a verified `chain` (leaf first; the last one
// is the anchor and is not checked) by the kSecRevocation… `flags`: the
// methods in the preferred order until one answers, answers fetched before
// first. A revoked certificate always fails; one nobody answers for fails
// only when a positive answer is required. `trustStore` verifies the
// signers of OCSP responses.
std::optional<RevocationFailure> checkRevocation(STACK_OF(X509) * chain, std::uint64_t flags, X509_STORE* trustStore);

}  // namespace platform::detail
