#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/Integration/TrustingSessionDelegate.h"
#include "tests/servers/HTTP2Server.h"

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
