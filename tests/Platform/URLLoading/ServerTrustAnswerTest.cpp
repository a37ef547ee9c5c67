#include <gtest/gtest.h>

#include "Platform/Security/SecTrust.h"
#include "Platform/URLLoading/Engine/ServerTrustAnswer.h"
#include "tests/Platform/Security/SecurityTestSupport.h"

using namespace platform;
using testservers::CertificateSpec;
using testservers::TestIdentity;
using Disposition = URLSessionAuthChallengeDisposition;

namespace {

const URL serverURL = *URL::string("https://localhost:8443/get");

// A challenge for localhost whose server presents `presented`, signed by a
// CA the system does not know.
class ServerTrustAnswers : public testing::Test {
 protected:
  URLProtectionSpace spacePresenting(SecTrust::Certificates presented) const {
    auto space = serverTrustProtectionSpace(serverURL);
    space.serverTrust = SecTrust::make(std::move(presented), {SecPolicy::makeSSL(true, space.host)});
    return space;
  }

  // The URLError code the answer gives; 0 when the server is accepted.
  static int codeOf(const AnyError& error) {
    if (!error) return 0;
    const auto* urlError = errorAs<URLError>(error);
    EXPECT_TRUE(urlError && urlError->failingURL() == serverURL);
    return urlError ? static_cast<int>(urlError->code()) : 1;
  }

  static int codeOfEvaluating(const CertificateSpec& spec, const TestIdentity& ca) {
    const auto trust = SecTrust::make({secCertificate(TestIdentity::issue(spec, &ca))}, {SecPolicy::makeSSL(true)});
    trust->setAnchorCertificates({secCertificate(ca)});
    const auto evaluated = trust->evaluateWithError();
    return evaluated ? 0 : static_cast<int>(urlErrorCode(evaluated.error()));
  }

  TestIdentity ca = testCA();
  std::shared_ptr<SecCertificate> leaf = secCertificate(TestIdentity::issue(localhostSpec(), &ca));
  URLProtectionSpace space = spacePresenting({leaf});
};

}  // namespace

TEST_F(ServerTrustAnswers, DefaultHandlingJudgesAfreshAgainstTheSystemsAnchors) {
  // What a delegate did to the challenge's trust does not count.
  space.serverTrust->setAnchorCertificates({secCertificate(ca)});
  ASSERT_TRUE(space.serverTrust->evaluateWithError());

  const auto refusal = serverTrustRefusal({Disposition::performDefaultHandling, std::nullopt}, space, serverURL);
  EXPECT_EQ(codeOf(refusal), -1202);
  const auto* trustError = errorAs<SecTrustError>(errorAs<URLError>(refusal)->underlyingError());
  ASSERT_TRUE(trustError);
  EXPECT_EQ(trustError->verifyResult(), X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY);

  // A server that sends its root along leads to a root nobody trusts.
  EXPECT_EQ(codeOf(defaultServerTrustRefusal(spacePresenting({leaf, secCertificate(ca)}), serverURL)), -1203);
  EXPECT_EQ(codeOf(defaultServerTrustRefusal(URLProtectionSpace(), serverURL)), -1202);
}

TEST_F(ServerTrustAnswers, RefusalsOfDatesAndNamesHaveTheirOwnCodes) {
  CertificateSpec expired = localhostSpec();
  expired.notBefore = std::chrono::days(-60);
  expired.notAfter = std::chrono::days(-30);
  CertificateSpec notYetValid = localhostSpec();
  notYetValid.notBefore = std::chrono::days(30);
  notYetValid.notAfter = std::chrono::days(60);
  EXPECT_EQ(codeOfEvaluating(localhostSpec(), ca), 0);
  EXPECT_EQ(codeOfEvaluating(expired, ca), -1201);
  EXPECT_EQ(codeOfEvaluating(notYetValid, ca), -1204);

  const auto wrongHost = SecTrust::make({leaf}, {SecPolicy::makeSSL(true, "example.org")});
  wrongHost->setAnchorCertificates({secCertificate(ca)});
  EXPECT_EQ(urlErrorCode(wrongHost->evaluateWithError().error()), URLError::Code::serverCertificateUntrusted);
}

TEST(ServerTrustProtectionSpace, HasTheHostInLowerCaseAndTheDefaultPort) {
  const auto space = serverTrustProtectionSpace(*URL::string("https://Example.ORG/path"));
  EXPECT_EQ(space.host, "example.org");
  EXPECT_EQ(space.port, 443);
  EXPECT_EQ(space.protocol, "https");
  EXPECT_EQ(space.authenticationMethod, URLProtectionSpace::authenticationMethodServerTrust);
  EXPECT_FALSE(space.serverTrust);

  const auto bracketed = serverTrustProtectionSpace(*URL::string("https://[::1]:8443/"));
  EXPECT_EQ(bracketed.host, "::1");
  EXPECT_EQ(bracketed.port, 8443);
}
