#include <gtest/gtest.h>
#include <openssl/x509_vfy.h>

#include "Platform/Security/SecTrustError.h"

using namespace platform;

TEST(SecTrustError, MapsVerificationCodesToStatusCodes) {
  EXPECT_EQ(SecTrustError::statusForVerifyResult(X509_V_OK), errSecSuccess);
  EXPECT_EQ(SecTrustError::statusForVerifyResult(X509_V_ERR_CERT_HAS_EXPIRED), errSecCertificateExpired);
  EXPECT_EQ(SecTrustError::statusForVerifyResult(X509_V_ERR_CERT_NOT_YET_VALID), errSecCertificateNotValidYet);
  EXPECT_EQ(SecTrustError::statusForVerifyResult(X509_V_ERR_CERT_REVOKED), errSecCertificateRevoked);
  EXPECT_EQ(SecTrustError::statusForVerifyResult(X509_V_ERR_UNABLE_TO_GET_CRL), errSecIncompleteCertRevocationCheck);
  EXPECT_EQ(SecTrustError::statusForVerifyResult(X509_V_ERR_IP_ADDRESS_MISMATCH), errSecHostNameMismatch);
  EXPECT_EQ(SecTrustError::statusForVerifyResult(X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT), errSecNotTrusted);
  EXPECT_EQ(SecTrustError::statusForVerifyResult(X509_V_ERR_CERT_SIGNATURE_FAILURE), errSecNotTrusted);
}

TEST(SecTrustError, DescribesTheCertificateAndOpenSSLsReason) {
  const SecTrustError error(X509_V_ERR_CERT_HAS_EXPIRED, 0, "localhost");
  EXPECT_EQ(error.verifyMessage(), "certificate has expired");
  EXPECT_EQ(error.description(), "SecTrustError(-67818): “localhost”: certificate has expired (OpenSSL 10 at depth 0)");
  EXPECT_EQ(error.localizedDescription(), "The certificate “localhost” is not trusted: certificate has expired.");
  EXPECT_EQ(SecTrustError(X509_V_ERR_OUT_OF_MEM, -1, "").localizedDescription(),
            "The certificate chain is not trusted: out of memory.");

  const AnyError held = error.clone();
  ASSERT_NE(errorAs<SecTrustError>(held), nullptr);
  EXPECT_EQ(errorAs<SecTrustError>(held)->status(), errSecCertificateExpired);
}
