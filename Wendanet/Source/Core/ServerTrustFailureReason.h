#pragma once

#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "Platform/Foundation/Error.h"
#include "Wendanet/Source/Core/SecurityHandles.h"
#include "Wendanet/Source/Core/TaggedUnion.h"

namespace wendanet {

// Why the server's trust was not granted.
class ServerTrustFailureReason {
 public:
  // What one trust evaluation gave.
  struct Output {
    std::string host;
    SecTrustHandle trust;
    platform::OSStatus status;
    platform::SecTrustResultType result;
  };

  struct NoRequiredEvaluator {
    std::string host;
  };
  struct PolicyApplicationFailed {
    SecTrustHandle trust;
    SecPolicyHandle policy;
    platform::OSStatus status;
  };
  struct SettingAnchorCertificatesFailed {
    platform::OSStatus status;
    std::vector<SecCertificateHandle> certificates;
  };
  struct TrustEvaluationFailed {
    platform::AnyError error;  // may be null
  };
  struct DefaultEvaluationFailed {
    Output output;
  };
  struct HostValidationFailed {
    Output output;
  };
  struct RevocationCheckFailed {
    Output output;
    RevocationTrustEvaluatorOptions options;
  };
  struct CertificatePinningFailed {
    std::string host;
    SecTrustHandle trust;
    std::vector<SecCertificateHandle> pinnedCertificates;
    std::vector<SecCertificateHandle> serverCertificates;
  };
  struct PublicKeyPinningFailed {
    std::string host;
    SecTrustHandle trust;
    std::vector<SecKeyHandle> pinnedKeys;
    std::vector<SecKeyHandle> serverKeys;
  };
  struct CustomEvaluationFailed {
    platform::AnyError error;
  };
  struct NoCertificatesFound {};
  struct NoPublicKeysFound {};
  struct RevocationPolicyCreationFailed {};
  using Case = std::variant<NoRequiredEvaluator, PolicyApplicationFailed, SettingAnchorCertificatesFailed,
                            TrustEvaluationFailed, DefaultEvaluationFailed, HostValidationFailed, RevocationCheckFailed,
                            CertificatePinningFailed, PublicKeyPinningFailed, CustomEvaluationFailed,
                            NoCertificatesFound, NoPublicKeysFound, RevocationPolicyCreationFailed>;

  static ServerTrustFailureReason noRequiredEvaluator(std::string host) { return NoRequiredEvaluator{std::move(host)}; }
  static ServerTrustFailureReason policyApplicationFailed(SecTrustHandle trust, SecPolicyHandle policy,
                                                          platform::OSStatus status) {
    return PolicyApplicationFailed{std::move(trust), std::move(policy), status};
  }
  static ServerTrustFailureReason settingAnchorCertificatesFailed(platform::OSStatus status,
                                                                  std::vector<SecCertificateHandle> certificates) {
    return SettingAnchorCertificatesFailed{status, std::move(certificates)};
  }
  static ServerTrustFailureReason trustEvaluationFailed(platform::AnyError error) {
    return TrustEvaluationFailed{std::move(error)};
  }
  static ServerTrustFailureReason defaultEvaluationFailed(Output output) {
    return DefaultEvaluationFailed{std::move(output)};
  }
  static ServerTrustFailureReason hostValidationFailed(Output output) {
    return HostValidationFailed{std::move(output)};
  }
  static ServerTrustFailureReason revocationCheckFailed(Output output, RevocationTrustEvaluatorOptions options) {
    return RevocationCheckFailed{std::move(output), options};
  }
  static ServerTrustFailureReason certificatePinningFailed(std::string host, SecTrustHandle trust,
                                                           std::vector<SecCertificateHandle> pinnedCertificates,
                                                           std::vector<SecCertificateHandle> serverCertificates) {
    return CertificatePinningFailed{std::move(host), std::move(trust), std::move(pinnedCertificates),
                                    std::move(serverCertificates)};
  }
  static ServerTrustFailureReason publicKeyPinningFailed(std::string host, SecTrustHandle trust,
                                                         std::vector<SecKeyHandle> pinnedKeys,
                                                         std::vector<SecKeyHandle> serverKeys) {
    return PublicKeyPinningFailed{std::move(host), std::move(trust), std::move(pinnedKeys), std::move(serverKeys)};
  }
  static ServerTrustFailureReason customEvaluationFailed(platform::AnyError error) {
    return CustomEvaluationFailed{std::move(error)};
  }
  static ServerTrustFailureReason noCertificatesFound() { return NoCertificatesFound{}; }
  static ServerTrustFailureReason noPublicKeysFound() { return NoPublicKeysFound{}; }
  static ServerTrustFailureReason revocationPolicyCreationFailed() { return RevocationPolicyCreationFailed{}; }

  template <AlternativeOf<Case> Alternative>

  ServerTrustFailureReason(Alternative value) : value_(std::move(value)) {}
  const Case& value() const { return value_; }

  std::string reasonDescription() const;

 private:
  Case value_;
};

}  // namespace wendanet
