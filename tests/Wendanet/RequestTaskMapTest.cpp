#include <gtest/gtest.h>

#include "Wendanet/Source/Core/RequestTaskMap.h"
#include "tests/Wendanet/RequestTestDoubles.h"

using namespace wendanet;
using wendanet::testing::FakeTask;
using wendanet::testing::Log;

namespace {

class RequestTaskMapTest : public ::testing::Test {
 protected:
  std::shared_ptr<Request> makeRequest(platform::UUID id = platform::UUID()) {
    return Request::make({.id = id, .underlyingQueue = platform::DispatchQueue::make("test.map")});
  }
  std::shared_ptr<platform::URLSessionTask> makeTask() {
    return std::make_shared<FakeTask>(log, platform::URLRequest(*platform::URL::string("http://127.0.0.1/")));
  }

  std::shared_ptr<Log> log = std::make_shared<Log>();
  RequestTaskMap map;
};

}  // namespace

TEST_F(RequestTaskMapTest, ATaskLeavesOnlyWithItsSecondEndEventInEitherOrder) {
  for (const bool completionFirst : {true, false}) {
    const auto request = makeRequest();
    const auto task = makeTask();
    map.setTaskForRequest(request, task);

    const bool first = completionFirst ? map.completionReceivedForTask(task) : map.metricsGatheredForTask(task);
    EXPECT_FALSE(first);
    EXPECT_EQ(map.requestForTask(task), request);
    EXPECT_EQ(map.taskForRequest(request), task);

    const bool second = completionFirst ? map.metricsGatheredForTask(task) : map.completionReceivedForTask(task);
    EXPECT_TRUE(second);
    EXPECT_EQ(map.requestForTask(task), nullptr);
    EXPECT_EQ(map.taskForRequest(request), nullptr);
    EXPECT_TRUE(map.requests().empty());
  }
}

TEST_F(RequestTaskMapTest, InterleavedTasksKeepTheirOwnEvents) {
  const auto firstRequest = makeRequest();
  const auto secondRequest = makeRequest();
  const auto firstTask = makeTask();
  const auto secondTask = makeTask();
  map.setTaskForRequest(firstRequest, firstTask);
  map.setTaskForRequest(secondRequest, secondTask);

  EXPECT_FALSE(map.completionReceivedForTask(firstTask));
  EXPECT_FALSE(map.metricsGatheredForTask(secondTask));
  EXPECT_EQ(map.requests().size(), 2U);
  EXPECT_TRUE(map.completionReceivedForTask(secondTask));
  EXPECT_EQ(map.requests(), std::vector<std::shared_ptr<Request>>{firstRequest});
  EXPECT_TRUE(map.metricsGatheredForTask(firstTask));
  EXPECT_TRUE(map.requests().empty());
}

TEST_F(RequestTaskMapTest, RequestsAreKeyedByTheirID) {
  const platform::UUID id;
  const auto request = makeRequest(id);
  const auto task = makeTask();
  map.setTaskForRequest(request, task);
  EXPECT_EQ(map.taskForRequest(makeRequest(id)), task);
  EXPECT_EQ(map.taskForRequest(makeRequest()), nullptr);
}

TEST_F(RequestTaskMapTest, ANewTaskForARequestResetsItsEvents) {
  const auto request = makeRequest();
  const auto task = makeTask();
  map.setTaskForRequest(request, task);
  EXPECT_FALSE(map.completionReceivedForTask(task));
  map.setTaskForRequest(request, task);
  EXPECT_FALSE(map.completionReceivedForTask(task));
}

using RequestTaskMapDeathTest = RequestTaskMapTest;

TEST_F(RequestTaskMapDeathTest, BreachesStopTheProcessWithTheirMessages) {
  const auto task = makeTask();
  EXPECT_DEATH(map.completionReceivedForTask(task),
               "RequestTaskMap consistency error: no events corresponding to task found\\.");
  EXPECT_DEATH(map.metricsGatheredForTask(task),
               "RequestTaskMap consistency error: no events corresponding to task found\\.");
  EXPECT_DEATH(map.disassociateTask(task), "RequestTaskMap consistency error: no request corresponding to task found\\.");

  map.setTaskForRequest(makeRequest(), task);
  EXPECT_FALSE(map.completionReceivedForTask(task));
  EXPECT_DEATH(map.completionReceivedForTask(task),
               "RequestTaskMap consistency error: duplicate completionReceivedForTask call\\.");

  const auto other = makeTask();
  map.setTaskForRequest(makeRequest(), other);
  EXPECT_FALSE(map.metricsGatheredForTask(other));
  EXPECT_DEATH(map.metricsGatheredForTask(other),
               "RequestTaskMap consistency error: duplicate metricsGatheredForTask call\\.");
}
