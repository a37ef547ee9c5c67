#pragma once

#include <string>

#include "Platform/Foundation/Error.h"
#include "Platform/Security/OSStatus.h"

namespace platform {

// Why a trust evaluation refused a chain: the status code of the failure,
// the OpenSSL verification code with its text, and the certificate it
// concerns.
class SecTrustError : public ErrorBase<SecTrustError> {
 public:
  // `depth` is the index in the built chain (0 for the leaf) of the
  // certificate that failed, or -1 when the failure concerns none;
  // `certificateSummary` names that certificate.
  SecTrustError(int verifyResult, int depth, std::string certificateSummary);

  // The status code for the OpenSSL verification code: expired, not yet
  // valid, revoked, incomplete revocation check, host name mismatch, or
  // not trusted for everything else.
  static OSStatus statusForVerifyResult(int verifyResult);

  OSStatus status() const { return statusForVerifyResult(verifyResult_); }
  // One of OpenSSL's X509_V_ERR_… codes.
  int verifyResult() const { return verifyResult_; }
  // OpenSSL's text for the code, e.g. "certificate has expired".
  std::string verifyMessage() const;
  int depth() const { return depth_; }
  const std::string& certificateSummary() const { return certificateSummary_; }

  // "SecTrustError(-67818): “localhost”: certificate has expired (OpenSSL 10 at depth 0)"
  std::string description() const override;
  // "The certificate “localhost” is not trusted: certificate has expired."
  std::string localizedDescription() const override;

 private:
  int verifyResult_;
  int depth_;
  std::string certificateSummary_;
};

}  // namespace platform
