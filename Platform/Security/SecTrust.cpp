#include "Platform/Security/SecTrust.h"

#include <openssl/x509_vfy.h>

#include <algorithm>

#include "Platform/Security/detail/ChainVerification.h"

namespace platform {

namespace {

template <class T>
bool holdsNull(const std::vector<std::shared_ptr<T>>& objects) {
  return std::ranges::any_of(objects, [](const auto& object) { return object == nullptr; });
}

std::vector<X509*> x509s(const SecTrust::Certificates& certificates) {
  std::vector<X509*> result;
  for (const auto& certificate : certificates) result.push_back(certificate->x509());
  return result;
}

// The built chain as certificate objects; the presented certificates and
// the anchors keep their own objects, so a caller can recognise them.
SecTrust::Certificates chainCertificates(STACK_OF(X509) * chain, const SecTrust::Certificates& known) {
  SecTrust::Certificates result;
  for (int index = 0; index < sk_X509_num(chain); ++index) {
    X509* certificate = sk_X509_value(chain, index);
    const auto same = std::ranges::find_if(known, [&](const auto& candidate) {
      return candidate->x509() == certificate || X509_cmp(candidate->x509(), certificate) == 0;
    });
    if (auto made = same != known.end() ? *same : SecCertificate::fromX509(certificate)) result.push_back(made);
  }
  return result;
}

}  // namespace

std::shared_ptr<SecTrust> SecTrust::make(Certificates certificates, Policies policies) {
  if (certificates.empty() || holdsNull(certificates) || holdsNull(policies)) return nullptr;
  if (policies.empty()) policies.push_back(SecPolicy::makeBasicX509());
  return std::shared_ptr<SecTrust>(new SecTrust(std::move(certificates), std::move(policies)));
}

std::shared_ptr<SecTrust> SecTrust::fromVerifyContext(X509_STORE_CTX* context, std::optional<std::string> host) {
  if (context == nullptr) return nullptr;
  X509* leaf = X509_STORE_CTX_get0_cert(context);
  Certificates certificates{SecCertificate::fromX509(leaf)};
  if (!certificates.front()) return nullptr;
  // What a TLS peer sends starts with the leaf itself.
  STACK_OF(X509)* sent = X509_STORE_CTX_get0_untrusted(context);
  for (int index = 0; index < sk_X509_num(sent); ++index) {
    X509* certificate = sk_X509_value(sent, index);
    if (X509_cmp(certificate, leaf) == 0) continue;
    if (auto made = SecCertificate::fromX509(certificate)) certificates.push_back(std::move(made));
  }
  return make(std::move(certificates), {SecPolicy::makeSSL(true, std::move(host))});
}

SecTrust::Certificates SecTrust::certificates() const { return certificates_; }

SecTrust::Policies SecTrust::policies() const {
  std::lock_guard lock(mutex_);
  return policies_;
}

OSStatus SecTrust::setPolicies(Policies policies) {
  if (policies.empty() || holdsNull(policies)) return errSecParam;
  std::lock_guard lock(mutex_);
  policies_ = std::move(policies);
  forgetEvaluationLocked();
  return errSecSuccess;
}

SecTrust::Certificates SecTrust::anchorCertificates() const {
  std::lock_guard lock(mutex_);
  return anchors_;
}

bool SecTrust::anchorCertificatesOnly() const {
  std::lock_guard lock(mutex_);
  return anchorsOnly_;
}

OSStatus SecTrust::setAnchorCertificates(Certificates anchors) {
  if (holdsNull(anchors)) return errSecParam;
  std::lock_guard lock(mutex_);
  anchors_ = std::move(anchors);
  anchorsOnly_ = true;
  forgetEvaluationLocked();
  return errSecSuccess;
}

OSStatus SecTrust::setAnchorCertificatesOnly(bool anchorsOnly) {
  std::lock_guard lock(mutex_);
  anchorsOnly_ = anchorsOnly;
  forgetEvaluationLocked();
  return errSecSuccess;
}

std::expected<void, SecTrustError> SecTrust::evaluateWithError() {
  std::lock_guard lock(mutex_);
  auto outcome = evaluateLocked();
  if (outcome.error) return std::unexpected(std::move(*outcome.error));
  return {};
}

SecTrustEvaluation SecTrust::evaluate() {
  std::lock_guard lock(mutex_);
  return evaluateLocked().evaluation;
}

SecTrustResultType SecTrust::trustResult() const {
  std::lock_guard lock(mutex_);
  return result_;
}

SecTrust::Certificates SecTrust::certificateChain() const {
  std::lock_guard lock(mutex_);
  return builtChain_.empty() ? certificates_ : builtChain_;
}

SecTrust::Keys SecTrust::chainPublicKeys() const {
  Keys keys;
  for (const auto& certificate : certificateChain()) {
    if (auto key = certificate->publicKey()) keys.push_back(std::move(key));
  }
  return keys;
}

std::shared_ptr<SecKey> SecTrust::copyKey() const { return certificates_.front()->publicKey(); }

SecTrust::Outcome SecTrust::evaluateLocked() {
  const std::vector<X509*> presented = x509s(certificates_);
  const auto verification =
      detail::verifyChain(presented.front(), std::vector<X509*>(presented.begin() + 1, presented.end()),
                          x509s(anchors_), anchorsOnly_, policies_);
  Certificates known = certificates_;
  known.insert(known.end(), anchors_.begin(), anchors_.end());
  builtChain_ = chainCertificates(verification.builtChain.get(), known);
  result_ = verification.result;

  Outcome outcome{{errSecSuccess, result_}, std::nullopt};
  if (result_ == SecTrustResultType::otherError) {
    outcome.evaluation.status =
        verification.verifyResult == X509_V_ERR_OUT_OF_MEM ? errSecAllocate : errSecInternalComponent;
  }
  if (verification.verifyResult != X509_V_OK) {
    const int depth = verification.depth;
    const bool named = depth >= 0 && static_cast<std::size_t>(depth) < builtChain_.size();
    outcome.error.emplace(verification.verifyResult, depth, named ? builtChain_[depth]->subjectSummary() : "");
  }
  return outcome;
}

void SecTrust::forgetEvaluationLocked() {
  result_ = SecTrustResultType::invalid;
  builtChain_.clear();
}

}  // namespace platform
