#include "Wendanet/Source/Core/ServerTrustFailureReason.h"

#include "Wendanet/Source/Core/ErrorText.h"
#include "Wendanet/Source/Core/TaggedUnion.h"

namespace wendanet {

std::string ServerTrustFailureReason::reasonDescription() const {
  return std::visit(
      Overloaded{
          [](const NoRequiredEvaluator& reason) {
            return "A ServerTrustEvaluating value is required for host " + reason.host + " but none was found.";
          },
          [](const PolicyApplicationFailed&) { return std::string("Attempting to set a SecPolicy failed."); },
          [](const SettingAnchorCertificatesFailed&) {
            return std::string("Attempting to set the provided certificates as anchor certificates failed.");
          },
          [](const TrustEvaluationFailed& reason) {
            return "SecTrust evaluation failed with error: " +
                   (reason.error ? reason.error->localizedDescription() : std::string("None"));
          },
          [](const DefaultEvaluationFailed& reason) {
            return "Default evaluation failed for host " + reason.output.host + ".";
          },
          [](const HostValidationFailed& reason) {
            return "Host validation failed for host " + reason.output.host + ".";
          },
          [](const RevocationCheckFailed& reason) {
            return "Revocation check failed for host " + reason.output.host + ".";
          },
          [](const CertificatePinningFailed& reason) {
            return "Certificate pinning failed for host " + reason.host + ".";
          },
          [](const PublicKeyPinningFailed& reason) {
            return "Public key pinning failed for host " + reason.host + ".";
          },
          [](const CustomEvaluationFailed& reason) {
            return "Custom trust evaluation failed with error: " + localizedDescriptionOf(reason.error);
          },
          [](const NoCertificatesFound&) {
            return std::string("No certificates were found or provided for evaluation.");
          },
          [](const NoPublicKeysFound&) { return std::string("No public keys were found or provided for evaluation."); },
          [](const RevocationPolicyCreationFailed&) {
            return std::string("Attempting to create a revocation policy failed.");
          },
      },
      value_);
}

}  // namespace wendanet
