#include <gtest/gtest.h>

#include <algorithm>

#include "Platform/Foundation/HTTPURLResponse.h"
#include "Platform/Foundation/URLError.h"
#include "Platform/URLLoading/URLSessionTaskMetrics.h"
#include "tests/Integration/WebSocketRecorder.h"
#include "tests/servers/WebSocketEchoServer.h"

using namespace platform;
using testservers::WebSocketEchoServer;
using CloseFrame = WebSocketEchoServer::CloseFrame;
using CloseCode = URLSessionWebSocketCloseCode;

namespace {

class URLSessionWebSocket : public testing::Test {
 protected:
  void TearDown() override {
    session->invalidateAndCancel();
    const auto events = recorder->waitFor("invalid");
    EXPECT_EQ(events.back(), "invalid");
    EXPECT_TRUE(recorder->everyNoteOnDelegateQueue());
  }

  std::shared_ptr<URLSessionWebSocketTask> task(const std::string& path,
                                                std::optional<std::string> protocols = std::nullopt) {
    URLRequest request(URL::string(server.baseURL() + path));
    request.setValueForHTTPHeaderField(std::move(protocols), "Sec-WebSocket-Protocol");
    return session->webSocketTaskWithRequest(std::move(request));
  }

  std::shared_ptr<URLSessionWebSocketTask> openTask(const std::string& path = "/") {
    auto opened = task(path);
    opened->resume();
    recorder->waitFor("open -");
    return opened;
  }

  // The handshake's metrics of a connection to the server named by `host`,
  // closed once open.
  URLSessionTaskTransactionMetrics handshakeWith(const std::string& host) {
    const auto port = std::to_string(*URL::string(server.baseURL())->port());
    const auto socket = session->webSocketTaskWithRequest(URLRequest(URL::string("ws://" + host + ":" + port + "/")));
    socket->resume();
    recorder->waitFor("open -");
    socket->cancelWithCloseCode(CloseCode::normalClosure, std::nullopt);
    recorder->waitFor("metrics");
    const auto metrics = recorder->lastMetrics();
    return metrics && !metrics->transactionMetrics.empty() ? metrics->transactionMetrics.front()
                                                           : URLSessionTaskTransactionMetrics{};
  }

  static int statusOf(const std::shared_ptr<URLResponse>& response) {
    const auto http = std::dynamic_pointer_cast<HTTPURLResponse>(response);
    return http ? http->statusCode() : 0;
  }

  WebSocketEchoServer server;
  std::shared_ptr<WebSocketRecorder> recorder = std::make_shared<WebSocketRecorder>();
  std::shared_ptr<URLSession> session = makeRecordedSession(recorder);
};

}  // namespace

TEST_F(URLSessionWebSocket, NegotiatesChatEchoesTextAndBinaryAndClosesWithByeAtTheServer) {
  URLRequest request(URL::string(server.baseURL() + "/room?id=7"));
  request.setValueForHTTPHeaderField("superchat, chat", "Sec-WebSocket-Protocol");
  request.setValueForHTTPHeaderField("yes", "X-Test");
  const auto socket = session->webSocketTaskWithRequest(request);
  socket->resume();
  socket->send(std::string("hello"), recorder->sent("text"));
  socket->send(Data("\x00\xff\x01", 3), recorder->sent("binary"));
  socket->receive(recorder->received());
  socket->receive(recorder->received());
  auto events = recorder->waitFor("received data 3");

  EXPECT_EQ(events.front(), "open chat");
  EXPECT_LT(positionOf(events, "sent text 0"), positionOf(events, "received text hello"));
  EXPECT_LT(positionOf(events, "received text hello"), positionOf(events, "received data 3"));
  EXPECT_EQ(recorder->receivedData().at(0), Data("\x00\xff\x01", 3));
  EXPECT_EQ(statusOf(socket->response()), 101);
  const auto fields = server.lastRequestFields();
  EXPECT_EQ(valueOfHeaderField(fields, "X-Test"), "yes");
  EXPECT_EQ(valueOfHeaderField(fields, "Sec-WebSocket-Protocol"), "superchat, chat");

  socket->cancelWithCloseCode(CloseCode::normalClosure, Data("bye"));
  events = recorder->waitFor("complete 0");
  EXPECT_EQ(server.nextCloseFrame(), (CloseFrame{1000, "bye"}));
  EXPECT_EQ(std::vector(events.end() - 3, events.end()),
            (std::vector<std::string>{"close 1000 bye", "metrics", "complete 0"}));
  EXPECT_EQ(socket->closeCode(), CloseCode::normalClosure);
  EXPECT_EQ(socket->closeReason(), Data("bye"));
  EXPECT_EQ(socket->state(), URLSessionTask::State::completed);

  const auto metrics = recorder->lastMetrics();
  ASSERT_EQ(metrics->transactionMetrics.size(), 1u);
  const auto& handshake = metrics->transactionMetrics.front();
  EXPECT_EQ(statusOf(handshake.response), 101);
  EXPECT_EQ(handshake.networkProtocolName, "http/1.1");
  ASSERT_TRUE(handshake.connectEndDate && handshake.responseEndDate);
  EXPECT_LE(*handshake.fetchStartDate, *handshake.connectEndDate);
  EXPECT_LE(*handshake.connectEndDate, *handshake.responseEndDate);
  EXPECT_GT(handshake.countOfRequestHeaderBytesSent, 0);
  EXPECT_GT(handshake.countOfResponseHeaderBytesReceived, 0);
}

TEST_F(URLSessionWebSocket, TheHandshakeOfAServerNamedByItsAddressShowsNoNameLookup) {
  const auto handshake = handshakeWith("127.0.0.1");
  ASSERT_TRUE(handshake.fetchStartDate && handshake.connectStartDate && handshake.connectEndDate);
  EXPECT_FALSE(handshake.domainLookupStartDate || handshake.domainLookupEndDate);
  EXPECT_LE(*handshake.fetchStartDate, *handshake.connectStartDate);
  EXPECT_LE(*handshake.connectStartDate, *handshake.connectEndDate);
}

TEST_F(URLSessionWebSocket, TheHandshakeOfAServerNamedByANameShowsTheLookupFirst) {
  const auto handshake = handshakeWith("localhost");
  ASSERT_TRUE(handshake.domainLookupStartDate && handshake.domainLookupEndDate && handshake.connectEndDate);
  EXPECT_EQ(handshake.domainLookupStartDate, handshake.fetchStartDate);
  EXPECT_EQ(handshake.domainLookupEndDate, handshake.connectStartDate);
  EXPECT_LE(*handshake.connectStartDate, *handshake.connectEndDate);
}

TEST_F(URLSessionWebSocket, MessageOverTheMaximumFailsTheReceiveAndClosesWith1009) {
  const auto socket = openTask();
  const std::string mebibyte(URLSessionWebSocketTask::defaultMaximumMessageSize, 'm');
  socket->send(Data(mebibyte), recorder->sent("largest"));
  socket->receive(recorder->received());
  recorder->waitFor("received data 1048576");

  socket->send(Data(mebibyte + "!"), recorder->sent("too large"));
  socket->receive(recorder->received());
  const auto events = recorder->waitFor("complete -1103");
  EXPECT_LT(positionOf(events, "received error -1103"), positionOf(events, "close 1009 -"));
  EXPECT_LT(positionOf(events, "close 1009 -"), positionOf(events, "complete -1103"));
  EXPECT_EQ(server.nextCloseFrame(), (CloseFrame{1009, ""}));
  EXPECT_EQ(socket->closeCode(), CloseCode::messageTooBig);
}

TEST_F(URLSessionWebSocket, PingsGetTheirPongsInOrderAndAPlainCancelAnswersEveryoneWithCancelled) {
  const auto socket = openTask();
  socket->sendPing(recorder->pong("first"));
  socket->sendPing(recorder->pong("second"));
  auto events = recorder->waitFor("pong second 0");
  EXPECT_LT(positionOf(events, "pong first 0"), positionOf(events, "pong second 0"));

  socket->receive(recorder->received());
  socket->cancel();
  events = recorder->waitFor("complete -999");
  EXPECT_LT(positionOf(events, "received error -999"), positionOf(events, "complete -999"));
  EXPECT_EQ(positionOf(events, "close 1006 -"), std::ssize(events));
  EXPECT_EQ(socket->closeCode(), CloseCode::invalid);

  socket->send(std::string("late"), recorder->sent("late"));
  socket->sendPing(recorder->pong("late"));
  recorder->waitFor("sent late -999");
  recorder->waitFor("pong late -999");
}

TEST_F(URLSessionWebSocket, SendBeforeResumeGoesOutAfterTheHandshakeAndADropLosesTheConnection) {
  const auto socket = task("/");
  socket->send(std::string("early"), recorder->sent("early"));
  socket->receive(recorder->received());
  socket->resume();
  auto events = recorder->waitFor("received text early");
  EXPECT_LT(positionOf(events, "open -"), positionOf(events, "sent early 0"));

  socket->receive(recorder->received());
  socket->send(std::string("drop"), recorder->sent("drop"));
  events = recorder->waitFor("complete -1005");
  EXPECT_LT(positionOf(events, "received error -1005"), positionOf(events, "complete -1005"));
  EXPECT_EQ(std::ranges::count_if(events, [](const auto& event) { return event.starts_with("close"); }), 0);
}

TEST_F(URLSessionWebSocket, ServerCloseEndsTheTaskCleanlyWithItsCodeAndReason) {
  const auto first = openTask();
  first->receive(recorder->received());
  first->send(std::string("close 1001 going away"), recorder->sent("command"));
  auto events = recorder->waitFor("complete 0");
  EXPECT_LT(positionOf(events, "received error -1005"), positionOf(events, "close 1001 going away"));
  EXPECT_EQ(first->closeCode(), CloseCode::goingAway);
  EXPECT_EQ(first->closeReason(), Data("going away"));

  // A code outside the protocol's list stands as invalid; a frame without
  // a reason gives none.
  const auto second = task("/");
  second->resume();
  second->send(std::string("close 4000 "), recorder->sent("custom"));
  events = recorder->waitFor("close 0 -");
  recorder->waitFor("sent custom 0");
  EXPECT_EQ(second->closeCode(), CloseCode::invalid);
}

TEST_F(URLSessionWebSocket, ServerCloseFollowedByAResetStillEndsAsThatClose) {
  const auto socket = openTask();
  socket->receive(recorder->received());
  socket->send(std::string("close-reset 1001 going away"), recorder->sent("command"));
  const auto events = recorder->waitFor("complete 0");
  EXPECT_LT(positionOf(events, "received error -1005"), positionOf(events, "close 1001 going away"));
  EXPECT_EQ(socket->closeCode(), CloseCode::goingAway);
  EXPECT_EQ(socket->closeReason(), Data("going away"));
  // The reset came after the client had answered the close.
  EXPECT_EQ(server.nextCloseFrame(), (CloseFrame{1001, ""}));
}

TEST_F(URLSessionWebSocket, ResetBeforeAnyCloseFrameLosesTheConnection) {
  const auto socket = openTask();
  socket->receive(recorder->received());
  socket->send(std::string("reset"), recorder->sent("reset"));
  const auto events = recorder->waitFor("complete -1005");
  EXPECT_LT(positionOf(events, "received error -1005"), positionOf(events, "complete -1005"));
  EXPECT_EQ(std::ranges::count_if(events, [](const auto& event) { return event.starts_with("close"); }), 0);
  EXPECT_EQ(socket->closeCode(), CloseCode::invalid);
}

TEST_F(URLSessionWebSocket, CloseWhileSuspendedStillGoesOutAfterWhatWasSentBefore) {
  const auto socket = openTask();
  socket->suspend();
  socket->send(std::string("before"), recorder->sent("before"));
  // A code that must not be sent goes out as a frame without one.
  socket->cancelWithCloseCode(CloseCode::abnormalClosure, Data("ignored"));
  const auto events = recorder->waitFor("complete 0");
  EXPECT_LT(positionOf(events, "sent before 0"), positionOf(events, "close 1006 ignored"));
  EXPECT_EQ(server.nextCloseFrame(), (CloseFrame{std::nullopt, ""}));
}

TEST_F(URLSessionWebSocket, RefusedOrBrokenUpgradeFailsWithBadServerResponseAndKeepsTheResponse) {
  const auto refused = task("/forbidden");
  refused->resume();
  recorder->waitFor("complete -1011");
  EXPECT_EQ(statusOf(refused->response()), 403);

  // The server names a sub-protocol that was not offered.
  const auto unasked = task("/always-chat");
  unasked->receive(recorder->received());
  unasked->resume();
  const auto events = recorder->waitFor("received error -1011");
  EXPECT_EQ(statusOf(unasked->response()), 101);
  EXPECT_EQ(std::ranges::count_if(events, [](const auto& event) { return event.starts_with("open"); }), 0);
}

TEST_F(URLSessionWebSocket, InvalidatingCancelsAnOpenConnectionBeforeTheInvalidation) {
  openTask();
  session->invalidateAndCancel();
  const auto events = recorder->waitFor("invalid");
  EXPECT_EQ(positionOf(events, "complete -999") + 1, positionOf(events, "invalid"));
}

namespace {

// Tasks that never reach a server: nothing listens on port 9.
class URLSessionWebSocketUnreached : public testing::Test {
 protected:
  void TearDown() override {
    session->invalidateAndCancel();
    recorder->waitFor("invalid");
  }

  std::shared_ptr<URLSessionWebSocketTask> task(const std::string& scheme = "ws") {
    return session->webSocketTaskWithRequest(URLRequest(URL::string(scheme + "://127.0.0.1:9/")));
  }

  std::shared_ptr<WebSocketRecorder> recorder = std::make_shared<WebSocketRecorder>();
  std::shared_ptr<URLSession> session = makeRecordedSession(recorder);
};

}  // namespace

TEST_F(URLSessionWebSocketUnreached, StartsSuspendedWithTheDefaultMaximumAndNoCloseCode) {
  const auto socket = task();
  EXPECT_EQ(socket->state(), URLSessionTask::State::suspended);
  EXPECT_EQ(socket->maximumMessageSize(), 1048576);
  EXPECT_EQ(socket->closeCode(), CloseCode::invalid);
  EXPECT_EQ(socket->closeReason(), std::nullopt);
  EXPECT_EQ(socket->description(), "URLSessionWebSocketTask <1> GET ws://127.0.0.1:9/");
  session->invalidateAndCancel();
  EXPECT_EQ(recorder->waitFor("invalid"), (std::vector<std::string>{"metrics", "complete -999", "invalid"}));
}

TEST_F(URLSessionWebSocketUnreached, CloseBeforeTheConnectionOpensCancelsAndAnswersWhatWaited) {
  const auto socket = task();
  socket->send(std::string("queued"), recorder->sent("queued"));
  socket->receive(recorder->received());
  socket->sendPing(recorder->pong("queued"));
  socket->cancelWithCloseCode(CloseCode::normalClosure, Data("bye"));
  EXPECT_EQ(recorder->waitFor("complete -999"),
            (std::vector<std::string>{"received error -999", "sent queued -999", "pong queued -999", "metrics",
                                      "complete -999"}));
  EXPECT_TRUE(recorder->lastMetrics()->transactionMetrics.empty());
  EXPECT_EQ(socket->closeCode(), CloseCode::invalid);
  EXPECT_TRUE(recorder->everyNoteOnDelegateQueue());
}

TEST_F(URLSessionWebSocketUnreached, RefusedConnectionsAndOtherSchemesFailTheTask) {
  task()->resume();
  recorder->waitFor("complete -1004");
  EXPECT_EQ(recorder->lastMetrics()->transactionMetrics.size(), 1u);
  const auto unsupported = task("http");
  unsupported->resume();
  recorder->waitFor("complete -1002");
  EXPECT_EQ(urlErrorCode(unsupported->error()), -1002);
}

TEST_F(URLSessionWebSocketUnreached, TaskOfAnInvalidatedSessionAnswersEveryHandlerWithCancelled) {
  session->invalidateAndCancel();
  recorder->waitFor("invalid");
  const auto socket = task();
  EXPECT_EQ(socket->state(), URLSessionTask::State::completed);
  socket->resume();
  socket->send(Data("x"), recorder->sent("late"));
  socket->receive(recorder->received());
  socket->sendPing(recorder->pong("late"));
  EXPECT_EQ(recorder->waitFor("pong late -999"),
            (std::vector<std::string>{"invalid", "sent late -999", "received error -999", "pong late -999"}));
}
