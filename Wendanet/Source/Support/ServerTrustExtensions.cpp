#include "Wendanet/Source/Support/ServerTrustExtensions.h"

#include <set>
#include <unordered_set>

#include "Platform/Files/FileManager.h"
#include "Wendanet/Source/Core/WNError.h"

namespace wendanet {

namespace {

[[noreturn]] void fail(ServerTrustFailureReason reason) {
  throw WNError::serverTrustEvaluationFailed(std::move(reason));
}

}  // namespace

// Policies.

const SecPolicyHandle& WendanetExtension<SecPolicyHandle>::defaultSSLPolicy() {
  static const SecPolicyHandle policy = platform::SecPolicy::makeSSL(true);
  return policy;
}

SecPolicyHandle WendanetExtension<SecPolicyHandle>::sslPolicyForHost(const std::string& host) {
  return platform::SecPolicy::makeSSL(true, host);
}

SecPolicyHandle WendanetExtension<SecPolicyHandle>::revocationPolicy(RevocationTrustEvaluatorOptions options) {
  auto policy = platform::SecPolicy::makeRevocation(options.rawValue());
  if (!policy) fail(ServerTrustFailureReason::revocationPolicyCreationFailed());
  return policy;
}

// Trusts.

const SecTrustHandle& WendanetExtension<SecTrustHandle>::applyPolicy(const SecPolicyHandle& policy) const {
  const platform::OSStatus status = type_->setPolicies({policy});
  if (!wn(status).isSuccess()) fail(ServerTrustFailureReason::policyApplicationFailed(type_, policy, status));
  return type_;
}

void WendanetExtension<SecTrustHandle>::evaluateWithError() const {
  if (auto outcome = type_->evaluateWithError(); !outcome) {
    fail(ServerTrustFailureReason::trustEvaluationFailed(outcome.error().clone()));
  }
}

void WendanetExtension<SecTrustHandle>::evaluateAfterApplying(const SecPolicyHandle& policy) const {
  applyPolicy(policy);
  evaluateWithError();
}

void WendanetExtension<SecTrustHandle>::evaluateForHost(const std::string& host) const {
  evaluateAfterApplying(WendanetExtension<SecPolicyHandle>::sslPolicyForHost(host));
}

void WendanetExtension<SecTrustHandle>::evaluateDefault(const std::string&) const {
  evaluateAfterApplying(WendanetExtension<SecPolicyHandle>::defaultSSLPolicy());
}

void WendanetExtension<SecTrustHandle>::validateResult(const ErrorProducer& makeError) const {
  const auto evaluation = type_->evaluate();
  if (wn(evaluation.status).isSuccess() && wn(evaluation.result).isSuccess()) return;
  throw makeError(evaluation.status, evaluation.result);
}

void WendanetExtension<SecTrustHandle>::validateResultAfterApplying(const SecPolicyHandle& policy,
                                                                    const ErrorProducer& makeError) const {
  applyPolicy(policy);
  validateResult(makeError);
}

void WendanetExtension<SecTrustHandle>::setAnchorCertificates(const SecCertificates& certificates) const {
  platform::OSStatus status = type_->setAnchorCertificates(certificates);
  if (wn(status).isSuccess()) status = type_->setAnchorCertificatesOnly(true);
  if (!wn(status).isSuccess()) fail(ServerTrustFailureReason::settingAnchorCertificatesFailed(status, certificates));
}

SecCertificates WendanetExtension<SecTrustHandle>::certificateChain() const { return type_->certificateChain(); }

std::vector<platform::Data> WendanetExtension<SecTrustHandle>::certificateChainData() const {
  return wn(certificateChain()).data();
}

SecKeys WendanetExtension<SecTrustHandle>::chainPublicKeys() const { return wn(certificateChain()).publicKeys(); }

// Certificates.

std::vector<platform::Data> WendanetExtension<SecCertificates>::data() const {
  std::vector<platform::Data> data;
  for (const auto& certificate : type_) data.push_back(certificate->data());
  return data;
}

SecKeys WendanetExtension<SecCertificates>::publicKeys() const {
  SecKeys keys;
  for (const auto& certificate : type_) {
    if (auto key = wn(certificate).publicKey()) keys.push_back(std::move(key));
  }
  return keys;
}

SecKeyHandle WendanetExtension<SecCertificateHandle>::publicKey() const {
  const auto trust = platform::SecTrust::make({type_}, {platform::SecPolicy::makeBasicX509()});
  return trust ? trust->copyKey() : nullptr;
}

// Bundles.

std::vector<std::string> WendanetExtension<std::shared_ptr<const platform::Bundle>>::pathsForResourcesOfTypes(
    const std::vector<std::string>& types) const {
  std::set<std::string> paths;
  for (const auto& type : types) {
    const std::string extension = type.starts_with('.') ? type.substr(1) : type;
    for (const auto& path : type_->pathsForResources(extension)) paths.insert(path.string());
  }
  return {paths.begin(), paths.end()};
}

SecCertificates WendanetExtension<std::shared_ptr<const platform::Bundle>>::certificates() const {
  SecCertificates certificates;
  for (const auto& path : pathsForResourcesOfTypes({".cer", ".CER", ".crt", ".CRT", ".der", ".DER"})) {
    try {
      if (auto certificate = platform::SecCertificate::make(platform::FileManager::defaultManager()->contentsOfFile(path))) {
        certificates.push_back(std::move(certificate));
      }
    } catch (const platform::Error&) {
      // An unreadable file is not a certificate of the bundle.
    }
  }
  return certificates;
}

SecKeys WendanetExtension<std::shared_ptr<const platform::Bundle>>::publicKeys() const {
  return wn(certificates()).publicKeys();
}

}  // namespace wendanet
