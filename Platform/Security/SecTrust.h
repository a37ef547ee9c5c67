#pragma once

#include <openssl/types.h>

#include <expected>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Platform/Security/OSStatus.h"
#include "Platform/Security/SecCertificate.h"
#include "Platform/Security/SecKey.h"
#include "Platform/Security/SecPolicy.h"
#include "Platform/Security/SecTrustError.h"
#include "Platform/Security/SecTrustResultType.h"

namespace platform {

// What the result-code form of evaluation gives: the status of the call
// itself (success unless the evaluation could not run) and the verdict.
struct SecTrustEvaluation {
  OSStatus status = errSecSuccess;
  SecTrustResultType result = SecTrustResultType::invalid;
};

// A certificate chain as a peer presented it, the policies to judge it by
// and the anchors to trust. Evaluation builds the chain from the leaf to an
// anchor and applies every policy; the built chain and the verdict stay on
// the trust until its policies or anchors change. Safe to use from several
// threads; evaluations of one trust run one after the other.
class SecTrust {
 public:
  using Certificates = std::vector<std::shared_ptr<SecCertificate>>;
  using Policies = std::vector<std::shared_ptr<SecPolicy>>;
  using Keys = std::vector<std::shared_ptr<SecKey>>;

  // The leaf first, then any certificates that help build the chain. No
  // policies means the basic X.509 policy. Null when there is no
  // certificate or a null one.
  static std::shared_ptr<SecTrust> make(Certificates certificates, Policies policies);
  // The chain a TLS server presented, as the certificate verification
  // callback of an OpenSSL context receives it, judged by the SSL server
  // policy for `host` (no host check when absent). Null when the context
  // holds no certificate.
  static std::shared_ptr<SecTrust> fromVerifyContext(X509_STORE_CTX* context, std::optional<std::string> host);

  // As presented, the leaf first.
  Certificates certificates() const;

  Policies policies() const;
  // errSecParam, changing nothing, for an empty list or a null policy.
  OSStatus setPolicies(Policies policies);

  Certificates anchorCertificates() const;
  bool anchorCertificatesOnly() const;
  // Makes `anchors` the trusted certificates, and the only ones until
  // setAnchorCertificatesOnly(false) adds the system's back. errSecParam,
  // changing nothing, for a null certificate.
  OSStatus setAnchorCertificates(Certificates anchors);
  OSStatus setAnchorCertificatesOnly(bool anchorsOnly);

  // Evaluates against the anchors; on refusal the error says why.
  std::expected<void, SecTrustError> evaluateWithError();
  // Evaluates against the anchors; the result says how it went.
  SecTrustEvaluation evaluate();
  // The verdict of the last evaluation; invalid before one.
  SecTrustResultType trustResult() const;

  // The chain the last evaluation built, leaf to anchor (as far as it got
  // when it failed); the presented certificates before any evaluation.
  Certificates certificateChain() const;
  // The public keys of certificateChain(), in order, skipping certificates
  // whose key is not supported.
  Keys chainPublicKeys() const;
  // The leaf's public key; null when it is not supported.
  std::shared_ptr<SecKey> copyKey() const;

 private:
  SecTrust(Certificates certificates, Policies policies)
      : certificates_(std::move(certificates)), policies_(std::move(policies)) {}

  struct Outcome {
    SecTrustEvaluation evaluation;
    std::optional<SecTrustError> error;
  };
  Outcome evaluateLocked();
  void forgetEvaluationLocked();

  mutable std::mutex mutex_;
  const Certificates certificates_;
  Policies policies_;
  Certificates anchors_;
  bool anchorsOnly_ = false;
  SecTrustResultType result_ = SecTrustResultType::invalid;
  Certificates builtChain_;
};

}  // namespace platform
