#include <gtest/gtest.h>
#include <openssl/x509_vfy.h>

#include "Platform/Security/SecTrustError.h"

using namespace platform;

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
