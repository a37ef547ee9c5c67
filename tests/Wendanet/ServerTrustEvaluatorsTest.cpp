#include <gtest/gtest.h>

#include <fstream>

#include "Wendanet/Source/Core/WNError.h"
#include "Wendanet/Source/Support/ServerTrustEvaluators.h"
#include "Wendanet/Source/Support/ServerTrustManager.h"
#include "tests/Wendanet/ScratchDirectory.h"
#include "tests/Wendanet/TestErrors.h"
#include "tests/servers/TestCertificates.h"

using namespace wendanet;
using testservers::CertificateSpec;
using testservers::TestIdentity;

namespace {

// A chain of a test CA and a server certificate for 127.0.0.1 it signed.
class ServerTrustEvaluators : public ::testing::Test {
 protected:
  SecTrustHandle serverTrust() const {
    return platform::SecTrust::make({leaf, ca}, {WendanetExtension<SecPolicyHandle>::defaultSSLPolicy()});
  }
  static SecCertificateHandle certificate(const TestIdentity& identity) {
    return platform::SecCertificate::make(identity.der());
  }

  const TestIdentity caIdentity = TestIdentity::issue(CertificateSpec::authority("Evaluator Test CA"));
  const TestIdentity serverIdentity =
      TestIdentity::issue(CertificateSpec::server("server", {"localhost"}, {"127.0.0.1"}), &caIdentity);
  const SecCertificateHandle ca = certificate(caIdentity);
  const SecCertificateHandle leaf = certificate(serverIdentity);
  const SecCertificateHandle unrelated =
      certificate(TestIdentity::issue(CertificateSpec::authority("Someone Else")));
};

// The reason an evaluation was refused with; it must throw.
template <class Evaluate>
ServerTrustFailureReason refusal(Evaluate&& evaluate) {
  try {
    evaluate();
  } catch (const WNError& error) {
    const auto* failed = std::get_if<WNError::ServerTrustEvaluationFailed>(&error.value());
    if (failed) return failed->reason;
    ADD_FAILURE() << error.errorDescription();
  }
  ADD_FAILURE() << "accepted";
  return ServerTrustFailureReason::noCertificatesFound();
}

template <class Reason>
bool is(const ServerTrustFailureReason& reason) {
  return std::holds_alternative<Reason>(reason.value());
}

class CountingEvaluator final : public ServerTrustEvaluating {
 public:
  explicit CountingEvaluator(bool refuses) : refuses_(refuses) {}
  void evaluate(const SecTrustHandle&, const std::string&) const override {
    ++calls;
    if (refuses_) throw wendanet::testing::TestError();
  }
  mutable int calls = 0;

 private:
  bool refuses_;
};

}  // namespace

TEST_F(ServerTrustEvaluators, PinnedCertificatesPassOnAnyChainMemberAndFailOtherwise) {
  // The pins as the only anchors make the test chain valid.
  EXPECT_NO_THROW(PinnedCertificatesTrustEvaluator({ca}, true).evaluate(serverTrust(), "127.0.0.1"));
  EXPECT_NO_THROW(PinnedCertificatesTrustEvaluator({leaf, ca}, true).evaluate(serverTrust(), "127.0.0.1"));
  EXPECT_TRUE(is<ServerTrustFailureReason::CertificatePinningFailed>(
      refusal([&] { PinnedCertificatesTrustEvaluator({unrelated}, false, false, false).evaluate(serverTrust(), "x"); })));
  // Nothing is applied to the trust before the empty list is refused.
  EXPECT_TRUE(is<ServerTrustFailureReason::NoCertificatesFound>(
      refusal([&] { PinnedCertificatesTrustEvaluator({}, true).evaluate(serverTrust(), "127.0.0.1"); })));
}

TEST_F(ServerTrustEvaluators, ValidationAgainstTheSystemOrTheWrongHostFails) {
  EXPECT_TRUE(is<ServerTrustFailureReason::TrustEvaluationFailed>(
      refusal([&] { DefaultTrustEvaluator(false).evaluate(serverTrust(), "127.0.0.1"); })));
  EXPECT_TRUE(is<ServerTrustFailureReason::TrustEvaluationFailed>(
      refusal([&] { PinnedCertificatesTrustEvaluator({ca}, true).evaluate(serverTrust(), "other.example"); })));
  EXPECT_NO_THROW(PinnedCertificatesTrustEvaluator({ca}, true, true, false).evaluate(serverTrust(), "other.example"));
}

TEST_F(ServerTrustEvaluators, PublicKeysMatchAnyKeyOfTheChain) {
  const auto caKey = wn(ca).publicKey();
  ASSERT_NE(caKey, nullptr);
  EXPECT_NO_THROW(PublicKeysTrustEvaluator({caKey}, false, false).evaluate(serverTrust(), "127.0.0.1"));
  EXPECT_TRUE(is<ServerTrustFailureReason::PublicKeyPinningFailed>(refusal(
      [&] { PublicKeysTrustEvaluator({wn(unrelated).publicKey()}, false, false).evaluate(serverTrust(), "x"); })));
  EXPECT_TRUE(is<ServerTrustFailureReason::NoPublicKeysFound>(
      refusal([&] { PublicKeysTrustEvaluator({}, false, false).evaluate(serverTrust(), "x"); })));
}

TEST_F(ServerTrustEvaluators, ACompositeStopsAtTheFirstRefusal) {
  const auto refusing = std::make_shared<CountingEvaluator>(true);
  const auto accepting = std::make_shared<CountingEvaluator>(false);
  EXPECT_THROW(CompositeTrustEvaluator({refusing, accepting}).evaluate(serverTrust(), "x"),
               wendanet::testing::TestError);
  EXPECT_EQ(refusing->calls, 1);
  EXPECT_EQ(accepting->calls, 0);
  EXPECT_NO_THROW(CompositeTrustEvaluator({}).evaluate(serverTrust(), "x"));
  EXPECT_NO_THROW(DisabledTrustEvaluator().evaluate(serverTrust(), "x"));
}

TEST(ServerTrustManagerTest, HostsMatchExactly) {
  const auto evaluator = std::make_shared<DisabledTrustEvaluator>();
  const auto lenient = ServerTrustManager::make(false, {{"example.com", evaluator}});
  EXPECT_EQ(lenient->serverTrustEvaluator("example.com"), evaluator);
  EXPECT_EQ(lenient->serverTrustEvaluator("Example.com"), nullptr);
  EXPECT_EQ(lenient->serverTrustEvaluator("api.example.com"), nullptr);

  const auto strict = ServerTrustManager::make(true, {{"example.com", evaluator}});
  const auto reason = refusal([&] { strict->serverTrustEvaluator("api.example.com"); });
  ASSERT_TRUE(is<ServerTrustFailureReason::NoRequiredEvaluator>(reason));
  EXPECT_EQ(std::get<ServerTrustFailureReason::NoRequiredEvaluator>(reason.value()).host, "api.example.com");
}

TEST(ServerTrustSupport, SuccessTestsAndRevocationFlags) {
  EXPECT_TRUE(wn(platform::OSStatus{0}).isSuccess());
  EXPECT_FALSE(wn(platform::errSecParam).isSuccess());
  EXPECT_TRUE(wn(platform::SecTrustResultType::proceed).isSuccess());
  EXPECT_TRUE(wn(platform::SecTrustResultType::unspecified).isSuccess());
  EXPECT_FALSE(wn(platform::SecTrustResultType::recoverableTrustFailure).isSuccess());
  EXPECT_EQ(RevocationOptions::anyAvailableMethod.rawValue(), 3U);
  // Options combine as a set: built from a list, joined, tested, taken apart.
  const RevocationTrustEvaluatorOptions both{RevocationOptions::ocspMethod, RevocationOptions::crlMethod};
  EXPECT_EQ(both, RevocationOptions::anyAvailableMethod);
  EXPECT_EQ(RevocationOptions::ocspMethod | RevocationOptions::crlMethod, both);
  EXPECT_TRUE(both.contains(RevocationOptions::crlMethod));
  EXPECT_FALSE(both.contains(RevocationOptions::preferCRL));
  auto offline = both.unionWith(RevocationOptions::networkAccessDisabled);
  EXPECT_EQ(offline.rawValue(), 19U);
  offline.remove(RevocationOptions::ocspMethod);
  EXPECT_EQ(offline, RevocationOptions::crlMethod | RevocationOptions::networkAccessDisabled);
  EXPECT_EQ(both.subtracting(both), RevocationTrustEvaluatorOptions());
  EXPECT_TRUE(both.intersection(RevocationOptions::preferCRL).isEmpty());
  EXPECT_EQ(WendanetExtension<SecPolicyHandle>::revocationPolicy(RevocationOptions::anyAvailableMethod)->revocationFlags(),
            3U);
}

TEST_F(ServerTrustEvaluators, ABundleGivesItsReadableDERCertificatesOnce) {
  wendanet::testing::ScratchDirectory scratch;
  const auto der = caIdentity.der();
  std::ofstream(scratch.path() / "ca.cer", std::ios::binary)
      .write(reinterpret_cast<const char*>(der.bytes()), static_cast<std::streamsize>(der.size()));
  wendanet::testing::writeFile(scratch.path() / "broken.der", "not a certificate");
  const auto bundle = platform::Bundle::atPath(scratch.path());
  ASSERT_NE(bundle, nullptr);
  const auto certificates = wn(bundle).certificates();
  ASSERT_EQ(certificates.size(), 1U);
  EXPECT_EQ(certificates.front()->data(), der);
  EXPECT_EQ(wn(bundle).publicKeys().size(), 1U);
}
