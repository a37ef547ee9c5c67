#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Wendanet/Source/Support/ServerTrustEvaluating.h"
#include "Wendanet/Source/Support/ServerTrustExtensions.h"

// The server-trust evaluators. Each is immutable once built and may serve
// many sessions and threads at once. Every evaluation works on the trust
// the challenge carries and leaves its last policy on it.

namespace wendanet {

// Revocation checks, as the platform's revocation flags.
struct RevocationOptions {
  static constexpr RevocationTrustEvaluatorOptions crlMethod{2};
  static constexpr RevocationTrustEvaluatorOptions networkAccessDisabled{16};
  static constexpr RevocationTrustEvaluatorOptions ocspMethod{1};
  static constexpr RevocationTrustEvaluatorOptions preferCRL{4};
  static constexpr RevocationTrustEvaluatorOptions requirePositiveResponse{8};
  static constexpr RevocationTrustEvaluatorOptions anyAvailableMethod{3};
};

// Host validation when asked, then the default TLS validation.
class DefaultTrustEvaluator final : public ServerTrustEvaluating {
 public:
  explicit DefaultTrustEvaluator(bool validateHost = true) : validateHost_(validateHost) {}
  void evaluate(const SecTrustHandle& trust, const std::string& host) const override;

 private:
  const bool validateHost_;
};

// Default and host validation when asked, then a revocation check.
class RevocationTrustEvaluator final : public ServerTrustEvaluating {
 public:
  explicit RevocationTrustEvaluator(bool performDefaultValidation = true, bool validateHost = true,
                                    RevocationTrustEvaluatorOptions options = RevocationOptions::anyAvailableMethod)
      : performDefaultValidation_(performDefaultValidation), validateHost_(validateHost), options_(options) {}
  void evaluate(const SecTrustHandle& trust, const std::string& host) const override;

 private:
  const bool performDefaultValidation_;
  const bool validateHost_;
  const RevocationTrustEvaluatorOptions options_;
};

// Passes when the server's chain holds one of the pinned certificates. With
// self-signed certificates accepted, the pinned ones are the only anchors.
class PinnedCertificatesTrustEvaluator final : public ServerTrustEvaluating {
 public:
  // The main bundle's certificates, no self-signed ones, both validations.
  PinnedCertificatesTrustEvaluator();
  PinnedCertificatesTrustEvaluator(SecCertificates certificates, bool acceptSelfSignedCertificates = false,
                                   bool performDefaultValidation = true, bool validateHost = true);
  void evaluate(const SecTrustHandle& trust, const std::string& host) const override;

 private:
  const SecCertificates certificates_;
  const bool acceptSelfSignedCertificates_;
  const bool performDefaultValidation_;
  const bool validateHost_;
};

// Passes when any key of the server's chain is one of the pinned keys.
class PublicKeysTrustEvaluator final : public ServerTrustEvaluating {
 public:
  // The main bundle's keys, both validations.
  PublicKeysTrustEvaluator();
  PublicKeysTrustEvaluator(SecKeys keys, bool performDefaultValidation = true, bool validateHost = true);
  void evaluate(const SecTrustHandle& trust, const std::string& host) const override;

 private:
  const SecKeys keys_;
  const bool performDefaultValidation_;
  const bool validateHost_;
};

// Runs its evaluators in order; the first failure is thrown as it is, and
// an empty list accepts every trust.
class CompositeTrustEvaluator final : public ServerTrustEvaluating {
 public:
  explicit CompositeTrustEvaluator(std::vector<std::shared_ptr<const ServerTrustEvaluating>> evaluators)
      : evaluators_(std::move(evaluators)) {}
  void evaluate(const SecTrustHandle& trust, const std::string& host) const override;

 private:
  const std::vector<std::shared_ptr<const ServerTrustEvaluating>> evaluators_;
};

// Accepts every trust without looking at it; for development servers only.
class DisabledTrustEvaluator final : public ServerTrustEvaluating {
 public:
  void evaluate(const SecTrustHandle&, const std::string&) const override {}
};

}  // namespace wendanet
