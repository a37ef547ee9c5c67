#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Platform/Foundation/URLError.h"
#include "Platform/URLLoading/URLSession.h"
#include "Platform/URLLoading/URLSessionConfiguration.h"
#include "Wendanet/Source/Core/WebSocketRequest.h"
#include "tests/Wendanet/RequestTestDoubles.h"
#include "tests/Wendanet/TestErrors.h"
#include "tests/Wendanet/WebSocketEventText.h"

using namespace wendanet;
using namespace wendanet::testing;
using Lines = std::vector<std::string>;
using CloseCode = WebSocketRequest::CloseCode;

namespace {

const auto& mainQueue = platform::DispatchQueue::main();

struct Reading {
  int value = 0;
  static constexpr auto codingFields() { return std::tuple{platform::field("value", &Reading::value)}; }
};

// A WebSocket request of a fake session, driven without a connection: the
// hooks are called as the session's delegate calls them.
class WebSocketRequestFixture : public ::testing::Test {
 protected:
  std::shared_ptr<WebSocketRequest> makeSocket(
      WebSocketRequest::Configuration configuration = WebSocketRequest::Configuration::defaultValue()) {
    return WebSocketRequest::make({.underlyingQueue = underlying,
                                   .serializationQueue = testQueue("org.wendanet.test.serialization"),
                                   .eventMonitor = std::make_shared<StateEventLog>(log),
                                   .delegate = delegate,
                                   .shouldAutomaticallyResume = false},
                                  std::make_shared<ConvertibleURLRequest>(makeURLRequest("ws://127.0.0.1:1/")),
                                  std::move(configuration));
  }

  void onQueue(const std::function<void()>& step) {
    underlying->async([step] { step(); });
    settle();
  }

  // Registers a handler that writes each event to `events` after `name`.
  void record(const std::string& name) {
    socket->streamMessageEvents(mainQueue, [this, name](const WebSocketRequest::MessageEvent& event) {
      EXPECT_EQ(event.socket.lock(), socket);
      events->add(name + " " + eventText(event));
    });
  }

  WebSocketRequest::SendCompletion sendOutcome(std::string name) {
    return [this, name](const WebSocketRequest::SendResult& result) {
      EXPECT_TRUE(mainQueue->isCurrent());
      events->add(name + " " + (result ? std::string("sent") : result.error()->description()));
    };
  }

  void receive(const WebSocketRequest::Message& message) { socket->didReceive(message); }

  void TearDown() override { settle(); }

  std::shared_ptr<Log> log = std::make_shared<Log>();
  std::shared_ptr<Log> events = std::make_shared<Log>();
  std::shared_ptr<FakeDelegate> delegate = std::make_shared<FakeDelegate>(log);
  std::shared_ptr<platform::DispatchQueue> underlying = testQueue("org.wendanet.test.underlying");
  std::shared_ptr<WebSocketRequest> socket = makeSocket();
};

}  // namespace

TEST_F(WebSocketRequestFixture, EveryHandlerGetsTheEventsInOrderAndOneCompletedEventLast) {
  record("A");
  socket->streamMessages(mainQueue, [this](const auto& message) { events->add("B " + messageText(message)); });
  onQueue([&] { socket->didConnect("chat"); });
  receive(std::string("hello"));
  receive(platform::Data("\x01\x02\x03", 3));
  // A failed receive ends the loop without an event of its own.
  socket->didReceive(std::unexpected(testError()));
  onQueue([&] { socket->didDisconnect(CloseCode::goingAway, platform::Data("bye")); });
  onQueue([&] { socket->finish(); });
  EXPECT_EQ(events->take(), (Lines{"A connected chat", "A message text hello", "B text hello", "A message data 3",
                                   "B data 3", "A disconnected 1001 bye", "A completed none"}));
  // A second finish, and a finish after a late registration, complete
  // nobody twice; the late handler hears only of the end.
  onQueue([&] { socket->finish(); });
  record("C");
  settle();
  EXPECT_EQ(events->take(), Lines{"C completed none"});
  EXPECT_TRUE(socket->isFinished());
  // Nothing cancelled it: a send now is told the socket is closed.
  socket->send(std::string("late"), mainQueue, sendOutcome("late"));
  settle();
  EXPECT_EQ(events->take(), Lines{"late URLSessionTask failed with error: The WebSocket connection is closed."});
}

TEST_F(WebSocketRequestFixture, MessagesBeforeARegistrationReachNobody) {
  receive(std::string("early"));
  record("A");
  receive(std::string("late"));
  onQueue([&] { socket->didDisconnect(CloseCode::invalid, std::nullopt); });
  EXPECT_EQ(events->take(), (Lines{"A message text late", "A disconnected 0 -"}));
}

TEST_F(WebSocketRequestFixture, CancellingCompletesWithTheCancellationAndFailsTheSendsThatWaited) {
  record("A");
  socket->send(std::string("one"), mainQueue, sendOutcome("one"));
  socket->send(std::string("two"), mainQueue, sendOutcome("two"));
  EXPECT_EQ(&socket->cancel(), socket.get());
  settle();
  socket->send(std::string("three"), mainQueue, sendOutcome("three"));
  settle();
  EXPECT_EQ(events->take(), (Lines{"one Request explicitly cancelled.", "two Request explicitly cancelled.",
                                   "A completed explicitlyCancelled", "three Request explicitly cancelled."}));
  EXPECT_EQ(log->take(), (Lines{"didCancel", "didFinish", "delegate cleanup"}));
  EXPECT_EQ(&socket->cancelWithCloseCode(CloseCode::normalClosure, std::nullopt), socket.get());
  settle();
  EXPECT_EQ(log->take(), Lines{});
}

TEST_F(WebSocketRequestFixture, ClosingWithACodeForgetsOnlyTheTasksOwnCancellation) {
  const auto closedAfter = [&](platform::URLError::Code code) {
    socket = makeSocket();
    record("A");
    const auto task = std::make_shared<FakeTask>(log, makeURLRequest("ws://127.0.0.1:1/"));
    const auto failure = WNError::sessionTaskFailed(platform::makeError(platform::URLError(code)));
    onQueue([&] { socket->didFailTaskEarly(task, failure); });
    socket->cancelWithCloseCode(CloseCode::normalClosure, platform::Data("done"));
    settle();
    EXPECT_TRUE(socket->isCancelled());
    EXPECT_EQ(log->take(), (Lines{"didCancel", "didFinish", "delegate cleanup"}));
    return events->take();
  };
  EXPECT_EQ(closedAfter(platform::URLError::Code::cancelled), Lines{"A completed none"});
  EXPECT_EQ(closedAfter(platform::URLError::Code::networkConnectionLost),
            Lines{"A completed URLSessionTask failed with error: The network connection was lost."});
}

TEST_F(WebSocketRequestFixture, APingIsUnsentUnlessTheRequestIsResumedWithATask) {
  const auto pinged = [&] {
    std::string answer = "none";
    socket->sendPing(mainQueue, [&](const WebSocketRequest::PingResponse& response) {
      EXPECT_TRUE(mainQueue->isCurrent());
      answer = std::holds_alternative<WebSocketRequest::Unsent>(response) ? "unsent" : "other";
    });
    settle();
    return answer;
  };
  EXPECT_EQ(pinged(), "unsent");
  socket->resume();
  EXPECT_EQ(pinged(), "unsent");
  socket->suspend();
  EXPECT_EQ(pinged(), "unsent");
  socket->cancel();
  EXPECT_EQ(pinged(), "unsent");
}

TEST_F(WebSocketRequestFixture, TheTaskOffersTheConfiguredProtocolInPlaceOfTheCallersAndLimitsMessages) {
  const auto session = platform::URLSession::make(platform::URLSessionConfiguration::ephemeralConfiguration());
  auto urlRequest = makeURLRequest("ws://127.0.0.1:1/");
  urlRequest.setValueForHTTPHeaderField("superchat", "sec-websocket-protocol");
  urlRequest.setValueForHTTPHeaderField("1", "X-Kept");
  const auto taskFor = [&](WebSocketRequest::Configuration configuration) {
    return std::static_pointer_cast<platform::URLSessionWebSocketTask>(
        makeSocket(std::move(configuration))->createTask(urlRequest, session));
  };

  const auto plain = taskFor(WebSocketRequest::Configuration::defaultValue());
  EXPECT_EQ(plain->originalRequest()->valueForHTTPHeaderField("Sec-WebSocket-Protocol"), "superchat");
  EXPECT_EQ(plain->maximumMessageSize(), 1 << 20);

  const auto chat = taskFor(WebSocketRequest::Configuration::withProtocol("chat"));
  const auto fields = *chat->originalRequest()->allHTTPHeaderFields();
  EXPECT_EQ(fields.size(), 2u);
  EXPECT_EQ(chat->originalRequest()->valueForHTTPHeaderField("Sec-WebSocket-Protocol"), "chat");
  EXPECT_EQ(chat->originalRequest()->valueForHTTPHeaderField("X-Kept"), "1");

  EXPECT_EQ(taskFor(WebSocketRequest::Configuration::withMaximumMessageSize(10))->maximumMessageSize(), 10);
  session->invalidateAndCancel();
}

TEST_F(WebSocketRequestFixture, ATaskOfAnotherKindStopsTheProcess) {
  const auto task = std::make_shared<FakeTask>(log, makeURLRequest("ws://127.0.0.1:1/"));
  EXPECT_DEATH(onQueue([&] { socket->didCreateTask(task); }),
               "Invalid task of type FakeTask <1> GET ws://127.0.0.1:1/ created for WebSocketRequest.");
}

// Decoding.

TEST_F(WebSocketRequestFixture, DecodingFailuresBecomeEventsAndTheStreamGoesOn) {
  using Failed = WebSocketRequest::SerializerFailed<platform::AnyError>;
  const auto valueText = [](const Reading& reading) { return std::to_string(reading.value); };
  socket->streamDecodableEvents<Reading>(
      mainQueue, makeDefaultDataDecoder(), [&](const WebSocketRequest::DecodedEvent<Reading>& event) {
        if (const auto* failed = std::get_if<Failed>(&event.kind)) {
          const auto* error = dynamic_cast<const WebSocketMessageDecodingError*>(failed->error.get());
          ASSERT_NE(error, nullptr);
          EXPECT_NE(error->decodingError(), nullptr);
        }
        events->add("events " + eventText(event, valueText));
      });
  socket->streamDecodable<Reading>(mainQueue, [&](const Reading& reading) { events->add("values " + valueText(reading)); });
  // Text and data with the same bytes decode alike.
  receive(std::string(R"({"value": 1})"));
  receive(std::string("not json"));
  receive(platform::Data(R"({"value": 2})"));
  settle();
  const auto lines = events->take();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], "events message 1");
  EXPECT_EQ(lines[1], "values 1");
  EXPECT_TRUE(lines[2].starts_with("events failed WebSocket message could not be decoded: ")) << lines[2];
  EXPECT_EQ(lines[3], "events message 2");
  EXPECT_EQ(lines[4], "values 2");
}
