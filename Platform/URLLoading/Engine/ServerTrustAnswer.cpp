#include "Platform/URLLoading/Engine/ServerTrustAnswer.h"

#include <openssl/x509_vfy.h>

#include "Platform/Security/SecPolicy.h"
#include "Platform/Security/SecTrust.h"

namespace platform {

namespace {

AnyError refusal(URLError::Code code, const URL& url, AnyError underlyingError = nullptr) {
  return makeError(URLError(code, url, std::move(underlyingError)));
}

}  // namespace

AnyError serverTrustRefusal(const ServerTrustAnswer& answer, const URLProtectionSpace& space, const URL& url) {
  using Disposition = URLSessionAuthChallengeDisposition;
  switch (answer.disposition) {
    case Disposition::useCredential:
      if (answer.credential && space.serverTrust && answer.credential->serverTrust == space.serverTrust) return nullptr;
      break;
    case Disposition::performDefaultHandling: return defaultServerTrustRefusal(space, url);
    case Disposition::cancelAuthenticationChallenge: return refusal(URLError::Code::cancelled, url);
    case Disposition::rejectProtectionSpace: break;
  }
  return refusal(URLError::Code::serverCertificateUntrusted, url);
}

AnyError defaultServerTrustRefusal(const URLProtectionSpace& space, const URL& url) {
  if (!space.serverTrust) return refusal(URLError::Code::serverCertificateUntrusted, url);
  const auto trust = SecTrust::make(space.serverTrust->certificates(), {SecPolicy::makeSSL(true, space.host)});
  if (!trust) return refusal(URLError::Code::serverCertificateUntrusted, url);
  const auto evaluated = trust->evaluateWithError();
  if (evaluated) return nullptr;
  return refusal(urlErrorCode(evaluated.error()), url, makeError(evaluated.error()));
}

URLError::Code urlErrorCode(const SecTrustError& error) {
  switch (error.status()) {
    case errSecCertificateExpired: return URLError::Code::serverCertificateHasBadDate;
    case errSecCertificateNotValidYet: return URLError::Code::serverCertificateNotYetValid;
    default: break;
  }
  // The chain leads to a root, but one nobody here trusts.
  if (error.verifyResult() == X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN)
    return URLError::Code::serverCertificateHasUnknownRoot;
  return URLError::Code::serverCertificateUntrusted;
}

}  // namespace platform
