#pragma once

#include <cstdint>
#include <memory>

// The security objects server-trust failures carry. Their layer defines
// them; failures only hold and hand them on, so they are declared here.
namespace platform {

class SecTrust;
class SecPolicy;
class SecCertificate;
class SecKey;

// A security call's status; 0 is success.
using OSStatus = std::int32_t;
// The verdict of a trust evaluation.
enum class SecTrustResultType : std::uint32_t;

}  // namespace platform

namespace wendanet {

using SecTrustHandle = std::shared_ptr<platform::SecTrust>;
using SecPolicyHandle = std::shared_ptr<platform::SecPolicy>;
using SecCertificateHandle = std::shared_ptr<platform::SecCertificate>;
using SecKeyHandle = std::shared_ptr<platform::SecKey>;

// The revocation checks asked of a trust evaluation, as the raw flags the
// platform's revocation policy takes.
struct RevocationTrustEvaluatorOptions {
  std::uintptr_t rawValue = 0;

  friend bool operator==(const RevocationTrustEvaluatorOptions&, const RevocationTrustEvaluatorOptions&) = default;
};

}  // namespace wendanet
