#include <gtest/gtest.h>

#include "Platform/Security/SecTrust.h"
#include "tests/Integration/WebSocketRecorder.h"
#include "tests/servers/TLSCertificates.h"
#include "tests/servers/WebSocketEchoServer.h"

using namespace platform;
using testservers::TLSCertificates;
using testservers::WebSocketEchoServer;

namespace {

// wss tasks against the echo server over TLS, whose certificate only the
// test CA vouches for.
class URLSessionSecureWebSocket : public testing::Test {
 protected:
  void TearDown() override {
    session->invalidateAndCancel();
    recorder->waitFor("invalid");
    EXPECT_TRUE(recorder->everyNoteOnDelegateQueue());
  }

  std::shared_ptr<URLSessionWebSocketTask> resumedTask() {
    auto task = session->webSocketTaskWithRequest(URLRequest(URL::string(server.baseURL() + "/")));
    task->resume();
    return task;
  }

  std::string challengeEvent() const { return "challenge 127.0.0.1:" + std::to_string(port()); }

  int port() const { return std::stoi(server.baseURL().substr(server.baseURL().rfind(':') + 1)); }

  WebSocketEchoServer server{WebSocketEchoServer::Transport::tls};
  std::shared_ptr<WebSocketRecorder> recorder = std::make_shared<WebSocketRecorder>();
  std::shared_ptr<URLSession> session = makeRecordedSession(recorder);
};

URLCredential credentialFor(std::shared_ptr<SecTrust> trust) {
  URLCredential credential;
  credential.serverTrust = std::move(trust);
  return credential;
}

}  // namespace

TEST_F(URLSessionSecureWebSocket, ServerTheSystemDoesNotTrustIsRefusedBeforeTheUpgrade) {
  resumedTask();
  const auto events = recorder->waitFor("complete -1202");
  EXPECT_EQ(events.front(), challengeEvent());
  EXPECT_EQ(server.requestCount(), 0u);
  const auto& handshake = recorder->lastMetrics()->transactionMetrics.at(0);
  EXPECT_TRUE(handshake.secureConnectionStartDate && handshake.secureConnectionEndDate);
}

TEST_F(URLSessionSecureWebSocket, DelegateThatTakesTheServersOwnTrustOpensTheConnection) {
  auto upgradesAtChallenge = std::make_shared<std::size_t>(1);
  recorder->answerChallengesWith([this, upgradesAtChallenge](const URLAuthenticationChallenge& challenge,
                                                             ChallengeCompletionHandler handler) {
    *upgradesAtChallenge = server.requestCount();
    handler(URLSessionAuthChallengeDisposition::useCredential, credentialFor(challenge.protectionSpace.serverTrust));
  });
  const auto socket = resumedTask();
  socket->send(std::string("over tls"), recorder->sent("text"));
  socket->receive(recorder->received());
  recorder->waitFor("received text over tls");
  EXPECT_EQ(*upgradesAtChallenge, 0u);

  const auto challenge = recorder->lastChallenge();
  ASSERT_TRUE(challenge);
  const auto& space = challenge->protectionSpace;
  EXPECT_EQ(space.port, port());
  EXPECT_EQ(space.protocol, "https");
  EXPECT_EQ(space.authenticationMethod, URLProtectionSpace::authenticationMethodServerTrust);
  ASSERT_TRUE(space.serverTrust);
  EXPECT_EQ(space.serverTrust->certificates().at(0)->data(),
            TLSCertificates::shared().server(TLSCertificates::Kind::valid).der());

  socket->cancelWithCloseCode(URLSessionWebSocketCloseCode::normalClosure, std::nullopt);
  const auto events = recorder->waitFor("complete 0");
  EXPECT_EQ(events.front(), challengeEvent());
  EXPECT_EQ(events.at(1), "open -");
}

TEST_F(URLSessionSecureWebSocket, ServerCloseFollowedByAResetStillEndsAsThatClose) {
  recorder->answerChallengesWith([](const URLAuthenticationChallenge& challenge, ChallengeCompletionHandler handler) {
    handler(URLSessionAuthChallengeDisposition::useCredential, credentialFor(challenge.protectionSpace.serverTrust));
  });
  const auto socket = resumedTask();
  socket->send(std::string("close-reset 1000 done"), recorder->sent("command"));
  const auto events = recorder->waitFor("complete 0");
  EXPECT_LT(positionOf(events, "close 1000 done"), positionOf(events, "complete 0"));
  EXPECT_EQ(socket->closeCode(), URLSessionWebSocketCloseCode::normalClosure);
}

TEST_F(URLSessionSecureWebSocket, CancelWhileTheDelegateWeighsTheServerEndsTheTaskAtOnce) {
  auto heldHandler = std::make_shared<ChallengeCompletionHandler>();
  std::shared_ptr<SecTrust> trust;
  recorder->answerChallengesWith(
      [heldHandler, &trust](const URLAuthenticationChallenge& challenge, ChallengeCompletionHandler handler) {
        trust = challenge.protectionSpace.serverTrust;
        *heldHandler = std::move(handler);
      });
  const auto socket = resumedTask();
  socket->receive(recorder->received());
  recorder->waitFor(challengeEvent());
  socket->cancel();
  recorder->waitFor("complete -999");

  // The late answer finds the task ended: nothing opens, nothing is sent.
  recorder->queue()->sync([&] {
    (*heldHandler)(URLSessionAuthChallengeDisposition::useCredential, credentialFor(trust));
  });
  session->finishTasksAndInvalidate();
  const auto events = recorder->waitFor("invalid");
  EXPECT_EQ(events, (std::vector<std::string>{challengeEvent(), "received error -999", "metrics", "complete -999",
                                              "invalid"}));
  EXPECT_EQ(server.requestCount(), 0u);
}

TEST_F(URLSessionSecureWebSocket, CancelledChallengeFailsTheTaskWithCancelled) {
  recorder->answerChallengesWith([](const URLAuthenticationChallenge&, ChallengeCompletionHandler handler) {
    handler(URLSessionAuthChallengeDisposition::cancelAuthenticationChallenge, std::nullopt);
  });
  resumedTask();
  recorder->waitFor("complete -999");
  EXPECT_EQ(server.requestCount(), 0u);
}

TEST_F(URLSessionSecureWebSocket, ChallengeLeftUnansweredTimesOutWithTheRequest) {
  auto heldHandler = std::make_shared<ChallengeCompletionHandler>();
  recorder->answerChallengesWith([heldHandler](const URLAuthenticationChallenge&, ChallengeCompletionHandler handler) {
    *heldHandler = std::move(handler);
  });
  URLRequest request(URL::string(server.baseURL() + "/"));
  request.setTimeoutInterval(0.3);
  session->webSocketTaskWithRequest(std::move(request))->resume();
  recorder->waitFor("complete -1001");
  EXPECT_EQ(server.requestCount(), 0u);
}
