#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <variant>
#include <vector>

#include "Platform/Coding/CodingFields.h"
#include "Wendanet/Source/Async/WebSocketTask.h"
#include "Wendanet/Source/Core/Session.h"
#include "tests/Wendanet/Async/AsyncTestSupport.h"
#include "tests/Wendanet/WebSocketEventText.h"
#include "tests/servers/WebSocketEchoServer.h"

using namespace wendanet;
using wendanet::testing::collect;
using wendanet::testing::eventually;
using Message = WebSocketTask::Message;

namespace {

struct Number {
  int value = 0;
  static constexpr auto codingFields() { return std::tuple{platform::field("value", &Number::value)}; }
};

class WebSocketTasks : public ::testing::Test {
 protected:
  WebSocketTask connect() {
    return makeWebSocketTask(
        session->webSocketRequestWithDefaultEncoder(std::make_shared<ConvertibleString>(server.baseURL())));
  }

  testservers::WebSocketEchoServer server;
  const std::shared_ptr<Session> session = Session::makeWithConfiguration();
};

// Sends each message, awaiting each send, then reads as many from `stream`.
template <class Element>
platform::Task<std::vector<Element>> sendAndRead(WebSocketTask task, StreamOf<Element> stream,
                                                 std::vector<Message> outgoing) {
  auto iterator = stream.makeAsyncIterator();
  for (const auto& message : outgoing) co_await task.send(message);
  std::vector<Element> received;
  while (received.size() < outgoing.size()) {
    auto element = co_await iterator.next();
    if (!element) break;
    received.push_back(std::move(*element));
  }
  co_return received;
}

// Whether awaiting the send threw the request's error.
platform::Task<bool> sendFails(WebSocketTask task) {
  try {
    co_await task.send(std::string("late"));
  } catch (const platform::AnyError& error) {
    co_return error != nullptr;
  }
  co_return false;
}

}  // namespace

TEST_F(WebSocketTasks, TextAndBinaryMessagesComeBackInOrder) {
  const auto task = connect();
  const std::vector<Message> outgoing = {std::string("hello"), platform::Data(std::string_view("\x01\x02\x03"))};
  EXPECT_EQ(sendAndRead(task, task.messageStream(), outgoing).wait(), outgoing);
  // Leaving the loop with automatic cancelling ended the connection.
  EXPECT_TRUE(eventually([&] { return task.request()->isCancelled(); }));
}

TEST_F(WebSocketTasks, ADisconnectionIsAnEventAndOnlyTheCompletionEndsTheStream) {
  const auto task = connect();
  auto events = task.messageEventStream().makeAsyncIterator();
  task.request()->send(std::string("close 1000 bye"), platform::DispatchQueue::global(), [](const auto&) {});
  const auto received = collect<WebSocketTask::MessageEvent>(std::move(events)).wait();
  std::vector<std::string> texts;
  for (const auto& event : received) texts.push_back(wendanet::testing::eventText(event));
  EXPECT_EQ(texts, (std::vector<std::string>{"connected -", "disconnected 1000 bye", "completed none"}));
}

TEST_F(WebSocketTasks, AMessageThatDoesNotDecodeIsReported) {
  const auto task = connect();
  const auto received =
      sendAndRead(task, task.decodableStream<Number>(), {std::string(R"({"value": 3})"), std::string("oops")}).wait();
  ASSERT_EQ(received.size(), 2U);
  ASSERT_TRUE(received[0].has_value());
  EXPECT_EQ(received[0]->value, 3);
  EXPECT_FALSE(received[1].has_value());
}

TEST_F(WebSocketTasks, SendingOnAnEndedConnectionFailsInsteadOfWaiting) {
  const auto cancelled = connect();
  cancelled.cancel();
  EXPECT_TRUE(sendFails(cancelled).wait());

  const auto closed = connect();
  EXPECT_EQ(sendAndRead(closed, closed.messageStream(false), {std::string("up")}).wait().size(), 1U);
  closed.close(WebSocketRequest::CloseCode::normalClosure);
  ASSERT_TRUE(eventually([&] { return closed.request()->isFinished() || closed.request()->isCancelled(); }));
  EXPECT_TRUE(sendFails(closed).wait());
}
