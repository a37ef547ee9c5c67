#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/sha.h>

#include <chrono>
#include <string_view>
#include <thread>

#include "Platform/URLLoading/URLSessionWebSocketTask.h"
#include "tests/Integration/WebSocketRecorder.h"
#include "tests/servers/ScriptedHTTPServer.h"

using namespace platform;
using testservers::ScriptedConnection;
using testservers::ScriptedHTTPServer;
using testservers::ScriptedNext;
using testservers::ScriptedRequest;
using CloseCode = URLSessionWebSocketCloseCode;

namespace {

// Accepts the upgrade as the handshake's rules want it.
std::string upgradeAccepted(const ScriptedRequest& request) {
  const auto key = request.field("Sec-WebSocket-Key").value_or("") + "258EAFA5-E914-47DA-95CA-C5AB0DC85B11";
  unsigned char digest[SHA_DIGEST_LENGTH];
  SHA1(reinterpret_cast<const unsigned char*>(key.data()), key.size(), digest);
  unsigned char accept[32] = {};
  EVP_EncodeBlock(accept, digest, SHA_DIGEST_LENGTH);
  return "HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Accept: " +
         std::string(reinterpret_cast<const char*>(accept)) + "\r\n\r\n";
}

// A binary frame header announcing `length` bytes in the 64-bit form.
std::string frameHeaderClaiming(std::uint64_t length) {
  std::string header = {'\x82', '\x7f'};
  for (int shift = 56; shift >= 0; shift -= 8) header += static_cast<char>((length >> shift) & 0xFF);
  return header;
}

// A close frame from the server (unmasked) with `status` and `reason`.
std::string closeFrame(std::uint16_t status, std::string_view reason) {
  std::string frame = {'\x88', static_cast<char>(2 + reason.size()), static_cast<char>(status >> 8),
                       static_cast<char>(status & 0xFF)};
  return frame + std::string(reason);
}

class HostileWebSocketServer : public testing::Test {
 protected:
  void TearDown() override {
    session->invalidateAndCancel();
    recorder->waitFor("invalid");
  }

  // Upgrades, then does what `afterUpgrade` does on the connection.
  void serve(std::function<void(ScriptedConnection&)> afterUpgrade) {
    server = std::make_unique<ScriptedHTTPServer>(
        [afterUpgrade = std::move(afterUpgrade)](ScriptedConnection& connection, const ScriptedRequest& request) {
          if (connection.send(upgradeAccepted(request))) afterUpgrade(connection);
          return ScriptedNext::close;
        });
  }

  std::shared_ptr<URLSessionWebSocketTask> openTask(double timeout, std::int64_t maximumMessageSize = 1 << 20) {
    URLRequest request(URL::string("ws://127.0.0.1:" + std::to_string(server->port()) + "/"));
    request.setTimeoutInterval(timeout);
    auto task = session->webSocketTaskWithRequest(request);
    task->setMaximumMessageSize(maximumMessageSize);
    task->resume();
    recorder->waitFor("open -");
    return task;
  }

  // Ends the session and its tasks, for another case with new ones.
  void startNewSession() {
    session->invalidateAndCancel();
    recorder->waitFor("invalid");
    recorder = std::make_shared<WebSocketRecorder>();
    session = makeRecordedSession(recorder);
  }

  std::unique_ptr<ScriptedHTTPServer> server;
  std::shared_ptr<WebSocketRecorder> recorder = std::make_shared<WebSocketRecorder>();
  std::shared_ptr<URLSession> session = makeRecordedSession(recorder);
};

}  // namespace

TEST_F(HostileWebSocketServer, AFrameLongerThanTheProcessCanHoldEndsTheTaskAsMessageTooBig) {
  for (const std::uint64_t claimed : {std::uint64_t{0x7FFFFFFFFFFFFFFF}, std::uint64_t{0xFFFFFFFFFFFFFFFF}}) {
    serve([claimed](ScriptedConnection& connection) {
      connection.send(frameHeaderClaiming(claimed) + std::string(1024, 'z'));
      // The client's close frame, answered by closing.
      connection.discardSome();
    });
    const auto task = openTask(60, 0);
    task->receive(recorder->received());
    recorder->waitFor("complete -1103");
    EXPECT_EQ(task->closeCode(), CloseCode::messageTooBig) << claimed;
    startNewSession();
  }
}

TEST_F(HostileWebSocketServer, AClosingHandshakeBehindAStalledWriterEndsAfterTheRequestsTimeOut) {
  // The peer never reads: a large message fills every buffer on the way.
  serve([](ScriptedConnection& connection) { connection.waitUntilClosed(); });
  const auto task = openTask(1);
  task->send(Data(std::string(32 * 1024 * 1024, 'w')), recorder->sent("large"));
  task->cancelWithCloseCode(CloseCode::normalClosure, Data("bye"));
  recorder->waitFor("complete 0");
  recorder->waitFor("sent large -999");
}

TEST_F(HostileWebSocketServer, AMessageTooBigEndsWithinTheTimeOutThoughThePeerNeverAnswersTheClose) {
  serve([](ScriptedConnection& connection) {
    connection.send(frameHeaderClaiming(0x7FFFFFFFFFFFFFFF) + std::string(1024, 'z'));
    // Reads the client's close frame and all after it, answering nothing.
    while (connection.discardSome()) {
    }
  });
  const auto task = openTask(1);
  task->receive(recorder->received());
  recorder->waitFor("complete -1103");
  EXPECT_EQ(task->closeCode(), CloseCode::messageTooBig);
}

TEST_F(HostileWebSocketServer, AMessageTooBigEndsWithinTheTimeOutBehindAStalledSend) {
  // A real message of 2 MiB to a client that takes 1 MiB, from a peer that
  // never reads what the client sends.
  serve([](ScriptedConnection& connection) {
    // Once the client's send has filled every buffer on the way.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    connection.send(frameHeaderClaiming(2 << 20) + std::string(2 << 20, 'm'));
    connection.waitUntilClosed();
  });
  const auto task = openTask(1);
  task->send(Data(std::string(32 * 1024 * 1024, 'w')), recorder->sent("large"));
  task->receive(recorder->received());
  recorder->waitFor("complete -1103");
  recorder->waitFor("sent large -1103");
}

TEST_F(HostileWebSocketServer, APeerThatClosesThenHoldsTheConnectionSilentEndsAsItsCloseWithinTheTimeOut) {
  // The peer never ends the connection after its close frame, nor reads
  // what comes after it; in the second case a send to it is stalled too.
  for (const bool sendStalled : {false, true}) {
    serve([sendStalled](ScriptedConnection& connection) {
      // Once the client's send has filled every buffer on the way.
      if (sendStalled) std::this_thread::sleep_for(std::chrono::milliseconds(500));
      connection.send(closeFrame(1001, "away"));
      connection.holdUntilServerStops();
    });
    const auto task = openTask(1);
    if (sendStalled) task->send(Data(std::string(32 * 1024 * 1024, 'w')), recorder->sent("large"));
    task->receive(recorder->received());
    const auto events = recorder->waitFor("complete 0");
    EXPECT_LT(positionOf(events, "received error -1005"), positionOf(events, "close 1001 away")) << sendStalled;
    EXPECT_LT(positionOf(events, "close 1001 away"), positionOf(events, "complete 0")) << sendStalled;
    EXPECT_EQ(task->closeCode(), CloseCode::goingAway) << sendStalled;
    if (sendStalled) recorder->waitFor("sent large -1005");
    startNewSession();
  }
}
