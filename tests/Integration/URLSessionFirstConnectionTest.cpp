#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "tests/Integration/TrustingSessionDelegate.h"
#include "tests/servers/SlowTLSServer.h"

using namespace platform;
using testservers::SlowTLSServer;

namespace {

// A burst to a secure origin on a fresh session waits for the first
// connection to tell whether the server shares connections; a slow or
// failing first connection must not cost the requests that wait for it.
class URLSessionFirstConnection : public testing::Test {
 protected:
  void TearDown() override {
    session->invalidateAndCancel();
    EXPECT_TRUE(delegate->waitForInvalidation());
  }

  std::vector<std::shared_ptr<URLSessionDataTask>> startBurst(const SlowTLSServer& server, int count,
                                                              double requestTimeout) {
    auto configuration = URLSessionConfiguration::ephemeralConfiguration();
    configuration->setTimeoutIntervalForRequest(requestTimeout);
    session = makeRecordingSession(delegate, configuration);
    std::vector<std::shared_ptr<URLSessionDataTask>> tasks;
    for (int number = 0; number < count; ++number) {
      tasks.push_back(session->dataTaskWithURL(*URL::string(server.baseURL() + "/" + std::to_string(number))));
    }
    for (const auto& task : tasks) task->resume();
    return tasks;
  }

  std::shared_ptr<TrustingSessionDelegate> delegate = std::make_shared<TrustingSessionDelegate>();
  std::shared_ptr<URLSession> session;
};

}  // namespace

// A server that closes every connection unanswered: once the first has
// failed, the others try their own connections together instead of one
// after another, a failure apart.
TEST_F(URLSessionFirstConnection, WhenItFailsTheWaitingRequestsTryTogether) {
  const SlowTLSServer server(std::chrono::milliseconds(500), SlowTLSServer::AfterTheWait::close);
  constexpr int requests = 12;
  for (const auto& task : startBurst(server, requests, URLSessionConfiguration::defaultTimeoutIntervalForRequest)) {
    EXPECT_NE(delegate->waitForCompletion(task).errorCode(), 0);
  }
  EXPECT_EQ(server.connectionCount(), static_cast<std::size_t>(requests));
  EXPECT_GT(server.mostConnectionsAtOnce(), 1u);
}

// Handshakes of a second against a request timeout of 1.6 s: the second the
// others spend waiting for the first handshake leaves their own handshakes
// all of their timeout.
TEST_F(URLSessionFirstConnection, WaitingForItTakesNothingFromTheRequestTimeout) {
  const SlowTLSServer server(std::chrono::seconds(1), SlowTLSServer::AfterTheWait::serve);
  for (const auto& task : startBurst(server, 6, 1.6)) {
    const auto record = delegate->waitForCompletion(task);
    ASSERT_EQ(record.errorCode(), 0);
    EXPECT_EQ(record.data.view(), "ok");
  }
}

namespace {

// Ways the task opening the origin's first connection can hold it open
// long past the limits of the tasks that wait for it.
enum class HeldFirstTask { suspendedAtOnce, withoutTimeLimit, withALongerTimeLimit };

class URLSessionFirstConnectionHeld : public URLSessionFirstConnection,
                                      public testing::WithParamInterface<HeldFirstTask> {
 protected:
  std::shared_ptr<URLSessionDataTask> task(const SlowTLSServer& server, double timeout) {
    URLRequest request(URL::string(server.baseURL() + "/"));
    request.setTimeoutInterval(timeout);
    return session->dataTaskWithRequest(request);
  }
};

}  // namespace

// A server that never completes a handshake: the tasks behind the first
// end by their own limit, however long the first one lasts.
TEST_P(URLSessionFirstConnectionHeld, TheWaitingTasksEndByTheirOwnTimeLimit) {
  const SlowTLSServer server(std::chrono::minutes(5), SlowTLSServer::AfterTheWait::close);
  session = makeRecordingSession(delegate, URLSessionConfiguration::ephemeralConfiguration());
  const auto held = GetParam();
  const auto first = task(server, held == HeldFirstTask::withoutTimeLimit ? 0 : 20);
  first->resume();
  if (held == HeldFirstTask::suspendedAtOnce) first->suspend();
  constexpr double ownLimit = 1.5;
  std::vector<std::shared_ptr<URLSessionDataTask>> waiting;
  for (int number = 0; number < 3; ++number) waiting.push_back(task(server, ownLimit));
  const auto started = std::chrono::steady_clock::now();
  for (const auto& each : waiting) each->resume();
  for (const auto& each : waiting) {
    EXPECT_EQ(delegate->waitForCompletion(each, std::chrono::seconds(25)).errorCode(), -1001);
    // At most a limit spent waiting and one on a connection of its own,
    // with room to spare on a loaded machine.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
  }
}

INSTANTIATE_TEST_SUITE_P(FirstTask, URLSessionFirstConnectionHeld,
                         testing::Values(HeldFirstTask::suspendedAtOnce, HeldFirstTask::withoutTimeLimit,
                                         HeldFirstTask::withALongerTimeLimit));

// Suspended while it waits for the first connection, a task stays held
// once it gets a connection of its own: nothing of it reaches the delegate
// until it is resumed.
TEST_F(URLSessionFirstConnection, ATaskSuspendedWhileItWaitsDeliversNothingUntilResumed) {
  const SlowTLSServer server(std::chrono::milliseconds(500), SlowTLSServer::AfterTheWait::serve);
  const auto tasks = startBurst(server, 3, URLSessionConfiguration::defaultTimeoutIntervalForRequest);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (server.connectionCount() == 0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  const auto& held = tasks[1];
  held->suspend();
  // The last one opens its connection alongside the held one's, and a new
  // connection made after it ended takes as long again: time enough for
  // the held task to have ended, had it gone on.
  ASSERT_EQ(delegate->waitForCompletion(tasks[0]).errorCode(), 0);
  ASSERT_EQ(delegate->waitForCompletion(tasks[2]).errorCode(), 0);
  const SlowTLSServer later(std::chrono::milliseconds(500), SlowTLSServer::AfterTheWait::serve);
  const auto elsewhere = session->dataTaskWithURL(*URL::string(later.baseURL() + "/"));
  elsewhere->resume();
  ASSERT_EQ(delegate->waitForCompletion(elsewhere).errorCode(), 0);
  EXPECT_EQ(delegate->records().size(), 3u);
  held->resume();
  const auto record = delegate->waitForCompletion(held);
  EXPECT_EQ(record.errorCode(), 0);
  EXPECT_EQ(record.data.view(), "ok");
}
