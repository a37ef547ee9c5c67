#include <algorithm>
#include <atomic>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "Platform/Coding/CodingFields.h"
#include "Wendanet/Source/Async/ResponseTaskBuilders.h"
#include "tests/Wendanet/Async/AsyncTestSupport.h"
#include "tests/Wendanet/ScratchDirectory.h"

using namespace wendanet;
using wendanet::testing::AsyncHttpbinTest;
using wendanet::testing::eventually;

namespace {

struct Echo {
  std::string url;
  std::map<std::string, std::string> args;
  static constexpr auto codingFields() {
    return std::tuple{platform::field("url", &Echo::url), platform::field("args", &Echo::args)};
  }
};

class ResponseTasks : public AsyncHttpbinTest {};

// What one consumer saw of a data task, read three ways.
struct Reads {
  int status = 0;
  bool resultSucceeded = false;
  std::size_t valueSize = 0;
};

platform::Task<Reads> readThreeWays(DataTask<platform::Data> task) {
  Reads reads;
  const auto response = co_await task.response();
  reads.status = response.response() ? response.response()->statusCode() : 0;
  reads.resultSucceeded = (co_await task.result()).has_value();
  reads.valueSize = (co_await task.value()).size();
  co_return reads;
}

platform::Task<std::optional<WNError>> valueError(DataTask<platform::Data> task) {
  try {
    co_await task.value();
  } catch (const WNError& error) {
    co_return error;
  }
  co_return std::nullopt;
}

platform::Task<Echo> decoded(DataTask<Echo> task) { co_return co_await task.value(); }

// Awaits `task` from inside a task that the test cancels meanwhile.
platform::Task<DataResponse<platform::Data>> awaitingConsumer(DataTask<platform::Data> task) {
  co_return co_await task.response();
}

}  // namespace

TEST_F(ResponseTasks, ADataTaskGivesItsResponseResultAndValue) {
  const auto reads = readThreeWays(dataTaskForData(session->requestWithParameters(url("/bytes/64")))).wait();
  EXPECT_EQ(reads.status, 200);
  EXPECT_TRUE(reads.resultSucceeded);
  EXPECT_EQ(reads.valueSize, 64U);
}

TEST_F(ResponseTasks, ADecodableTaskDecodesTheBody) {
  const auto echo = decoded(dataTaskForDecodable<Echo>(session->requestWithParameters(url("/get?name=ada")))).wait();
  EXPECT_EQ(echo.args, (std::map<std::string, std::string>{{"name", "ada"}}));
}

TEST_F(ResponseTasks, AFailedValidationIsThrownAsItsError) {
  auto request = session->requestWithParameters(url("/status/404"));
  request->validate();
  const auto error = valueError(dataTaskForData(request)).wait();
  ASSERT_TRUE(error.has_value());
  EXPECT_TRUE(error->isResponseValidationFailed());
}

TEST_F(ResponseTasks, ADownloadTaskPutsTheFileWhereTheDestinationSays) {
  wendanet::testing::ScratchDirectory scratch;
  const auto destination = scratch.url("bytes.bin");
  auto request = session->downloadWithParameters(
      url("/bytes/2048"), HTTPMethod::get(), std::nullopt, nullptr, std::nullopt, nullptr, std::nullopt, nullptr,
      [&](const auto&, const auto&) { return DownloadRequest::DestinationChoice{destination, {}}; });
  const auto response = downloadTaskForFileURL(request).waitForResponse();
  ASSERT_TRUE(response.result().has_value()) << response.error()->errorDescription();
  EXPECT_EQ(*response.result(), destination);
  EXPECT_EQ(wendanet::testing::fileContents(scratch.path() / "bytes.bin").size(), 2048U);
}

TEST_F(ResponseTasks, CancellingTheAwaitingTaskCancelsTheRequestOnlyWhenAsked) {
  for (const bool automaticallyCancelling : {true, false}) {
    auto request = session->requestWithParameters(url("/delay/1"));
    const auto task = dataTaskForData(request, automaticallyCancelling);
    const auto consumer = awaitingConsumer(task);
    ASSERT_TRUE(eventually([&] { return request->isResumed(); }));
    consumer.cancel();
    const auto response = consumer.wait();
    EXPECT_EQ(response.error() && response.error()->isExplicitlyCancelled(), automaticallyCancelling)
        << "automatically cancelling: " << automaticallyCancelling;
    EXPECT_EQ(request->isCancelled(), automaticallyCancelling);
  }
}

TEST_F(ResponseTasks, CancellingTheTaskAfterTheResponseChangesNothing) {
  auto request = session->requestWithParameters(url("/get"));
  const auto task = dataTaskForData(request);
  ASSERT_TRUE(task.waitForResponse().result().has_value());
  task.cancel();
  EXPECT_TRUE(task.waitForResponse().result().has_value());
  EXPECT_TRUE(request->isFinished());
}

TEST_F(ResponseTasks, ATaskOnARequestThatDoesNotStartByItselfWaitsForResume) {
  auto request = session->requestWithParameters(url("/get"), HTTPMethod::get(), std::nullopt, nullptr, std::nullopt,
                                                nullptr, /*shouldAutomaticallyResume=*/false);
  const auto task = dataTaskForData(request);
  const auto consumer = awaitingConsumer(task);
  // Given time to start on its own, it does not.
  EXPECT_FALSE(platform::RunLoop::main().runUntil([&] { return consumer.isDone(); }, std::chrono::milliseconds(300)));
  task.resume();
  EXPECT_TRUE(consumer.wait().result().has_value());
}

TEST_F(ResponseTasks, ASessionOnTheMainQueueIsWaitedForByPumpingIt) {
  // The supported way to wait on the thread that pumps the main queue.
  session = Session::makeWithConfiguration(nullptr, nullptr, platform::DispatchQueue::main());
  const auto response = dataTaskForData(session->requestWithParameters(url("/get")))
                            .waitForResponse(platform::RunLoop::main());
  EXPECT_TRUE(response.result().has_value());
}

namespace {

platform::Task<int> consumeOnce(DataTask<platform::Data> task, std::shared_ptr<std::vector<std::atomic<int>>> calls,
                                std::size_t index) {
  const auto response = co_await task.response();
  ++(*calls)[index];
  co_return response.result().has_value() ? 1 : 0;
}

}  // namespace

TEST_F(ResponseTasks, AThousandTasksThroughOneSessionEachCompleteOnceAndLeaveNothingBehind) {
  constexpr std::size_t count = 1000;
  auto calls = std::make_shared<std::vector<std::atomic<int>>>(count);
  std::vector<std::weak_ptr<DataRequest>> requests;
  std::vector<platform::Task<int>> consumers;
  for (std::size_t index = 0; index < count; ++index) {
    auto request = session->requestWithParameters(url("/get?n=" + std::to_string(index)));
    requests.push_back(request);
    consumers.push_back(consumeOnce(dataTaskForData(request), calls, index));
  }
  int succeeded = 0;
  for (const auto& consumer : consumers) succeeded += consumer.wait();
  EXPECT_EQ(succeeded, static_cast<int>(count));
  for (std::size_t index = 0; index < count; ++index) EXPECT_EQ((*calls)[index], 1) << "task " << index;
  consumers.clear();
  // Cleaned up on the session's queue shortly after their last handler.
  EXPECT_TRUE(eventually([&] { return std::ranges::all_of(requests, [](const auto& weak) { return weak.expired(); }); }));
}
