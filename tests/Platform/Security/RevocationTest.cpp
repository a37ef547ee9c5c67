#include <gtest/gtest.h>
#include <openssl/ocsp.h>
#include <openssl/x509_vfy.h>

#include "Platform/Security/SecTrust.h"
#include "tests/Platform/Security/LoopbackResponder.h"
#include "tests/Platform/Security/RevocationAnswers.h"
#include "tests/Platform/Security/SecurityTestSupport.h"

using namespace platform;
using testservers::TestIdentity;

namespace {

// A CA whose certificates name a loopback responder for their revocation
// list and for OCSP; each test decides what the responder says.
class Revocation : public testing::Test {
 protected:
  TestIdentity issueLeaf(bool withRevocationInfo = true) const {
    auto spec = localhostSpec();
    if (withRevocationInfo) {
      spec.crlURL = responder.url("/ca.crl");
      spec.ocspURL = responder.url("/ocsp");
    }
    return TestIdentity::issue(spec, &ca);
  }

  // A trust for `leaf`, anchored at the CA, judged by the SSL policy and
  // the revocation policy with `flags`.
  std::shared_ptr<SecTrust> trustFor(const TestIdentity& leaf, std::uint64_t flags) const {
    auto trust = SecTrust::make({secCertificate(leaf)},
                                {SecPolicy::makeSSL(true, "localhost"), SecPolicy::makeRevocation(flags)});
    trust->setAnchorCertificates({secCertificate(ca)});
    return trust;
  }

  void listInCRL(const std::vector<const TestIdentity*>& revoked) { responder.serve("/ca.crl", makeCRL(ca, revoked)); }
  void answerOCSP(const TestIdentity& leaf, int status) {
    responder.serve("/ocsp", makeOCSPResponse(leaf, ca, status));
  }

  LoopbackResponder responder;
  TestIdentity ca = testCA("Revocation Test CA");
  TestIdentity good = issueLeaf();
  TestIdentity revoked = issueLeaf();
};

constexpr std::uint64_t crlRequired = kSecRevocationCRLMethod | kSecRevocationRequirePositiveResponse;
constexpr std::uint64_t ocspRequired = kSecRevocationOCSPMethod | kSecRevocationRequirePositiveResponse;

}  // namespace

TEST_F(Revocation, ARevocationListRefusesTheCertificatesItNamesAndPassesTheOthers) {
  listInCRL({&revoked});
  EXPECT_EQ(verifyResultOf(*trustFor(good, crlRequired)), X509_V_OK);

  const auto trust = trustFor(revoked, kSecRevocationCRLMethod);
  const auto evaluated = trust->evaluateWithError();
  ASSERT_FALSE(evaluated);
  EXPECT_EQ(evaluated.error().verifyResult(), X509_V_ERR_CERT_REVOKED);
  EXPECT_EQ(evaluated.error().status(), errSecCertificateRevoked);
  EXPECT_EQ(evaluated.error().depth(), 0);
  EXPECT_EQ(trust->trustResult(), SecTrustResultType::fatalTrustFailure);
}

TEST_F(Revocation, AnOCSPResponderAnswersForEachCertificate) {
  // Answers are cached per certificate, so each case has its own.
  answerOCSP(good, V_OCSP_CERTSTATUS_GOOD);
  EXPECT_EQ(verifyResultOf(*trustFor(good, ocspRequired)), X509_V_OK);
  answerOCSP(revoked, V_OCSP_CERTSTATUS_REVOKED);
  EXPECT_EQ(verifyResultOf(*trustFor(revoked, ocspRequired)), X509_V_ERR_CERT_REVOKED);
  const TestIdentity unknown = issueLeaf();
  answerOCSP(unknown, V_OCSP_CERTSTATUS_UNKNOWN);
  EXPECT_EQ(verifyResultOf(*trustFor(unknown, ocspRequired)), X509_V_ERR_OCSP_VERIFY_NEEDED);
  // A response about another certificate says nothing about this one.
  const TestIdentity other = issueLeaf();
  EXPECT_EQ(verifyResultOf(*trustFor(other, ocspRequired)), X509_V_ERR_OCSP_VERIFY_NEEDED);
}

TEST_F(Revocation, WithoutAnAnswerOnlyARequiredPositiveResponseFails) {
  // Nothing served: the responder answers 404.
  EXPECT_EQ(verifyResultOf(*trustFor(good, kSecRevocationUseAnyAvailableMethod)), X509_V_OK);
  const auto required = trustFor(good, kSecRevocationUseAnyAvailableMethod | kSecRevocationRequirePositiveResponse);
  const auto evaluated = required->evaluateWithError();
  ASSERT_FALSE(evaluated);
  EXPECT_EQ(evaluated.error().status(), errSecIncompleteCertRevocationCheck);
  EXPECT_EQ(required->trustResult(), SecTrustResultType::recoverableTrustFailure);

  // A certificate that names no place to ask is never confirmed.
  const TestIdentity silent = issueLeaf(false);
  EXPECT_EQ(verifyResultOf(*trustFor(silent, kSecRevocationUseAnyAvailableMethod)), X509_V_OK);
  EXPECT_EQ(verifyResultOf(*trustFor(silent, crlRequired)), X509_V_ERR_UNABLE_TO_GET_CRL);
}

TEST_F(Revocation, ListsThatAreStaleForeignOrFromTheFutureAreNoAnswer) {
  const TestIdentity impostor = testCA("Revocation Test CA");  // same name, other key
  for (const Data& unusable :
       {makeCRL(ca, {&revoked}, std::chrono::days(-3), std::chrono::days(-1)),
        makeCRL(ca, {&revoked}, std::chrono::hours(1), std::chrono::days(2)), makeCRL(impostor, {&revoked}),
        makeCRL(testCA("Other CA"), {&revoked}), Data("not a revocation list")}) {
    responder.serve("/ca.crl", unusable);
    EXPECT_EQ(verifyResultOf(*trustFor(revoked, kSecRevocationCRLMethod)), X509_V_OK);
    EXPECT_EQ(verifyResultOf(*trustFor(revoked, crlRequired)), X509_V_ERR_UNABLE_TO_GET_CRL);
  }
}

TEST_F(Revocation, WithNetworkAccessDisabledOnlyAnswersFetchedBeforeCount) {
  listInCRL({&revoked});
  const std::uint64_t offline = crlRequired | kSecRevocationNetworkAccessDisabled;
  EXPECT_EQ(verifyResultOf(*trustFor(revoked, offline)), X509_V_ERR_UNABLE_TO_GET_CRL);
  EXPECT_EQ(verifyResultOf(*trustFor(revoked, offline & ~kSecRevocationRequirePositiveResponse)), X509_V_OK);
  EXPECT_EQ(responder.requestCount(), 0);

  EXPECT_EQ(verifyResultOf(*trustFor(revoked, crlRequired)), X509_V_ERR_CERT_REVOKED);
  EXPECT_EQ(responder.requestCount(), 1);
  EXPECT_EQ(verifyResultOf(*trustFor(revoked, offline)), X509_V_ERR_CERT_REVOKED);
  EXPECT_EQ(verifyResultOf(*trustFor(good, offline)), X509_V_OK);
  // A cached answer that is still current needs no new fetch.
  EXPECT_EQ(verifyResultOf(*trustFor(good, crlRequired)), X509_V_OK);
  EXPECT_EQ(responder.requestCount(), 1);
}

TEST_F(Revocation, TheMethodsAreAskedInThePreferredOrderUntilOneAnswers) {
  // The two disagree, so the verdict shows which was asked first.
  listInCRL({});
  answerOCSP(revoked, V_OCSP_CERTSTATUS_REVOKED);
  EXPECT_EQ(verifyResultOf(*trustFor(revoked, kSecRevocationUseAnyAvailableMethod)), X509_V_ERR_CERT_REVOKED);
  EXPECT_EQ(verifyResultOf(*trustFor(revoked, kSecRevocationUseAnyAvailableMethod | kSecRevocationPreferCRL)),
            X509_V_OK);
}

TEST_F(Revocation, WhenTheFirstMethodHasNoAnswerTheSecondIsAsked) {
  answerOCSP(revoked, V_OCSP_CERTSTATUS_UNKNOWN);
  listInCRL({&revoked});
  EXPECT_EQ(verifyResultOf(*trustFor(revoked, kSecRevocationUseAnyAvailableMethod)), X509_V_ERR_CERT_REVOKED);
  EXPECT_EQ(responder.requestCount(), 2);
}

TEST_F(Revocation, IntermediatesAreCheckedButNotTheAnchor) {
  // The intermediate names a revocation list its root keeps; the root
  // itself names none and is trusted as the anchor.
  LoopbackResponder rootResponder;
  const TestIdentity root = testCA("Revocation Test Root");
  auto intermediateSpec = testservers::CertificateSpec::authority("Revoked Intermediate");
  intermediateSpec.crlURL = rootResponder.url("/root.crl");
  const TestIdentity intermediate = TestIdentity::issue(intermediateSpec, &root);
  const TestIdentity leaf = TestIdentity::issue(localhostSpec(), &intermediate);
  rootResponder.serve("/root.crl", makeCRL(root, {&intermediate}));

  const auto trust = SecTrust::make({secCertificate(leaf), secCertificate(intermediate)},
                                    {SecPolicy::makeRevocation(kSecRevocationCRLMethod)});
  trust->setAnchorCertificates({secCertificate(root)});
  const auto evaluated = trust->evaluateWithError();
  ASSERT_FALSE(evaluated);
  EXPECT_EQ(evaluated.error().verifyResult(), X509_V_ERR_CERT_REVOKED);
  EXPECT_EQ(evaluated.error().depth(), 1);
  EXPECT_EQ(evaluated.error().certificateSummary(), "Revoked Intermediate");
}
