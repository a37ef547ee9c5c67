#include <gtest/gtest.h>

#include "Platform/Security/SecCertificate.h"
#include "tests/Platform/Security/SecurityTestSupport.h"

using namespace platform;
using testservers::TestIdentity;

TEST(SecCertificate, ReadsExactlyOneDERCertificateAndGivesTheSameBytesBack) {
  const auto identity = TestIdentity::issue(localhostSpec());
  const Data der = identity.der();
  const auto certificate = SecCertificate::make(der);
  ASSERT_NE(certificate, nullptr);
  EXPECT_EQ(certificate->data(), der);

  Data withTrailingByte = der;
  withTrailingByte.append("\0", 1);
  EXPECT_EQ(SecCertificate::make(withTrailingByte), nullptr);
  EXPECT_EQ(SecCertificate::make(der.prefix(der.size() - 1)), nullptr);
  EXPECT_EQ(SecCertificate::make(Data()), nullptr);
  EXPECT_EQ(SecCertificate::make(Data("not a certificate")), nullptr);
  EXPECT_EQ(SecCertificate::make(Data(identity.certificatePEM())), nullptr);
}

TEST(SecCertificate, SharesAnOpenSSLCertificateAndKeepsItAlive) {
  const auto identity = TestIdentity::issue(localhostSpec());
  X509* raw = X509_dup(identity.certificate());
  const auto certificate = SecCertificate::fromX509(raw);
  X509_free(raw);  // the certificate object holds its own reference
  ASSERT_NE(certificate, nullptr);
  EXPECT_EQ(certificate->data(), identity.der());
  EXPECT_EQ(certificate->x509(), raw);
  EXPECT_EQ(SecCertificate::fromX509(nullptr), nullptr);
}

TEST(SecCertificate, SummarisesItsSubjectByCommonName) {
  EXPECT_EQ(secCertificate(testCA("Zürich Test CA"))->subjectSummary(), "Zürich Test CA");
}

TEST(SecKey, KeysAreEqualExactlyWhenTheyAreTheSameKey) {
  const auto identity = TestIdentity::issue(localhostSpec());
  const auto first = secCertificate(identity)->publicKey();
  const auto second = secCertificate(identity)->publicKey();
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, second);
  EXPECT_EQ(*first, *second);
  EXPECT_FALSE(*first == *secCertificate(TestIdentity::issue(localhostSpec()))->publicKey());

  unsigned char* encoded = nullptr;
  const int length = i2d_PUBKEY(identity.key(), &encoded);
  const Data expected(encoded, static_cast<std::size_t>(length));
  OPENSSL_free(encoded);
  EXPECT_EQ(first->subjectPublicKeyInfo(), expected);
}

TEST(SecPolicy, RevocationPolicyNeedsAMethodAndOnlyKnownFlags) {
  EXPECT_EQ(SecPolicy::makeRevocation(kSecRevocationUseAnyAvailableMethod)->revocationFlags(), 3u);
  const auto everything = kSecRevocationUseAnyAvailableMethod | kSecRevocationPreferCRL |
                          kSecRevocationRequirePositiveResponse | kSecRevocationNetworkAccessDisabled;
  EXPECT_EQ(SecPolicy::makeRevocation(everything)->revocationFlags(), 31u);
  EXPECT_EQ(SecPolicy::makeRevocation(0), nullptr);
  EXPECT_EQ(SecPolicy::makeRevocation(kSecRevocationRequirePositiveResponse | kSecRevocationPreferCRL), nullptr);
  EXPECT_EQ(SecPolicy::makeRevocation(kSecRevocationOCSPMethod | 64), nullptr);
}

TEST(SecPolicy, SSLPolicyKeepsTheHostAsCertificatesNameIt) {
  EXPECT_EQ(SecPolicy::makeSSL(true)->hostName(), std::nullopt);
  EXPECT_EQ(SecPolicy::makeSSL(true, "Example.org")->hostName(), "Example.org");
  EXPECT_EQ(SecPolicy::makeSSL(true, "example.org.")->hostName(), "example.org");
  EXPECT_EQ(SecPolicy::makeSSL(true, "[::1]")->hostName(), "::1");
  EXPECT_FALSE(SecPolicy::makeSSL(false)->isServer());
}
