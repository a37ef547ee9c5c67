#include "Wendanet/Source/Support/ServerTrustEvaluators.h"

#include <algorithm>
#include <ranges>

#include "Wendanet/Source/Core/WNError.h"

namespace wendanet {

void DefaultTrustEvaluator::evaluate(const SecTrustHandle& trust, const std::string& host) const {
  if (validateHost_) wn(trust).evaluateForHost(host);
  wn(trust).evaluateDefault(host);
}

void RevocationTrustEvaluator::evaluate(const SecTrustHandle& trust, const std::string& host) const {
  if (performDefaultValidation_) wn(trust).evaluateDefault(host);
  if (validateHost_) wn(trust).evaluateForHost(host);
  wn(trust).evaluateAfterApplying(WendanetExtension<SecPolicyHandle>::revocationPolicy(options_));
}

PinnedCertificatesTrustEvaluator::PinnedCertificatesTrustEvaluator()
    : PinnedCertificatesTrustEvaluator(wn(platform::Bundle::main()).certificates()) {}

PinnedCertificatesTrustEvaluator::PinnedCertificatesTrustEvaluator(SecCertificates certificates,
                                                                   bool acceptSelfSignedCertificates,
                                                                   bool performDefaultValidation, bool validateHost)
    : certificates_(std::move(certificates)),
      acceptSelfSignedCertificates_(acceptSelfSignedCertificates),
      performDefaultValidation_(performDefaultValidation),
      validateHost_(validateHost) {}

void PinnedCertificatesTrustEvaluator::evaluate(const SecTrustHandle& trust, const std::string& host) const {
  if (certificates_.empty()) throw WNError::serverTrustEvaluationFailed(ServerTrustFailureReason::noCertificatesFound());
  if (acceptSelfSignedCertificates_) wn(trust).setAnchorCertificates(certificates_);
  if (performDefaultValidation_) wn(trust).evaluateDefault(host);
  if (validateHost_) wn(trust).evaluateForHost(host);
  const auto chainData = wn(trust).certificateChainData();
  const auto pinnedData = wn(certificates_).data();
  const bool pinned = std::ranges::any_of(
      chainData, [&](const platform::Data& data) { return std::ranges::find(pinnedData, data) != pinnedData.end(); });
  if (!pinned) {
    throw WNError::serverTrustEvaluationFailed(ServerTrustFailureReason::certificatePinningFailed(
        host, trust, certificates_, wn(trust).certificateChain()));
  }
}

PublicKeysTrustEvaluator::PublicKeysTrustEvaluator()
    : PublicKeysTrustEvaluator(wn(platform::Bundle::main()).publicKeys()) {}

PublicKeysTrustEvaluator::PublicKeysTrustEvaluator(SecKeys keys, bool performDefaultValidation, bool validateHost)
    : keys_(std::move(keys)), performDefaultValidation_(performDefaultValidation), validateHost_(validateHost) {}

void PublicKeysTrustEvaluator::evaluate(const SecTrustHandle& trust, const std::string& host) const {
  if (keys_.empty()) throw WNError::serverTrustEvaluationFailed(ServerTrustFailureReason::noPublicKeysFound());
  if (performDefaultValidation_) wn(trust).evaluateDefault(host);
  if (validateHost_) wn(trust).evaluateForHost(host);
  const auto chainKeys = wn(trust).chainPublicKeys();
  const bool pinned = std::ranges::any_of(chainKeys, [&](const SecKeyHandle& key) {
    return std::ranges::any_of(keys_, [&](const SecKeyHandle& pinnedKey) { return *pinnedKey == *key; });
  });
  if (!pinned) {
    throw WNError::serverTrustEvaluationFailed(
        ServerTrustFailureReason::publicKeyPinningFailed(host, trust, keys_, chainKeys));
  }
}

void CompositeTrustEvaluator::evaluate(const SecTrustHandle& trust, const std::string& host) const {
  for (const auto& evaluator : evaluators_) evaluator->evaluate(trust, host);
}

}  // namespace wendanet
