#pragma once

#include <cstdint>
#include <memory>

#include "Platform/Foundation/OptionSet.h"
#include "Platform/Security/OSStatus.h"
#include "Platform/Security/SecCertificate.h"
#include "Platform/Security/SecKey.h"
#include "Platform/Security/SecPolicy.h"
#include "Platform/Security/SecTrust.h"
#include "Platform/Security/SecTrustResultType.h"

// The security objects server-trust failures carry.

namespace wendanet {

using SecTrustHandle = std::shared_ptr<platform::SecTrust>;
using SecPolicyHandle = std::shared_ptr<platform::SecPolicy>;
using SecCertificateHandle = std::shared_ptr<platform::SecCertificate>;
using SecKeyHandle = std::shared_ptr<platform::SecKey>;

// The revocation checks asked of a trust evaluation, as the raw flags the
// platform's revocation policy takes.
class RevocationTrustEvaluatorOptions : public platform::OptionSet<RevocationTrustEvaluatorOptions, std::uintptr_t> {
 public:
  using OptionSet::OptionSet;
};

}  // namespace wendanet
