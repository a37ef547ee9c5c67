#include <gtest/gtest.h>

#include "Platform/Foundation/URLError.h"
#include "Platform/Streams/InputStream.h"
#include "Platform/URLLoading/URLCredentialStorage.h"
#include "tests/Integration/DecidingSessionTest.h"
#include "tests/servers/HttpbinServer.h"

using namespace platform;
using testservers::HttpbinServer;
using Disposition = URLSessionAuthChallengeDisposition;

namespace {

using URLSessionAuthentication = DecidingSessionTest;

URLCredential credential(const std::string& user, const std::string& password) {
  return URLCredential{.user = user,
                       .password = password,
                       .persistence = URLCredential::Persistence::forSession,
                       .serverTrust = nullptr};
}

DecidingSessionDelegate::ChallengeAnswer always(Disposition disposition,
                                                std::optional<URLCredential> given = std::nullopt) {
  return [=](const URLAuthenticationChallenge&) { return std::pair{disposition, given}; };
}

}  // namespace

TEST_F(URLSessionAuthentication, AWrongPasswordIsChallengedAgainWithOneFailure) {
  delegate->answerChallengesWith([](const URLAuthenticationChallenge& challenge) {
    if (challenge.previousFailureCount == 0)
      return std::pair{Disposition::useCredential, std::optional(credential("user", "wrong"))};
    return std::pair{Disposition::rejectProtectionSpace, std::optional<URLCredential>()};
  });
  const auto record = run(httpbinRequest("/basic-auth/user/passwd"));
  EXPECT_EQ(record.errorCode(), 0);
  EXPECT_EQ(statusCode(record), 401);
  const auto challenges = delegate->challenges();
  ASSERT_EQ(challenges.size(), 2u);
  EXPECT_EQ(challenges[0].previousFailureCount, 0);
  EXPECT_EQ(challenges[1].previousFailureCount, 1);
  const auto& space = challenges[0].protectionSpace;
  EXPECT_EQ(space.host, "127.0.0.1");
  EXPECT_EQ(space.port, HttpbinServer::shared().port());
  EXPECT_EQ(space.protocol, "http");
  EXPECT_EQ(space.realm, "Fake Realm");
  EXPECT_EQ(space.authenticationMethod, URLProtectionSpace::authenticationMethodHTTPBasic);
  EXPECT_EQ(std::dynamic_pointer_cast<HTTPURLResponse>(challenges[0].failureResponse)->statusCode(), 401);
  EXPECT_EQ(record.metrics->transactionMetrics.size(), 2u);
  EXPECT_EQ(record.count("response"), 1);
}

TEST_F(URLSessionAuthentication, TheRightPasswordAuthenticates) {
  delegate->answerChallengesWith(always(Disposition::useCredential, credential("user", "passwd")));
  const auto record = run(httpbinRequest("/basic-auth/user/passwd"));
  ASSERT_EQ(statusCode(record), 200);
  EXPECT_EQ(bodyJSON(record)["authenticated"], true);
  EXPECT_EQ(delegate->challenges().size(), 1u);
  EXPECT_EQ(record.metrics->transactionMetrics.size(), 2u);
}

TEST_F(URLSessionAuthentication, DigestIsAnsweredWithMD5AndSHA256) {
  delegate->answerChallengesWith(always(Disposition::useCredential, credential("user", "passwd")));
  for (const std::string algorithm : {"MD5", "SHA-256"}) {
    const auto record = run(httpbinRequest("/digest-auth/auth/user/passwd/" + algorithm));
    ASSERT_EQ(statusCode(record), 200) << algorithm;
    EXPECT_EQ(bodyJSON(record)["authenticated"], true) << algorithm;
    EXPECT_EQ(delegate->challenges().back().protectionSpace.authenticationMethod,
              URLProtectionSpace::authenticationMethodHTTPDigest);
  }
}

TEST_F(URLSessionAuthentication, DispositionsOtherThanACredential) {
  delegate->answerChallengesWith(always(Disposition::cancelAuthenticationChallenge));
  EXPECT_EQ(run(httpbinRequest("/basic-auth/user/passwd")).errorCode(), -999);

  delegate->answerChallengesWith(always(Disposition::rejectProtectionSpace));
  EXPECT_EQ(statusCode(run(httpbinRequest("/basic-auth/user/passwd"))), 401);

  // Default handling without a stored default, then with one.
  delegate->answerChallengesWith(always(Disposition::performDefaultHandling));
  EXPECT_EQ(statusCode(run(httpbinRequest("/basic-auth/user/passwd"))), 401);
  auto configuration = URLSessionConfiguration::ephemeralConfiguration();
  const auto space = delegate->challenges().back().protectionSpace;
  configuration->urlCredentialStorage()->setDefaultCredential(credential("user", "passwd"), space);
  remakeSession(configuration);
  delegate->answerChallengesWith(always(Disposition::performDefaultHandling));
  const auto record = run(httpbinRequest("/basic-auth/user/passwd"));
  EXPECT_EQ(statusCode(record), 200);
  ASSERT_EQ(delegate->challenges().size(), 1u);
  EXPECT_EQ(delegate->challenges()[0].proposedCredential, credential("user", "passwd"));
}

TEST_F(URLSessionAuthentication, AFailingDefaultCredentialIsNotTriedForever) {
  auto configuration = URLSessionConfiguration::ephemeralConfiguration();
  configuration->urlCredentialStorage()->setDefaultCredential(
      credential("user", "wrong"),
      URLProtectionSpace{.host = "127.0.0.1",
                         .port = HttpbinServer::shared().port(),
                         .protocol = "http",
                         .realm = "Fake Realm",
                         .authenticationMethod = std::string(URLProtectionSpace::authenticationMethodHTTPBasic),
                         .serverTrust = nullptr});
  remakeSession(configuration);
  const auto record = run(httpbinRequest("/basic-auth/user/passwd"));
  EXPECT_EQ(statusCode(record), 401);
  EXPECT_EQ(delegate->challenges().size(), 2u);
}

TEST_F(URLSessionAuthentication, UsingNoCredentialDeliversTheChallengingResponse) {
  delegate->answerChallengesWith(always(Disposition::useCredential));
  EXPECT_EQ(statusCode(run(httpbinRequest("/basic-auth/user/passwd"))), 401);
}

TEST_F(URLSessionAuthentication, AStreamedBodyIsNeverReplayedForACredential) {
  delegate->answerChallengesWith(always(Disposition::useCredential, credential("user", "passwd")));
  delegate->answerBodyStreamsWith([] { return InputStream::fromData(Data("second stream")); });
  // The protected resource takes a GET, which may carry a body all the same.
  auto request = httpbinRequest("/basic-auth/user/passwd");
  request.setHTTPMethod("GET");
  request.setHTTPBodyStream(InputStream::fromData(Data("first stream")));
  const auto record = run(request);
  EXPECT_EQ(statusCode(record), 200);
  EXPECT_EQ(record.bodyStreamRequests, 1);

  delegate->answerBodyStreamsWith([] { return nullptr; });
  request.setHTTPBodyStream(InputStream::fromData(Data("first stream")));
  EXPECT_EQ(run(request).errorCode(), -1021);
}
