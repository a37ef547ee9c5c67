#include "Platform/URLLoading/Engine/ServerTrustAnswer.h"

#include <openssl/x509_vfy.h>

#include "Platform/Foundation/ASCIICase.h"
#include "Platform/Security/SecPolicy.h"
#include "Platform/Security/SecTrust.h"
#include "Platform/URLLoading/Engine/OnceReply.h"
#include "Platform/URLLoading/URLAuthenticationChallenge.h"

namespace platform {

namespace {

constexpr int httpsPort = 443;

AnyError refusal(URLError::Code code, const URL& url, AnyError underlyingError = nullptr) {
  return makeError(URLError(code, url, std::move(underlyingError)));
}

}  // namespace

URLProtectionSpace serverTrustProtectionSpace(const URL& url) {
  URLProtectionSpace space;
  space.host = asciiLowercased(url.host().value_or(""));
  space.port = url.port().value_or(httpsPort);
  space.protocol = "https";
  space.authenticationMethod = URLProtectionSpace::authenticationMethodServerTrust;
  return space;
}

DelegateChannel::Call serverTrustChallengeCall(std::shared_ptr<URLSessionTask> task, URLProtectionSpace space,
                                               std::move_only_function<void(ServerTrustAnswer)> deliver) {
  auto reply = makeOnceReply<ServerTrustAnswer>(std::move(deliver), ServerTrustAnswer());
  URLAuthenticationChallenge asked;
  asked.protectionSpace = std::move(space);
  return [task = std::move(task), asked = std::move(asked), reply = std::move(reply)](
             URLSessionDelegate& delegate, const std::shared_ptr<URLSession>& session) {
    delegate.didReceiveChallenge(
        session, task, asked,
        [reply](URLSessionAuthChallengeDisposition disposition, std::optional<URLCredential> credential) {
          reply(ServerTrustAnswer{disposition, std::move(credential)});
        });
  };
}

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
