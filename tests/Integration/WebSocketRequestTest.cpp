#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Platform/Dispatch/OperationQueue.h"
#include "Platform/URLLoading/URLSession.h"
#include "Platform/URLLoading/URLSessionConfiguration.h"
#include "Platform/URLLoading/URLSessionDelegate.h"
#include "Wendanet/Source/Core/WebSocketRequest.h"
#include "tests/Wendanet/WebSocketEventText.h"
#include "tests/servers/WebSocketEchoServer.h"

using namespace wendanet;
using wendanet::testing::eventText;
using testservers::WebSocketEchoServer;
using CloseFrame = WebSocketEchoServer::CloseFrame;
using CloseCode = WebSocketRequest::CloseCode;
using Lines = std::vector<std::string>;

namespace {

// Lines noted from any thread, waited for by the test.
class Notes {
 public:
  void add(std::string line) {
    std::lock_guard lock(mutex_);
    lines_.push_back(std::move(line));
    changed_.notify_all();
  }
  // The lines once one starts with `prefix`; fails the test after 20 s.
  Lines waitFor(const std::string& prefix) {
    std::unique_lock lock(mutex_);
    const bool seen = changed_.wait_for(lock, std::chrono::seconds(20), [&] {
      return std::ranges::any_of(lines_, [&](const std::string& line) { return line.starts_with(prefix); });
    });
    EXPECT_TRUE(seen) << "no \"" << prefix << "\" in time";
    return lines_;
  }
  Lines lines() {
    std::lock_guard lock(mutex_);
    return lines_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  Lines lines_;
};

// Plays the session for one WebSocket request: performs it on its first
// resume, and hands the URL session's callbacks to it on its queue, which
// the URL session's delegate queue runs on.
class SocketSession final : public RequestDelegate, public platform::URLSessionDelegate {
 public:
  SocketSession() : queue_(platform::DispatchQueue::make("test.websocket.root")) {}

  const std::shared_ptr<platform::DispatchQueue>& queue() const { return queue_; }
  std::weak_ptr<WebSocketRequest> request;
  std::shared_ptr<platform::URLSession> session;

  std::shared_ptr<platform::URLSessionConfiguration> sessionConfiguration() const override { return nullptr; }
  bool startImmediately() const override { return true; }
  void startRequestIfNeeded(const std::shared_ptr<Request>& started) override {
    queue_->async([this, socket = std::static_pointer_cast<WebSocketRequest>(started)] {
      const auto urlRequest = socket->convertible()->asURLRequest();
      socket->didCreateInitialURLRequest(urlRequest);
      socket->didCreateURLRequest(urlRequest);
      const auto task = socket->createTask(urlRequest, session);
      socket->didCreateTask(task);
      if (socket->isResumed()) task->resume();
    });
  }
  void cleanup(const std::shared_ptr<Request>&) override {}
  void retryResult(const std::shared_ptr<Request>&, const WNError&,
                   std::move_only_function<void(RetryResult)> completion) override {
    queue_->async([completion = std::move(completion)]() mutable { completion(RetryResult::doNotRetry()); });
  }
  void retryRequest(const std::shared_ptr<Request>&, std::optional<double>) override {}

  void didOpenWithProtocol(SessionRef, const std::shared_ptr<platform::URLSessionWebSocketTask>&,
                           const std::optional<std::string>& protocol) override {
    if (const auto socket = request.lock()) socket->didConnect(protocol);
  }
  void didCloseWithCode(SessionRef, const std::shared_ptr<platform::URLSessionWebSocketTask>&, CloseCode closeCode,
                        const std::optional<platform::Data>& reason) override {
    if (const auto socket = request.lock()) socket->didDisconnect(closeCode, reason);
  }
  void didFinishCollectingMetrics(SessionRef, const std::shared_ptr<platform::URLSessionTask>&,
                                  const std::shared_ptr<const platform::URLSessionTaskMetrics>& metrics) override {
    if (const auto socket = request.lock()) socket->didGatherMetrics(metrics);
  }
  void didCompleteWithError(SessionRef, const std::shared_ptr<platform::URLSessionTask>& task,
                            const platform::AnyError& error) override {
    const auto socket = request.lock();
    if (!socket) return;
    socket->didCompleteTask(task, error ? std::optional(WNError::sessionTaskFailed(error)) : std::nullopt);
  }

 private:
  std::shared_ptr<platform::DispatchQueue> queue_;
};

class WebSocketRequestOverTheNetwork : public ::testing::Test {
 protected:
  void SetUp() override {
    sessionOwner->session = platform::URLSession::make(platform::URLSessionConfiguration::ephemeralConfiguration(),
                                                       sessionOwner,
                                                       platform::OperationQueue::make("test.websocket.delegate",
                                                                                      sessionOwner->queue()));
  }
  void TearDown() override { sessionOwner->session->invalidateAndCancel(); }

  std::shared_ptr<WebSocketRequest> makeSocket(WebSocketRequest::Configuration configuration,
                                               const std::string& path = "/") {
    platform::URLRequest urlRequest(platform::URL::string(server.baseURL() + path));
    auto socket = WebSocketRequest::make({.underlyingQueue = sessionOwner->queue(),
                                          .serializationQueue = platform::DispatchQueue::make(
                                              "test.websocket.serialization", platform::DispatchQueue::Attributes::serial,
                                              sessionOwner->queue()),
                                          .delegate = sessionOwner},
                                         std::make_shared<ConvertibleURLRequest>(urlRequest), std::move(configuration));
    sessionOwner->request = socket;
    return socket;
  }

  void record(WebSocketRequest& socket) {
    socket.streamMessageEvents(handlerQueue,
                               [this](const WebSocketRequest::MessageEvent& event) { notes.add(eventText(event)); });
  }

  WebSocketRequest::SendCompletion sent(std::string name) {
    return [this, name](const WebSocketRequest::SendResult& result) {
      notes.add("sent " + name + (result ? "" : " failed"));
    };
  }

  WebSocketEchoServer server;
  std::shared_ptr<SocketSession> sessionOwner = std::make_shared<SocketSession>();
  std::shared_ptr<platform::DispatchQueue> handlerQueue = platform::DispatchQueue::make("test.websocket.handler");
  Notes notes;
};

std::vector<std::string> without(const Lines& lines, const std::string& prefix) {
  Lines kept;
  for (const auto& line : lines) {
    if (!line.starts_with(prefix)) kept.push_back(line);
  }
  return kept;
}

}  // namespace

TEST_F(WebSocketRequestOverTheNetwork, QueuedSendsGoFirstInOrderAndTheCloseCodeReachesTheServer) {
  const auto socket = makeSocket(WebSocketRequest::Configuration::withProtocol("chat"));
  socket->send(std::string("one"), handlerQueue, sent("one"));
  socket->send(std::string("two"), handlerQueue, sent("two"));
  // Registering starts the request.
  record(*socket);
  socket->send(std::string("three"), handlerQueue, sent("three"));
  notes.waitFor("message text three");

  socket->cancelWithCloseCode(CloseCode::normalClosure, platform::Data("bye"));
  EXPECT_EQ(server.nextCloseFrame(), (CloseFrame{1000, "bye"}));
  const auto lines = notes.waitFor("completed");
  EXPECT_EQ(without(lines, "sent"), (Lines{"connected chat", "message text one", "message text two",
                                           "message text three", "disconnected 1000 bye", "completed none"}));
  auto sends = without(without(lines, "message"), "connected");
  std::ranges::sort(sends);
  EXPECT_EQ(sends, (Lines{"completed none", "disconnected 1000 bye", "sent one", "sent three", "sent two"}));
  EXPECT_TRUE(socket->isCancelled());
  EXPECT_EQ(socket->error(), std::nullopt);
}

TEST_F(WebSocketRequestOverTheNetwork, AServerCloseEndsTheStreamWithOneCompletedEvent) {
  const auto socket = makeSocket(WebSocketRequest::Configuration::defaultValue());
  record(*socket);
  socket->send(std::string("close 1001 away"), handlerQueue, sent("close"));
  notes.waitFor("completed");
  // Nothing follows the completed event.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const auto lines = without(notes.lines(), "sent");
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines.front(), "connected -");
  EXPECT_EQ(lines[lines.size() - 2], "disconnected 1001 away");
  EXPECT_TRUE(lines.back().starts_with("completed"));
  EXPECT_TRUE(socket->isFinished());
}

// Automatic pings every 20 ms neither disturb the connection nor keep the
// ended request alive; a ping of the caller's own is answered with its
// timing.
TEST_F(WebSocketRequestOverTheNetwork, PingsAreAnsweredAndTheAutomaticOnesLetTheEndedRequestGo) {
  auto socket = makeSocket(WebSocketRequest::Configuration::withPingInterval(0.02));
  record(*socket);
  notes.waitFor("connected");
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  socket->sendPing(handlerQueue, [this](const WebSocketRequest::PingResponse& response) {
    const auto* pong = std::get_if<WebSocketRequest::Pong>(&response);
    notes.add(pong && pong->latency >= 0 && pong->end >= pong->start ? "pong" : "no pong");
  });
  EXPECT_EQ(notes.waitFor("pong").back(), "pong");
  socket->send(std::string("still open"), handlerQueue, sent("still open"));
  notes.waitFor("message text still open");
  socket->cancel();
  EXPECT_EQ(notes.waitFor("completed").back(), "completed explicitlyCancelled");

  const std::weak_ptr<WebSocketRequest> released = socket;
  socket.reset();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!released.expired() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(released.expired());
}
