#include <gtest/gtest.h>
#include <openssl/ssl.h>

#include <optional>

#include "Platform/Security/SecTrust.h"
#include "tests/Integration/CurlTransfer.h"
#include "tests/servers/TLSHttpbinServer.h"

using namespace platform;
using testservers::TLSCertificates;
using testservers::TLSHttpbinServer;

namespace {

using Kind = TLSCertificates::Kind;
using Judge = std::function<bool(SecTrust&)>;

struct Judging {
  Judge judge;
  std::shared_ptr<SecTrust> trust;  // as the judge left it
};

int judgePresentedChain(X509_STORE_CTX* context, void* argument) {
  auto& judging = *static_cast<Judging*>(argument);
  judging.trust = SecTrust::fromVerifyContext(context, "127.0.0.1");
  if (judging.trust && judging.judge(*judging.trust)) return 1;
  X509_STORE_CTX_set_error(context, X509_V_ERR_APPLICATION_VERIFICATION);
  return 0;
}

CURLcode installJudge(CURL*, void* sslContext, void* argument) {
  SSL_CTX_set_cert_verify_callback(static_cast<SSL_CTX*>(sslContext), judgePresentedChain, argument);
  return CURLE_OK;
}

// Connects to the test server of `kind` and lets `judge` decide in the TLS
// handshake about the trust made from the chain the server presents, the
// way the URL loading engine hooks in; no other check applies.
struct JudgedConnection {
  CurlOutcome outcome;
  std::shared_ptr<SecTrust> trust;
};

JudgedConnection connectJudging(Kind kind, Judge judge) {
  Judging judging{std::move(judge), nullptr};
  const auto outcome = curlGet(TLSHttpbinServer::shared(kind).baseURL() + "/get", [&](CURL* easy) {
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(easy, CURLOPT_SSL_CTX_FUNCTION, installJudge);
    curl_easy_setopt(easy, CURLOPT_SSL_CTX_DATA, &judging);
  });
  return {outcome, judging.trust};
}

std::shared_ptr<SecCertificate> testCA() { return SecCertificate::make(TLSCertificates::shared().ca().der()); }

std::shared_ptr<SecCertificate> serverCertificate(Kind kind) {
  return SecCertificate::make(TLSCertificates::shared().server(kind).der());
}

// Evaluates with `anchors` as the only anchors; records the refusal.
Judge evaluateAnchoredAt(SecTrust::Certificates anchors, std::optional<SecTrustError>* refusal = nullptr) {
  return [anchors = std::move(anchors), refusal](SecTrust& trust) {
    trust.setAnchorCertificates(anchors);
    const auto evaluated = trust.evaluateWithError();
    if (!evaluated && refusal) *refusal = evaluated.error();
    return evaluated.has_value();
  };
}

}  // namespace

TEST(ServerTrustEvaluation, TheTrustHoldsThePresentedChainAndAnSSLPolicyForTheHost) {
  const auto connection = connectJudging(Kind::valid, [](SecTrust&) { return true; });
  EXPECT_EQ(connection.outcome.status, 200);
  ASSERT_NE(connection.trust, nullptr);
  const auto presented = connection.trust->certificates();
  ASSERT_EQ(presented.size(), 1u);
  EXPECT_EQ(presented.front()->data(), serverCertificate(Kind::valid)->data());
  const auto policies = connection.trust->policies();
  ASSERT_EQ(policies.size(), 1u);
  EXPECT_EQ(policies.front()->kind(), SecPolicy::Kind::ssl);
  EXPECT_TRUE(policies.front()->isServer());
  EXPECT_EQ(policies.front()->hostName(), "127.0.0.1");
}

TEST(ServerTrustEvaluation, DefaultEvaluationDoesNotTrustTheTestCA) {
  std::optional<SecTrustError> refusal;
  const auto connection = connectJudging(Kind::valid, [&](SecTrust& trust) {
    const auto evaluated = trust.evaluateWithError();
    if (!evaluated) refusal = evaluated.error();
    return evaluated.has_value();
  });
  EXPECT_NE(connection.outcome.code, CURLE_OK);
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->status(), errSecNotTrusted);
  EXPECT_EQ(refusal->verifyResult(), X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY);
  EXPECT_EQ(refusal->certificateSummary(), "localhost");
  EXPECT_EQ(connection.trust->trustResult(), SecTrustResultType::recoverableTrustFailure);
}

TEST(ServerTrustEvaluation, TheTestCAAsTheOnlyAnchorPasses) {
  const auto connection = connectJudging(Kind::valid, evaluateAnchoredAt({testCA()}));
  EXPECT_EQ(connection.outcome.code, CURLE_OK) << curl_easy_strerror(connection.outcome.code);
  EXPECT_EQ(connection.outcome.status, 200);
  EXPECT_EQ(connection.trust->trustResult(), SecTrustResultType::unspecified);

  const auto chain = connection.trust->certificateChain();
  ASSERT_EQ(chain.size(), 2u);
  EXPECT_EQ(chain[0]->data(), serverCertificate(Kind::valid)->data());
  EXPECT_EQ(chain[1]->data(), testCA()->data());
  const auto keys = connection.trust->chainPublicKeys();
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(*keys[1], *testCA()->publicKey());
  EXPECT_EQ(*connection.trust->copyKey(), *serverCertificate(Kind::valid)->publicKey());
}

TEST(ServerTrustEvaluation, PinningTheServersOwnCertificatePassesAndAnUnrelatedOneFails) {
  EXPECT_EQ(connectJudging(Kind::valid, evaluateAnchoredAt({serverCertificate(Kind::valid)})).outcome.status, 200);

  std::optional<SecTrustError> refusal;
  const auto unrelated = serverCertificate(Kind::wrongName);  // same CA, other key
  const auto connection = connectJudging(Kind::valid, evaluateAnchoredAt({unrelated}, &refusal));
  EXPECT_NE(connection.outcome.code, CURLE_OK);
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->status(), errSecNotTrusted);
}

TEST(ServerTrustEvaluation, TheWrongNameFailsHostValidationAndPassesWithoutIt) {
  std::optional<SecTrustError> refusal;
  const auto checked = connectJudging(Kind::wrongName, evaluateAnchoredAt({testCA()}, &refusal));
  EXPECT_NE(checked.outcome.code, CURLE_OK);
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->status(), errSecHostNameMismatch);
  EXPECT_EQ(refusal->verifyResult(), X509_V_ERR_IP_ADDRESS_MISMATCH);

  const auto unchecked = connectJudging(Kind::wrongName, [](SecTrust& trust) {
    trust.setPolicies({SecPolicy::makeSSL(true)});
    return evaluateAnchoredAt({testCA()})(trust);
  });
  EXPECT_EQ(unchecked.outcome.status, 200);
}

TEST(ServerTrustEvaluation, TheExpiredCertificateFails) {
  std::optional<SecTrustError> refusal;
  const auto connection = connectJudging(Kind::expired, evaluateAnchoredAt({testCA()}, &refusal));
  EXPECT_NE(connection.outcome.code, CURLE_OK);
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->status(), errSecCertificateExpired);
  EXPECT_EQ(refusal->verifyResult(), X509_V_ERR_CERT_HAS_EXPIRED);
  EXPECT_EQ(connection.trust->trustResult(), SecTrustResultType::recoverableTrustFailure);
}
