#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "Platform/Combine/AnyPublisher.h"
#include "Wendanet/Source/Async/DataStreamPublisher.h"
#include "Wendanet/Source/Async/ResponsePublisherBuilders.h"
#include "tests/Wendanet/Async/AsyncTestSupport.h"
#include "tests/Wendanet/ScratchDirectory.h"

using namespace wendanet;
using wendanet::testing::AsyncHttpbinTest;
using wendanet::testing::eventually;

namespace {

// Keeps what it receives and demands only when the test says so.
template <class Input, class Failure = Never>
class Recorder final : public platform::Subscriber<Input, Failure> {
 public:
  void receive(std::shared_ptr<platform::Subscription> subscription) override {
    std::lock_guard lock(mutex_);
    subscription_ = std::move(subscription);
  }
  platform::Demand receive(const Input& input) override {
    std::lock_guard lock(mutex_);
    values_.push_back(input);
    return platform::Demand::none();
  }
  // Lets go of the subscription, as a subscriber must once completed.
  void receive(const platform::SubscriptionCompletion<Failure>& completion) override {
    std::lock_guard lock(mutex_);
    subscription_.reset();
    completions_.push_back(completion);
    changed_.notify_all();
  }

  std::shared_ptr<platform::Subscription> subscription() {
    std::lock_guard lock(mutex_);
    return subscription_;
  }
  // The values once a completion came, or after 20 s without one.
  std::vector<Input> valuesWhenCompleted() {
    std::unique_lock lock(mutex_);
    EXPECT_TRUE(changed_.wait_for(lock, std::chrono::seconds(20), [this] { return !completions_.empty(); }));
    return values_;
  }
  std::vector<platform::SubscriptionCompletion<Failure>> completions() {
    std::lock_guard lock(mutex_);
    return completions_;
  }
  std::size_t valueCount() {
    std::lock_guard lock(mutex_);
    return values_.size();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::shared_ptr<platform::Subscription> subscription_;
  std::vector<Input> values_;
  std::vector<platform::SubscriptionCompletion<Failure>> completions_;
};

class Publishers : public AsyncHttpbinTest {
 protected:
  std::shared_ptr<DataRequest> dataRequest(const std::string& path) { return session->requestWithParameters(url(path)); }
  DataResponsePublisher<platform::Data> bytes(const std::shared_ptr<DataRequest>& request) {
    return dataPublisher(request, handlers, ResponseSerializer::defaultDataPreprocessor(),
                         ResponseSerializer::defaultEmptyResponseCodes(),
                         ResponseSerializer::defaultEmptyRequestMethods());
  }
};

// Nothing before a demand; after any number of demands, every value once
// and one `finished`; the request ends finished.
template <class Publisher>
std::vector<typename Publisher::Output> expectOnDemandOnly(const Publisher& publisher) {
  auto recorder = std::make_shared<Recorder<typename Publisher::Output>>();
  publisher.receive(recorder);
  EXPECT_TRUE(publisher.request()->isInitialized()) << "started before any demand";
  const auto subscription = recorder->subscription();
  subscription->request(platform::Demand::max(1));
  subscription->request(platform::Demand::unlimited());
  const auto values = recorder->valuesWhenCompleted();
  EXPECT_EQ(recorder->completions().size(), 1U);
  EXPECT_TRUE(recorder->completions().front().isFinished());
  EXPECT_TRUE(eventually([&] { return publisher.request()->isFinished(); }));
  return values;
}

}  // namespace

TEST_F(Publishers, EachKindStartsOnDemandAndDeliversItsValueThenFinishes) {
  const auto data = expectOnDemandOnly(bytes(dataRequest("/bytes/32")));
  ASSERT_EQ(data.size(), 1U);
  EXPECT_EQ(data.front().value()->size(), 32U);

  const auto download = expectOnDemandOnly(urlPublisher(session->downloadWithParameters(url("/bytes/32")), handlers));
  ASSERT_EQ(download.size(), 1U);
  ASSERT_TRUE(download.front().result().has_value());
  // Without a destination the file lands in the shared temporary directory,
  // where nothing else would ever remove it.
  const std::filesystem::path file = download.front().result()->path();
  EXPECT_EQ(wendanet::testing::fileContents(file).size(), 32U);
  std::filesystem::remove(file);

  const auto stream = expectOnDemandOnly(dataPublisher(session->streamRequestWithoutParameters(url("/stream/3")), handlers));
  ASSERT_GE(stream.size(), 2U);
  EXPECT_TRUE(stream.back().completion().has_value());
}

TEST_F(Publishers, CancellingBeforeAnyDemandCancelsTheRequestAndDeliversNothing) {
  const auto request = dataRequest("/get");
  auto recorder = std::make_shared<Recorder<DataResponse<platform::Data>>>();
  bytes(request).receive(recorder);
  const auto subscription = recorder->subscription();
  subscription->cancel();
  subscription->request(platform::Demand::unlimited());
  EXPECT_TRUE(request->isCancelled());
  EXPECT_FALSE(platform::RunLoop::main().runUntil([&] { return recorder->valueCount() > 0; },
                                                  std::chrono::milliseconds(200)));
}

TEST_F(Publishers, CancellingASinkCancelsTheRunningRequest) {
  const auto data = dataRequest("/delay/1");
  auto dataSink = bytes(data).eraseToAnyPublisher().sink([](const auto&) {}, [](const auto&) {});
  ASSERT_TRUE(eventually([&] { return data->isResumed(); }));
  dataSink.cancel();
  EXPECT_TRUE(data->isCancelled());

  const auto download = session->downloadWithParameters(url("/drip?duration=1&numbytes=4"));
  auto downloadSink = urlPublisher(download, handlers).eraseToAnyPublisher().sink([](const auto&) {}, [](const auto&) {});
  ASSERT_TRUE(eventually([&] { return download->isResumed(); }));
  downloadSink.cancel();
  EXPECT_TRUE(download->isCancelled());
  // The cancelled download ends without resume data.
  std::promise<DownloadResponse<std::optional<platform::URL>>> response;
  download->response(handlers, [&](const auto& finished) { response.set_value(finished); });
  const auto finished = response.get_future().get();
  ASSERT_TRUE(finished.error().has_value());
  EXPECT_TRUE(finished.error()->isExplicitlyCancelled());
  EXPECT_FALSE(finished.resumeData().has_value());
  EXPECT_FALSE(download->resumeData().has_value());
}

TEST_F(Publishers, AFailedResponseIsAResultValueOrAFailureOfTheValuePublisher) {
  auto request = dataRequest("/status/404");
  request->validate();
  const auto publisher = bytes(request);

  auto results = std::make_shared<Recorder<DataResponsePublisher<platform::Data>::Result>>();
  publisher.result().receive(results);
  results->subscription()->request(platform::Demand::unlimited());
  const auto received = results->valuesWhenCompleted();
  ASSERT_EQ(received.size(), 1U);
  EXPECT_TRUE(!received.front() && received.front().error().isResponseValidationFailed());

  auto values = std::make_shared<Recorder<platform::Data, WNError>>();
  publisher.value().receive(values);
  values->subscription()->request(platform::Demand::unlimited());
  EXPECT_TRUE(values->valuesWhenCompleted().empty());
  const auto completion = values->completions().front();
  ASSERT_TRUE(completion.error().has_value());
  EXPECT_TRUE(completion.error()->isResponseValidationFailed());
}

TEST_F(Publishers, AStreamsResultsLeaveOutACompletionWithoutError) {
  const auto publisher = dataPublisher(session->streamRequestWithoutParameters(url("/stream/3")), handlers);
  std::vector<std::expected<platform::Data, WNError>> results;
  std::promise<void> done;
  auto sink = publisher.result().sink([&](const auto&) { done.set_value(); },
                                      [&](const auto& result) { results.push_back(result); });
  done.get_future().wait();
  ASSERT_FALSE(results.empty());
  EXPECT_TRUE(std::ranges::all_of(results, [](const auto& result) { return result.has_value(); }));
  std::string text;
  for (const auto& result : results) text += result->toString();
  EXPECT_EQ(std::ranges::count(text, '\n'), 3);
}

TEST_F(Publishers, TwoDemandsAtOnceRegisterOneHandlerAndDeliverOnce) {
  for (int round = 0; round < 100; ++round) {
    const auto request = dataRequest("/get");
    auto registrations = std::make_shared<std::atomic<int>>(0);
    const DataResponsePublisher<std::optional<platform::Data>> publisher(
        request, [request, registrations, queue = handlers](auto deliver) {
          ++*registrations;
          request->response(queue, std::move(deliver));
          return request;
        });
    auto recorder = std::make_shared<Recorder<DataResponse<std::optional<platform::Data>>>>();
    publisher.receive(recorder);
    std::atomic<bool> go = false;
    auto demand = [&, subscription = recorder->subscription()] {
      while (!go) std::this_thread::yield();
      subscription->request(platform::Demand::unlimited());
    };
    std::thread first(demand), second(demand);
    go = true;
    first.join();
    second.join();
    ASSERT_EQ(recorder->valuesWhenCompleted().size(), 1U) << "round " << round;
    ASSERT_EQ(*registrations, 1) << "round " << round;
  }
}
