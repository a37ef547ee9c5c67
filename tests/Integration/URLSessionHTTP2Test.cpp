#include <fmt/format.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "Platform/Streams/InputStream.h"
#include "tests/Integration/TrustingSessionDelegate.h"
#include "tests/servers/HTTP2Server.h"
#include "tests/servers/ScriptedHTTP2Server.h"

using namespace platform;

// A burst on a fresh session: the requests wait for the first connection to
// tell its protocol, then share it instead of opening one each.
TEST(URLSessionHTTP2, ABurstOnAFreshSessionSharesOneConnection) {
  testservers::HTTP2Server server;
  const auto delegate = std::make_shared<TrustingSessionDelegate>();
  const auto session = makeRecordingSession(delegate);
  std::vector<std::shared_ptr<URLSessionDataTask>> tasks;
  for (int number = 0; number < 50; ++number) {
    tasks.push_back(session->dataTaskWithURL(*URL::string(server.baseURL() + "/small")));
  }
  for (const auto& task : tasks) task->resume();
  int newConnections = 0;
  for (const auto& task : tasks) {
    const auto record = delegate->waitForCompletion(task);
    ASSERT_EQ(record.errorCode(), 0);
    EXPECT_EQ(record.data.view(), "ok");
    ASSERT_EQ(record.metrics->transactionMetrics.size(), 1u);
    const auto& transaction = record.metrics->transactionMetrics.front();
    EXPECT_EQ(transaction.networkProtocolName, "h2");
    if (!transaction.isReusedConnection) ++newConnections;
  }
  EXPECT_EQ(newConnections, 1);
  session->invalidateAndCancel();
  EXPECT_TRUE(delegate->waitForInvalidation());
}

namespace {

using testservers::ScriptedHTTP2Server;

class URLSessionHTTP2Scripted : public testing::Test {
 protected:
  void TearDown() override {
    session->invalidateAndCancel();
    EXPECT_TRUE(delegate->waitForInvalidation());
  }

  TaskRecord fetch(const ScriptedHTTP2Server& server) {
    return run(session->dataTaskWithURL(*URL::string(server.baseURL() + "/")));
  }

  TaskRecord run(const std::shared_ptr<URLSessionTask>& task) {
    task->resume();
    return delegate->waitForCompletion(task);
  }

  // A POST of a body from data, or from a stream the delegate gives anew
  // each time it is asked.
  TaskRecord post(const ScriptedHTTP2Server& server, bool streamed) {
    URLRequest request(*URL::string(server.baseURL() + "/"));
    request.setHTTPMethod("POST");
    delegate->answerBodyStreamsWith([] { return InputStream::fromData(Data("posted")); });
    return run(streamed ? session->uploadTaskWithStreamedRequest(request)
                        : session->uploadTaskWithRequestFromData(request, Data("posted")));
  }

  static constexpr int burstSize = 30;

  // Bursts of requests at once, each on a fresh session with 6 connections
  // per host, so that its requests wait for the first connection and then
  // share it.
  static void expectEveryRequestAnswered(const ScriptedHTTP2Server& server, int runs) {
    auto configuration = URLSessionConfiguration::ephemeralConfiguration();
    configuration->setHTTPMaximumConnectionsPerHost(6);
    for (int run = 0; run < runs; ++run) {
      const auto burstDelegate = std::make_shared<TrustingSessionDelegate>();
      const auto burstSession = makeRecordingSession(burstDelegate, configuration);
      std::vector<std::shared_ptr<URLSessionDataTask>> tasks;
      for (int number = 0; number < burstSize; ++number) {
        tasks.push_back(burstSession->dataTaskWithURL(*URL::string(server.baseURL() + "/")));
      }
      for (const auto& task : tasks) task->resume();
      int succeeded = 0;
      for (const auto& task : tasks) {
        const auto record = burstDelegate->waitForCompletion(task);
        if (record.errorCode() == 0 && record.data.view() == "ok") ++succeeded;
      }
      EXPECT_EQ(succeeded, burstSize) << "run " << run;
      burstSession->invalidateAndCancel();
      EXPECT_TRUE(burstDelegate->waitForInvalidation());
    }
  }

  // Three tasks share a connection, the second suspended as soon as it is
  // resumed: queued behind the first for the connection or, with
  // `onSharedConnection`, starting at once on one that three earlier tasks
  // shared. Their answers, each after `interims`, go out together once the
  // third task's request is in, so after the suspension, and the held one's
  // before the first's: it comes while the task is suspended and tells the
  // delegate nothing; resumed, the task delivers it head first and whole.
  static void expectAnswerHeldWhileSuspended(const std::vector<std::string>& interims, int connectionsPerHost,
                                             bool onSharedConnection) {
    ScriptedHTTP2Server server({.bodySize = 100'000, .interimStatuses = interims, .answersTogether = 3});
    auto configuration = URLSessionConfiguration::ephemeralConfiguration();
    configuration->setHTTPMaximumConnectionsPerHost(connectionsPerHost);
    const auto heldDelegate = std::make_shared<TrustingSessionDelegate>();
    const auto heldSession = makeRecordingSession(heldDelegate, configuration);
    const auto makeTask = [&] { return heldSession->dataTaskWithURL(*URL::string(server.baseURL() + "/")); };
    if (onSharedConnection) {
      const auto earlier = {makeTask(), makeTask(), makeTask()};
      for (const auto& task : earlier) task->resume();
      for (const auto& task : earlier) ASSERT_EQ(heldDelegate->waitForCompletion(task).errorCode(), 0);
    }
    const auto first = makeTask();
    const auto held = makeTask();
    const auto third = makeTask();
    first->resume();
    held->resume();
    held->suspend();
    third->resume();
    ASSERT_EQ(heldDelegate->waitForCompletion(first).errorCode(), 0);
    EXPECT_EQ(held->response(), nullptr);
    EXPECT_EQ(held->state(), URLSessionTask::State::suspended);
    held->resume();
    const auto record = heldDelegate->waitForCompletion(held);
    EXPECT_EQ(record.errorCode(), 0);
    ASSERT_FALSE(record.events.empty());
    EXPECT_EQ(record.events.front(), "response");
    EXPECT_EQ(record.count("response"), 1);
    EXPECT_TRUE(record.data.view() == server.body()) << record.data.size() << " bytes";
    heldSession->invalidateAndCancel();
    EXPECT_TRUE(heldDelegate->waitForInvalidation());
  }

  std::shared_ptr<TrustingSessionDelegate> delegate = std::make_shared<TrustingSessionDelegate>();
  std::shared_ptr<URLSession> session = makeRecordingSession(delegate);
};

}  // namespace

// A large head whose last frame shares a TLS record with the body, whose
// frame ends the stream, and no length to tell the body is complete: the
// task ends as that record arrives, not by its time-out, at every size up
// to the largest the HTTP/2 decoder takes; one byte more fails at once.
TEST_F(URLSessionHTTP2Scripted, ALargeHeadSentTogetherWithItsBodyEndsTheTaskAsItArrives) {
  // A value that encodes to 64 KiB.
  constexpr std::size_t largest = 74'898;
  for (const std::size_t size : {20'000uz, 40'000uz, 60'000uz, largest}) {
    ScriptedHTTP2Server server({.coalesced = true, .withoutLength = true, .largeFieldSize = size});
    for (int run = 0; run < 5; ++run) {
      const auto task = session->dataTaskWithURL(*URL::string(server.baseURL() + "/"));
      task->resume();
      // Well within the task's time-out of a minute.
      const auto record = delegate->waitForCompletion(task, std::chrono::seconds(10));
      ASSERT_EQ(record.count("complete"), 1) << size << " bytes, run " << run;
      ASSERT_EQ(record.errorCode(), 0) << size << " bytes, run " << run;
      EXPECT_EQ(record.data.view(), "ok");
      const auto& response = static_cast<const HTTPURLResponse&>(*record.response);
      EXPECT_EQ(response.valueForHTTPHeaderField("X-Large"), std::string(size, 'x'));
    }
  }
  ScriptedHTTP2Server server({.coalesced = true, .withoutLength = true, .largeFieldSize = largest + 1});
  EXPECT_EQ(fetch(server).errorCode(), -1017);
}

// A head of one field over the library's receive buffer arrives whole; one
// too large for the HTTP/2 decoder fails as the head comes, as a head past
// the limit does over HTTP/1.1, not by the time-out.
TEST_F(URLSessionHTTP2Scripted, ALargeHeadArrivesWholeOrCannotBeParsed) {
  {
    ScriptedHTTP2Server server({.largeFieldSize = 60'000});
    const auto record = fetch(server);
    ASSERT_EQ(record.errorCode(), 0);
    EXPECT_EQ(record.data.view(), "ok");
    const auto& response = static_cast<const HTTPURLResponse&>(*record.response);
    EXPECT_EQ(response.valueForHTTPHeaderField("X-Large"), std::string(60'000, 'x'));
  }
  ScriptedHTTP2Server server({.largeFieldSize = 150'000});
  const auto record = fetch(server);
  EXPECT_EQ(record.errorCode(), -1017);
  EXPECT_EQ(record.count("response"), 0);
}

// A task suspended as it starts shares the first one's connection, and the
// answers come together, its own before the first's: it reads its answer's
// head while suspended, and the library keeps the body until it goes on.
TEST_F(URLSessionHTTP2Scripted, AnAnswerKeptWhileSuspendedArrivesHeadFirstAndWhole) {
  for (const int connectionsPerHost : {1, 6}) expectAnswerHeldWhileSuspended({}, connectionsPerHost, false);
}

// Interim heads before the answer's own, however the suspended task came to
// its connection: queued behind another task, or on one already shared.
TEST_F(URLSessionHTTP2Scripted, ASuspendedTaskLivesThroughInterimHeads) {
  using Statuses = std::vector<std::string>;
  for (const auto& interims : {Statuses{"103"}, Statuses{"103", "103"}, Statuses{"100"}}) {
    for (const int connectionsPerHost : {1, 6}) {
      for (const bool onSharedConnection : {false, true}) {
        SCOPED_TRACE(fmt::format("{} x {}, {} per host, shared: {}", interims.size(), interims.front(),
                                 connectionsPerHost, onSharedConnection));
        expectAnswerHeldWhileSuspended(interims, connectionsPerHost, onSharedConnection);
      }
    }
  }
}

// Requests on streams above the last one a GOAWAY names were never
// processed: they go again on another connection, so a server that takes
// one request per connection still answers every one of a burst. The one
// the server took fails instead, as it may have had its effect.
TEST_F(URLSessionHTTP2Scripted, AfterAGoAwayOnlyUnprocessedRequestsGoAgain) {
  ScriptedHTTP2Server server({.streams = ScriptedHTTP2Server::Streams::answerOneThenGoAway});
  constexpr int runs = 20;
  expectEveryRequestAnswered(server, runs);
  EXPECT_EQ(server.processedRequestCount(), std::size_t{runs * burstSize});

  ScriptedHTTP2Server dropping({.streams = ScriptedHTTP2Server::Streams::dropOneThenGoAway});
  EXPECT_EQ(fetch(dropping).errorCode(), -1005);
  EXPECT_EQ(dropping.processedRequestCount(), 1u);
}

// A server that keeps the connection open after its GOAWAY: the library
// learns that the other streams were refused as it reads, not as it sends.
TEST_F(URLSessionHTTP2Scripted, AfterAGracefulGoAwayUnprocessedRequestsGoAgain) {
  ScriptedHTTP2Server server({.streams = ScriptedHTTP2Server::Streams::answerOneThenGoAwayAndReadOn});
  constexpr int runs = 50;
  expectEveryRequestAnswered(server, runs);
  EXPECT_EQ(server.processedRequestCount(), std::size_t{runs * burstSize});
}

// A request the library sent anew after its stream was refused may be taken
// by the next connection, which then fails under it: processed or not, it
// fails rather than going again.
TEST_F(URLSessionHTTP2Scripted, ARequestTakenOnTheLibrarysNextTryDoesNotGoAgain) {
  for (int run = 0; run < 20; ++run) {
    ScriptedHTTP2Server server({.streams = ScriptedHTTP2Server::Streams::refuseOneThenTakeAndReset});
    EXPECT_EQ(fetch(server).errorCode(), -1005);
    EXPECT_EQ(server.processedRequestCount(), 1u) << "run " << run;
  }
}

// A head the client's HTTP/2 layer refuses, sent with a GOAWAY that names
// its stream: the server took the request, so it goes out once and fails.
TEST_F(URLSessionHTTP2Scripted, ARequestAnsweredWithARefusedHeadIsNotSentAgain) {
  using Head = ScriptedHTTP2Server::Head;
  for (const auto head :
       {Head::upperCaseName, Head::connectionField, Head::transferEncodingField, Head::nonNumericStatus}) {
    ScriptedHTTP2Server server(
        {.streams = ScriptedHTTP2Server::Streams::answerOneThenGoAway, .coalesced = true, .head = head});
    SCOPED_TRACE(static_cast<int>(head));
    const auto record = post(server, false);
    EXPECT_EQ(record.count("complete"), 1);
    EXPECT_EQ(record.errorCode(), -1005);
    EXPECT_EQ(server.receivedRequestCount(), 1u);
  }
}

// A server that refuses every request, by a stream reset or by a GOAWAY:
// the request goes out a bounded number of times in all, the library's own
// tries included, whatever its body, and the task says so.
TEST_F(URLSessionHTTP2Scripted, ARequestRefusedEveryTimeGoesOutBoundedTimes) {
  using Streams = ScriptedHTTP2Server::Streams;
  for (const auto streams : {Streams::refuseAll, Streams::refuseAllByGoAway}) {
    for (const bool streamed : {false, true}) {
      SCOPED_TRACE(fmt::format("{} {}", static_cast<int>(streams), streamed));
      ScriptedHTTP2Server server({.streams = streams});
      const auto record = post(server, streamed);
      EXPECT_EQ(record.count("complete"), 1);
      EXPECT_EQ(record.errorCode(), -1005);
      EXPECT_LE(server.receivedRequestCount(), 32u);
      EXPECT_THAT(record.error->localizedDescription(), testing::HasSubstr("sent 32 times"));
    }
  }
}
