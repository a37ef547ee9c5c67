#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <string>
#include <vector>

#include "tests/Integration/RecordingSessionDelegate.h"
#include "tests/servers/ScriptedHTTPServer.h"

using namespace platform;
using testservers::ScriptedConnection;
using testservers::ScriptedHTTPServer;
using testservers::ScriptedNext;
using testservers::ScriptedRequest;

namespace {

// How a session spreads its requests over connections: a kept-alive
// connection is reused rather than reopened, no host gets more than the
// configured number, and requests waiting for one go out in the order
// they were started.
class URLSessionConnectionUse : public testing::Test {
 protected:
  void SetUp() override { openSession(URLSessionConfiguration::defaultHTTPMaximumConnectionsPerHost); }

  void TearDown() override {
    session->invalidateAndCancel();
    EXPECT_TRUE(delegate->waitForInvalidation());
  }

  void openSession(int connectionsPerHost) {
    auto configuration = URLSessionConfiguration::ephemeralConfiguration();
    configuration->setHTTPMaximumConnectionsPerHost(connectionsPerHost);
    session = makeRecordingSession(delegate, configuration);
  }

  std::shared_ptr<URLSessionDataTask> task(int number) const {
    return session->dataTaskWithRequest(URLRequest(URL::string(server.baseURL() + "/" + std::to_string(number))));
  }

  // Each completes with the server's "ok".
  void expectAnswered(const std::vector<std::shared_ptr<URLSessionDataTask>>& tasks) const {
    for (const auto& started : tasks) {
      const auto record = delegate->waitForCompletion(started);
      ASSERT_EQ(record.errorCode(), 0);
      ASSERT_EQ(record.data.size(), 2u);
    }
  }

  std::vector<std::string> pathsInArrivalOrder() const {
    std::lock_guard lock(mutex);
    return paths;
  }

  // Answers wait (a while at most) until this many connections are open,
  // so how many the client opens does not hang on how fast it starts its
  // requests.
  void holdAnswersUntilConnections(std::size_t count) { heldUntilConnections = count; }

  // "METHOD /path body" of every request, in arrival order.
  std::vector<std::string> requestLines() const {
    std::lock_guard lock(mutex);
    return lines;
  }

  mutable std::mutex mutex;
  std::vector<std::string> paths;
  std::vector<std::string> lines;
  std::atomic<std::size_t> heldUntilConnections = 0;
  ScriptedHTTPServer server{[this](ScriptedConnection& connection, const ScriptedRequest& request) {
    {
      std::lock_guard lock(mutex);
      paths.push_back(request.path);
      lines.push_back(request.method + " " + request.path + " " + request.body);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (server.connectionCount() < heldUntilConnections && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return connection.send(testservers::httpResponse("200 OK", "ok")) ? ScriptedNext::keepOpen : ScriptedNext::close;
  }};
  std::shared_ptr<RecordingSessionDelegate> delegate = std::make_shared<RecordingSessionDelegate>();
  std::shared_ptr<URLSession> session;
};

constexpr int requestCount = 1000;

}  // namespace

TEST_F(URLSessionConnectionUse, SequentialRequestsShareOneConnection) {
  for (int number = 0; number < requestCount; ++number) {
    const auto started = task(number);
    started->resume();
    ASSERT_EQ(delegate->waitForCompletion(started).errorCode(), 0) << number;
  }
  EXPECT_EQ(server.connectionCount(), 1u);
}

// Two bursts with a pause between them: the second finds the first's
// connections still open.
TEST_F(URLSessionConnectionUse, ConcurrentRequestsOpenExactlyTheCapAndKeepThem) {
  constexpr auto cap = static_cast<std::size_t>(URLSessionConfiguration::defaultHTTPMaximumConnectionsPerHost);
  holdAnswersUntilConnections(cap);
  for (int burst = 0; burst < 2; ++burst) {
    std::vector<std::shared_ptr<URLSessionDataTask>> tasks;
    for (int number = 0; number < requestCount / 2; ++number) tasks.push_back(task(number));
    for (const auto& started : tasks) started->resume();
    expectAnswered(tasks);
  }
  EXPECT_EQ(server.connectionCount(), cap);
  EXPECT_EQ(server.requestCount(), static_cast<std::size_t>(requestCount));
}

// One connection makes the order of arrival the order of sending.
class URLSessionOneConnection : public URLSessionConnectionUse {
 protected:
  void SetUp() override { openSession(1); }
};

TEST_F(URLSessionOneConnection, WaitingRequestsGoOutInTheOrderTheyWereStarted) {
  std::vector<std::shared_ptr<URLSessionDataTask>> tasks;
  std::vector<std::string> expected;
  for (int number = 0; number < 200; ++number) {
    tasks.push_back(task(number));
    expected.push_back("/" + std::to_string(number));
  }
  for (const auto& started : tasks) started->resume();
  expectAnswered(tasks);
  EXPECT_EQ(pathsInArrivalOrder(), expected);
  EXPECT_EQ(server.connectionCount(), 1u);
}

// One connection means one transfer handle serving every request in turn:
// what one request set on it must not reach the next.
TEST_F(URLSessionOneConnection, ARequestTakesNothingFromTheOneBeforeIt) {
  const auto send = [&](const std::string& method, const std::string& path, const std::string& body) {
    URLRequest request(URL::string(server.baseURL() + path));
    request.setHTTPMethod(method);
    if (!body.empty()) request.setHTTPBody(Data(body));
    const auto started = session->dataTaskWithRequest(request);
    started->resume();
    return delegate->waitForCompletion(started);
  };
  const std::vector<std::pair<std::string, std::string>> earlier{
      {"POST", "sent"}, {"PUT", "replaced"}, {"PATCH", ""}, {"DELETE", ""}, {"HEAD", ""}, {"POST", ""}};
  std::vector<std::string> expected;
  for (const auto& [method, body] : earlier) {
    ASSERT_EQ(send(method, "/earlier", body).errorCode(), 0) << method;
    const auto plain = send("GET", "/plain", "");
    ASSERT_EQ(plain.errorCode(), 0) << "after " << method;
    // A body the server sent reached the delegate: no "head only" was left behind.
    EXPECT_EQ(plain.data.size(), 2u) << "after " << method;
    expected.push_back(method + " /earlier " + body);
    expected.push_back("GET /plain ");
  }
  EXPECT_EQ(requestLines(), expected);
  EXPECT_EQ(server.connectionCount(), 1u);
}

// A server that closes every kept connection when the next request comes,
// as servers closing idle connections do: the library sends the request
// again on a new connection, and how often it did so on an earlier request
// must not count against a later one on the same handle.
TEST_F(URLSessionOneConnection, RequestsOnKeptConnectionsTheServerDropsAllSucceed) {
  ScriptedHTTPServer dropping{[](ScriptedConnection& connection, const ScriptedRequest&) {
    return connection.send(testservers::httpResponse("200 OK", "ok")) ? ScriptedNext::closeAfterNextRequest
                                                                       : ScriptedNext::close;
  }};
  constexpr int count = 50;
  for (int number = 0; number < count; ++number) {
    const auto started = session->dataTaskWithURL(*URL::string(dropping.baseURL() + "/" + std::to_string(number)));
    started->resume();
    const auto record = delegate->waitForCompletion(started);
    ASSERT_EQ(record.errorCode(), 0) << number;
    EXPECT_EQ(record.data.view(), "ok") << number;
  }
  EXPECT_EQ(dropping.connectionCount(), static_cast<std::size_t>(count));
}

// Four downloads over one connection take turns: each one's dates show it
// waiting for the one before, then its own request and its whole body.
TEST_F(URLSessionOneConnection, DatesOfARequestThatWaitedForTheConnectionAreWhereThingsHappened) {
  constexpr std::size_t half = 128 * 1024;
  ScriptedHTTPServer paced{[](ScriptedConnection& connection, const ScriptedRequest&) {
    const std::string body(2 * half, 'b');
    const auto response = testservers::httpResponse("200 OK", body);
    const auto split = response.size() - half;
    if (!connection.send(std::string_view(response).substr(0, split))) return ScriptedNext::close;
    // The body arrives in two parts, so receiving it takes a while.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return connection.send(std::string_view(response).substr(split)) ? ScriptedNext::keepOpen : ScriptedNext::close;
  }};
  std::vector<std::shared_ptr<URLSessionDataTask>> tasks;
  for (int number = 0; number < 4; ++number) {
    tasks.push_back(session->dataTaskWithURL(*URL::string(paced.baseURL() + "/" + std::to_string(number))));
  }
  for (const auto& started : tasks) started->resume();
  std::vector<URLSessionTaskTransactionMetrics> transactions;
  for (const auto& started : tasks) {
    const auto record = delegate->waitForCompletion(started);
    ASSERT_EQ(record.errorCode(), 0);
    ASSERT_EQ(record.data.size(), 2 * half);
    ASSERT_EQ(record.metrics->transactionMetrics.size(), 1u);
    transactions.push_back(record.metrics->transactionMetrics.front());
  }
  ASSERT_EQ(paced.connectionCount(), 1u);
  for (std::size_t index = 0; index < transactions.size(); ++index) {
    const auto& transaction = transactions[index];
    SCOPED_TRACE(index);
    ASSERT_TRUE(transaction.fetchStartDate && transaction.requestStartDate && transaction.requestEndDate &&
                transaction.responseStartDate && transaction.responseEndDate);
    EXPECT_LE(*transaction.fetchStartDate, *transaction.requestStartDate);
    EXPECT_LE(*transaction.requestEndDate, *transaction.responseStartDate);
    EXPECT_LT(*transaction.responseStartDate, *transaction.responseEndDate);
    if (index == 0) {
      ASSERT_TRUE(transaction.connectStartDate);
      EXPECT_LE(*transaction.fetchStartDate, *transaction.connectStartDate);
      continue;
    }
    // Asked for at once with the first, sent only once the one before it
    // had been received.
    EXPECT_FALSE(transaction.connectStartDate);
    EXPECT_LT(*transaction.fetchStartDate, *transactions[index - 1].responseEndDate);
    EXPECT_LE(*transactions[index - 1].responseEndDate, *transaction.requestStartDate);
  }
}
