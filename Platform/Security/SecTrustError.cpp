#include "Platform/Security/SecTrustError.h"

#include <fmt/format.h>
#include <openssl/x509_vfy.h>

namespace platform {

SecTrustError::SecTrustError(int verifyResult, int depth, std::string certificateSummary)
    : verifyResult_(verifyResult), depth_(depth), certificateSummary_(std::move(certificateSummary)) {}

OSStatus SecTrustError::statusForVerifyResult(int verifyResult) {
  switch (verifyResult) {
    case X509_V_OK: return errSecSuccess;
    case X509_V_ERR_CERT_HAS_EXPIRED: return errSecCertificateExpired;
    case X509_V_ERR_CERT_NOT_YET_VALID: return errSecCertificateNotValidYet;
    case X509_V_ERR_CERT_REVOKED: return errSecCertificateRevoked;
    case X509_V_ERR_UNABLE_TO_GET_CRL:
    case X509_V_ERR_OCSP_VERIFY_NEEDED: return errSecIncompleteCertRevocationCheck;
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH: return errSecHostNameMismatch;
    default: return errSecNotTrusted;
  }
}

std::string SecTrustError::verifyMessage() const { return X509_verify_cert_error_string(verifyResult_); }

std::string SecTrustError::description() const {
  return fmt::format("SecTrustError({}): “{}”: {} (OpenSSL {} at depth {})", status(), certificateSummary_,
                     verifyMessage(), verifyResult_, depth_);
}

std::string SecTrustError::localizedDescription() const {
  if (certificateSummary_.empty()) return fmt::format("The certificate chain is not trusted: {}.", verifyMessage());
  return fmt::format("The certificate “{}” is not trusted: {}.", certificateSummary_, verifyMessage());
}

}  // namespace platform
