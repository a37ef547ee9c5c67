#include <gtest/gtest.h>
#include <openssl/x509_vfy.h>

#include "Platform/Security/SecTrust.h"
#include "tests/Platform/Security/SecurityTestSupport.h"

using namespace platform;
using testservers::CertificateSpec;
using testservers::TestIdentity;

namespace {

// A root, an intermediate it signed, and a localhost leaf the intermediate
// signed; the server presents the leaf and the intermediate.
class ThreeLevelChain : public testing::Test {
 protected:
  std::shared_ptr<SecTrust> trustFor(std::optional<std::string> host) const {
    return SecTrust::make({leaf, intermediate}, {SecPolicy::makeSSL(true, std::move(host))});
  }

  TestIdentity rootIdentity = testCA("Test Root CA");
  TestIdentity intermediateIdentity = testCA("Test Intermediate CA", &rootIdentity);
  TestIdentity leafIdentity = TestIdentity::issue(localhostSpec(), &intermediateIdentity);
  std::shared_ptr<SecCertificate> root = secCertificate(rootIdentity);
  std::shared_ptr<SecCertificate> intermediate = secCertificate(intermediateIdentity);
  std::shared_ptr<SecCertificate> leaf = secCertificate(leafIdentity);
};

std::shared_ptr<SecTrust> anchoredTrust(const TestIdentity& ca, const CertificateSpec& spec,
                                        std::optional<std::string> host = std::nullopt) {
  auto trust = SecTrust::make({secCertificate(TestIdentity::issue(spec, &ca))}, {SecPolicy::makeSSL(true, host)});
  trust->setAnchorCertificates({secCertificate(ca)});
  return trust;
}

}  // namespace

TEST(SecTrust, NeedsAtLeastOneCertificateAndNoNullObjects) {
  const auto leaf = secCertificate(TestIdentity::issue(localhostSpec()));
  EXPECT_EQ(SecTrust::make({}, {}), nullptr);
  EXPECT_EQ(SecTrust::make({leaf, nullptr}, {}), nullptr);
  EXPECT_EQ(SecTrust::make({leaf}, {nullptr}), nullptr);

  const auto trust = SecTrust::make({leaf}, {});
  ASSERT_NE(trust, nullptr);
  ASSERT_EQ(trust->policies().size(), 1u);
  EXPECT_EQ(trust->policies().front()->kind(), SecPolicy::Kind::basicX509);
  EXPECT_EQ(trust->setPolicies({}), errSecParam);
  EXPECT_EQ(trust->setPolicies({SecPolicy::makeSSL(true), nullptr}), errSecParam);
  EXPECT_EQ(trust->setAnchorCertificates({nullptr}), errSecParam);
  EXPECT_EQ(trust->policies().front()->kind(), SecPolicy::Kind::basicX509);
  EXPECT_FALSE(trust->anchorCertificatesOnly());
}

TEST_F(ThreeLevelChain, BuildsTheChainToTheAnchorKeepingTheGivenObjects) {
  const auto trust = trustFor("localhost");
  EXPECT_EQ(trust->trustResult(), SecTrustResultType::invalid);
  EXPECT_EQ(trust->certificateChain(), (SecTrust::Certificates{leaf, intermediate}));
  EXPECT_EQ(trust->setAnchorCertificates({root}), errSecSuccess);
  EXPECT_TRUE(trust->anchorCertificatesOnly());

  const auto evaluation = trust->evaluate();
  EXPECT_EQ(evaluation.status, errSecSuccess);
  EXPECT_EQ(evaluation.result, SecTrustResultType::unspecified);
  EXPECT_EQ(trust->trustResult(), SecTrustResultType::unspecified);
  EXPECT_EQ(trust->certificateChain(), (SecTrust::Certificates{leaf, intermediate, root}));
  const auto keys = trust->chainPublicKeys();
  ASSERT_EQ(keys.size(), 3u);
  EXPECT_EQ(*keys[2], *root->publicKey());
  EXPECT_EQ(*trust->copyKey(), *leaf->publicKey());

  // A new rule makes the old verdict and chain meaningless.
  trust->setPolicies({SecPolicy::makeBasicX509()});
  EXPECT_EQ(trust->trustResult(), SecTrustResultType::invalid);
  EXPECT_EQ(trust->certificateChain(), (SecTrust::Certificates{leaf, intermediate}));
}

TEST_F(ThreeLevelChain, AnyCertificateOfTheChainCanBeTheOnlyAnchorAndEndsIt) {
  for (const auto& [anchor, length] : {std::pair{root, 3u}, {intermediate, 2u}, {leaf, 1u}}) {
    const auto trust = trustFor("localhost");
    trust->setAnchorCertificates({anchor});
    EXPECT_EQ(verifyResultOf(*trust), X509_V_OK) << anchor->subjectSummary();
    const auto chain = trust->certificateChain();
    ASSERT_EQ(chain.size(), length) << anchor->subjectSummary();
    EXPECT_EQ(chain.back()->data(), anchor->data());
  }
}

TEST_F(ThreeLevelChain, FailsWhenTheAnchorIsUnrelatedOrTheChainIsIncomplete) {
  auto trust = trustFor("localhost");
  trust->setAnchorCertificates({secCertificate(testCA("Unrelated CA"))});
  const auto evaluated = trust->evaluateWithError();
  ASSERT_FALSE(evaluated);
  EXPECT_EQ(evaluated.error().verifyResult(), X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY);
  EXPECT_EQ(evaluated.error().status(), errSecNotTrusted);
  EXPECT_EQ(evaluated.error().certificateSummary(), "Test Intermediate CA");
  EXPECT_EQ(trust->trustResult(), SecTrustResultType::recoverableTrustFailure);
  // The chain as far as it got.
  EXPECT_EQ(trust->certificateChain(), (SecTrust::Certificates{leaf, intermediate}));

  // Without the intermediate the leaf cannot reach the root.
  trust = SecTrust::make({leaf}, {SecPolicy::makeSSL(true)});
  trust->setAnchorCertificates({root});
  EXPECT_EQ(verifyResultOf(*trust), X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY);
  EXPECT_EQ(trust->evaluate().status, errSecSuccess);  // a refusal is still a completed evaluation
}

TEST_F(ThreeLevelChain, TheSystemAnchorsDoNotKnowTheTestRootUnlessAdded) {
  const auto trust = trustFor("localhost");
  EXPECT_EQ(verifyResultOf(*trust), X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY);

  trust->setAnchorCertificates({root});
  trust->setAnchorCertificatesOnly(false);
  EXPECT_EQ(verifyResultOf(*trust), X509_V_OK);
}

TEST(SecTrust, ASelfSignedLeafPassesOnlyAsItsOwnAnchor) {
  const auto leaf = secCertificate(TestIdentity::issue(localhostSpec()));
  const auto trust = SecTrust::make({leaf}, {SecPolicy::makeSSL(true, "localhost")});
  EXPECT_EQ(verifyResultOf(*trust), X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT);
  trust->setAnchorCertificates({leaf});
  EXPECT_EQ(verifyResultOf(*trust), X509_V_OK);
  EXPECT_EQ(trust->certificateChain(), SecTrust::Certificates{leaf});
}

TEST(SecTrust, RefusesCertificatesOutsideTheirValidity) {
  const auto ca = testCA();
  auto expired = localhostSpec();
  expired.notBefore = std::chrono::days(-10);
  expired.notAfter = std::chrono::days(-1);
  auto notYetValid = localhostSpec();
  notYetValid.notBefore = std::chrono::days(1);

  const auto expiredTrust = anchoredTrust(ca, expired);
  const auto evaluated = expiredTrust->evaluateWithError();
  ASSERT_FALSE(evaluated);
  EXPECT_EQ(evaluated.error().verifyResult(), X509_V_ERR_CERT_HAS_EXPIRED);
  EXPECT_EQ(evaluated.error().status(), errSecCertificateExpired);
  EXPECT_EQ(evaluated.error().depth(), 0);
  EXPECT_EQ(expiredTrust->trustResult(), SecTrustResultType::recoverableTrustFailure);
  EXPECT_EQ(verifyResultOf(*anchoredTrust(ca, notYetValid)), X509_V_ERR_CERT_NOT_YET_VALID);
}

TEST(SecTrust, MatchesHostNamesWithoutRegardToCaseAndAddressesExactly) {
  const auto ca = testCA();
  const auto spec = localhostSpec();
  EXPECT_EQ(verifyResultOf(*anchoredTrust(ca, spec, "localhost")), X509_V_OK);
  EXPECT_EQ(verifyResultOf(*anchoredTrust(ca, spec, "LocalHost")), X509_V_OK);
  EXPECT_EQ(verifyResultOf(*anchoredTrust(ca, spec, "localhost.")), X509_V_OK);
  EXPECT_EQ(verifyResultOf(*anchoredTrust(ca, spec, "127.0.0.1")), X509_V_OK);
  EXPECT_EQ(verifyResultOf(*anchoredTrust(ca, spec, "127.0.0.2")), X509_V_ERR_IP_ADDRESS_MISMATCH);
  EXPECT_EQ(verifyResultOf(*anchoredTrust(ca, spec, "[::1]")), X509_V_ERR_IP_ADDRESS_MISMATCH);
  EXPECT_EQ(verifyResultOf(*anchoredTrust(ca, spec, "example.org")), X509_V_ERR_HOSTNAME_MISMATCH);
  // Without a host only the chain counts.
  EXPECT_EQ(verifyResultOf(*anchoredTrust(ca, spec)), X509_V_OK);

  const auto mismatch = anchoredTrust(ca, spec, "example.org")->evaluateWithError();
  ASSERT_FALSE(mismatch);
  EXPECT_EQ(mismatch.error().status(), errSecHostNameMismatch);
  EXPECT_EQ(mismatch.error().certificateSummary(), "localhost");
}

TEST(SecTrust, AWildcardStandsForExactlyOneWholeLabel) {
  const auto ca = testCA();
  const auto wildcard = CertificateSpec::server("wildcard", {"*.example.test"}, {"::1"});
  EXPECT_EQ(verifyResultOf(*anchoredTrust(ca, wildcard, "api.example.test")), X509_V_OK);
  EXPECT_EQ(verifyResultOf(*anchoredTrust(ca, wildcard, "a.b.example.test")), X509_V_ERR_HOSTNAME_MISMATCH);
  EXPECT_EQ(verifyResultOf(*anchoredTrust(ca, wildcard, "example.test")), X509_V_ERR_HOSTNAME_MISMATCH);
  EXPECT_EQ(verifyResultOf(*anchoredTrust(ca, wildcard, "[::1]")), X509_V_OK);
}

TEST(SecTrust, TheServerPolicyWantsAServerCertificateWhereTheBasicOneDoesNot) {
  const auto ca = testCA();
  auto clientOnly = localhostSpec();
  clientOnly.extendedKeyUsage = "clientAuth";
  const auto trust = anchoredTrust(ca, clientOnly);
  EXPECT_EQ(verifyResultOf(*trust), X509_V_ERR_INVALID_PURPOSE);
  trust->setPolicies({SecPolicy::makeSSL(false)});
  EXPECT_EQ(verifyResultOf(*trust), X509_V_OK);
  trust->setPolicies({SecPolicy::makeBasicX509()});
  EXPECT_EQ(verifyResultOf(*trust), X509_V_OK);
}

TEST(SecTrust, EveryHostPolicyMustBeSatisfied) {
  const auto ca = testCA();
  const auto trust = anchoredTrust(ca, localhostSpec());
  trust->setPolicies({SecPolicy::makeSSL(true, "localhost"), SecPolicy::makeSSL(true, "127.0.0.1")});
  EXPECT_EQ(verifyResultOf(*trust), X509_V_OK);
  trust->setPolicies({SecPolicy::makeSSL(true, "localhost"), SecPolicy::makeSSL(true, "example.org")});
  EXPECT_EQ(verifyResultOf(*trust), X509_V_ERR_HOSTNAME_MISMATCH);
}
