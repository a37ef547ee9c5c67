#include <gtest/gtest.h>

#include "Platform/URLLoading/Engine/HTTPAuthenticationChallenge.h"
#include "Platform/URLLoading/Engine/HTTPAuthorization.h"
#include "Platform/URLLoading/Engine/TaskAuthentication.h"

using namespace platform;

namespace {

using Challenge = HTTPAuthenticationChallenge;

// The worked example of RFC 7616.
const Challenge rfcDigest{"Digest",
                          {{"realm", "http-auth@example.org"},
                           {"qop", "auth, auth-int"},
                           {"nonce", "7ypf/xlj9XXwfDPEoM4URrv/xwf94BcCAzFZH4GiTo0v"},
                           {"opaque", "FQhe/qaU925kfnzjCev0ciny7QMkPqMAFRtzCUYo5tdS"}}};
const std::string rfcClientNonce = "f2/wE4q74E6zIJEtWaHKaf5wv/H5QzzpXusqGemxURZJ";

Challenge withAlgorithm(Challenge challenge, const std::string& algorithm) {
  challenge.parameters["algorithm"] = algorithm;
  return challenge;
}

std::string rfcAnswer(const Challenge& challenge) {
  return *digestAuthorization(challenge, "Mufasa", "Circle of Life", "GET", "/dir/index.html", 1, rfcClientNonce);
}

URLCredential credential(const std::string& user, const std::string& password) {
  return URLCredential{.user = user,
                       .password = password,
                       .persistence = URLCredential::Persistence::forSession,
                       .serverTrust = nullptr};
}

URLRequest request(const std::string& url) { return URLRequest(URL::string(url)); }

std::shared_ptr<HTTPURLResponse> unauthorized(const std::string& url) {
  return HTTPURLResponse::make(*URL::string(url), 401, {});
}

const HTTPHeaderFields basicRealm{{"WWW-Authenticate", "Basic realm=\"R\""}};

}  // namespace

TEST(HTTPAuthenticationChallenge, ReadsSeveralChallengesWithQuotedAndOpaqueParts) {
  const auto challenges = Challenge::parse(
      R"(Negotiate abc==, Digest realm="a \"quoted\", realm", NONCE=xyz, qop="auth,auth-int", Basic, Bearer realm=x)");
  ASSERT_EQ(challenges.size(), 4u);
  EXPECT_EQ(challenges[0], (Challenge{"Negotiate", {}}));
  EXPECT_EQ(challenges[1],
            (Challenge{"Digest", {{"realm", "a \"quoted\", realm"}, {"nonce", "xyz"}, {"qop", "auth,auth-int"}}}));
  EXPECT_EQ(challenges[2], (Challenge{"Basic", {}}));
  EXPECT_EQ(challenges[3], (Challenge{"Bearer", {{"realm", "x"}}}));
  EXPECT_TRUE(Challenge::parse(" , ,").empty());
  EXPECT_EQ(Challenge::parse("Basic realm=").size(), 1u);
  EXPECT_EQ(Challenge::challengesInFields(
                {{"www-authenticate", "Basic"}, {"X", "Digest"}, {"WWW-Authenticate", "Digest nonce=1"}})
                .size(),
            2u);
}

TEST(HTTPAuthorization, DigestMatchesTheRFCExamples) {
  EXPECT_EQ(rfcAnswer(rfcDigest),
            "Digest username=\"Mufasa\", realm=\"http-auth@example.org\", "
            "nonce=\"7ypf/xlj9XXwfDPEoM4URrv/xwf94BcCAzFZH4GiTo0v\", uri=\"/dir/index.html\", "
            "response=\"8ca523f5e9506fed4657c9700eebdbec\", opaque=\"FQhe/qaU925kfnzjCev0ciny7QMkPqMAFRtzCUYo5tdS\", "
            "qop=auth, nc=00000001, cnonce=\"f2/wE4q74E6zIJEtWaHKaf5wv/H5QzzpXusqGemxURZJ\"");
  EXPECT_NE(
      rfcAnswer(withAlgorithm(rfcDigest, "SHA-256"))
          .find("algorithm=SHA-256, response=\"753927fa0e85d155564e2e272a28d1802ca10daf4496794697cf8db5856cb6c1\""),
      std::string::npos);
  // Without qop, the older form of the answer.
  const Challenge legacy{"Digest", {{"realm", "testrealm@host.com"}, {"nonce", "dcd98b7102dd2f0e8b11d0f600bfb0c093"}}};
  const auto answer = *digestAuthorization(legacy, "Mufasa", "Circle Of Life", "GET", "/dir/index.html", 1, "c");
  EXPECT_NE(answer.find("response=\"670fd8c2df070c60b045671b8b24ff02\""), std::string::npos);
  EXPECT_EQ(answer.find("qop"), std::string::npos);
  const Challenge session{
      "Digest", {{"realm", "testrealm@host.com"}, {"nonce", "n"}, {"qop", "auth"}, {"algorithm", "MD5-sess"}}};
  EXPECT_NE(digestAuthorization(session, "Mufasa", "Circle Of Life", "GET", "/dir/index.html", 2, "c")
                ->find("response=\"c1356ef675d81d20f31a80e14e30aef8\", qop=auth, nc=00000002"),
            std::string::npos);
}

TEST(HTTPAuthorization, ChoosesTheStrongestChallengeItCanAnswer) {
  EXPECT_EQ(basicAuthorization("user", "passwd"), "Basic dXNlcjpwYXNzd2Q=");
  const Challenge basic{"Basic", {{"realm", "R"}}};
  const Challenge authIntOnly{"Digest", {{"nonce", "n"}, {"qop", "auth-int"}}};
  const auto sha = withAlgorithm(rfcDigest, "SHA-256");
  EXPECT_EQ(strongestAnswerableChallenge({basic, rfcDigest, sha})->challenge, sha);
  EXPECT_EQ(strongestAnswerableChallenge({rfcDigest, basic})->authenticationMethod,
            URLProtectionSpace::authenticationMethodHTTPDigest);
  EXPECT_EQ(strongestAnswerableChallenge({authIntOnly, withAlgorithm(rfcDigest, "SHA-512"), basic})->challenge, basic);
  EXPECT_FALSE(strongestAnswerableChallenge({authIntOnly, Challenge{"Bearer", {}}}));
  EXPECT_FALSE(digestAuthorization(authIntOnly, "u", "p", "GET", "/", 1, "c"));
}

TEST(HTTPAuthorization, GoesOnlyToTheSameServerAndCountsItsNonceUses) {
  const auto url = *URL::string("https://Example.com/x");
  const AnswerableChallenge digest{rfcDigest, URLProtectionSpace::authenticationMethodHTTPDigest};
  const auto space = protectionSpaceFor(url, digest);
  EXPECT_EQ(space.port, 443);
  EXPECT_EQ(space.protocol, "https");
  EXPECT_EQ(space.realm, "http-auth@example.org");
  EXPECT_TRUE(isSameServer(space, *URL::string("HTTPS://example.COM:443/other")));
  EXPECT_FALSE(isSameServer(space, *URL::string("http://example.com/x")));
  EXPECT_FALSE(isSameServer(space, *URL::string("https://example.com:8443/x")));
  EXPECT_FALSE(isSameServer(space, *URL::string("https://other.com/x")));

  auto withoutPassword = credential("u", "");
  withoutPassword.password.reset();
  EXPECT_FALSE(HTTPAuthorization::make(space, digest, withoutPassword));
  auto authorization = *HTTPAuthorization::make(space, digest, credential("u", "p"));
  EXPECT_NE(authorization.fieldValue("GET", url)->find("nc=00000001"), std::string::npos);
  EXPECT_NE(authorization.fieldValue("GET", *URL::string("https://example.com/y?q=1"))->find("uri=\"/y?q=1\""),
            std::string::npos);
  EXPECT_FALSE(authorization.fieldValue("GET", *URL::string("https://other.com/x")));
  EXPECT_NE(authorization.fieldValue("GET", url)->find("nc=00000003"), std::string::npos);
}

TEST(TaskAuthentication, CountsFailuresOfTheCredentialTheHopCarried) {
  TaskAuthentication authentication;
  const auto storage = URLCredentialStorage::make();
  const auto protectedURL = request("http://example.com/p");
  authentication.authorizeHop(protectedURL);
  auto challenge =
      authentication.receiveChallenge(protectedURL, unauthorized("http://example.com/p"), basicRealm, storage.get());
  ASSERT_TRUE(challenge);
  EXPECT_EQ(challenge->previousFailureCount, 0);
  EXPECT_EQ(challenge->protectionSpace.realm, "R");
  EXPECT_FALSE(challenge->proposedCredential);
  ASSERT_TRUE(authentication.useCredential(credential("u", "wrong")));

  EXPECT_EQ(authentication.authorizeHop(protectedURL), basicAuthorization("u", "wrong"));
  challenge =
      authentication.receiveChallenge(protectedURL, unauthorized("http://example.com/p"), basicRealm, storage.get());
  EXPECT_EQ(challenge->previousFailureCount, 1);
  // The hop to another server carried nothing, so its challenge is a first.
  const auto elsewhere = request("http://other.com/p");
  EXPECT_FALSE(authentication.authorizeHop(elsewhere));
  EXPECT_EQ(authentication.receiveChallenge(elsewhere, unauthorized("http://other.com/p"), basicRealm, storage.get())
                ->previousFailureCount,
            0);
  EXPECT_FALSE(authentication.receiveChallenge(protectedURL, unauthorized("http://example.com/p"),
                                               {{"WWW-Authenticate", "Bearer"}}, storage.get()));
  EXPECT_FALSE(authentication.useCredential(credential("u", "p")));
}
