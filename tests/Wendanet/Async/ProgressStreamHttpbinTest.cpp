#include <atomic>
#include <string>
#include <utility>
#include <vector>

#include "Wendanet/Source/Async/RequestEventStreams.h"
#include "Wendanet/Source/Core/UploadRequest.h"
#include "tests/Wendanet/Async/AsyncTestSupport.h"

namespace wendanet::testing {
namespace {

using Policy = platform::StreamBufferingPolicy;

class ProgressStreams : public AsyncHttpbinTest {};

struct Snapshot {
  std::int64_t completed;
  std::int64_t total;
};

// The progress as each element showed it when the loop took it, with
// whether every element was the request's own progress object.
struct Seen {
  std::vector<Snapshot> snapshots;
  bool alwaysTheRequestsProgress = true;
};

platform::Task<Seen> watch(StreamOf<std::shared_ptr<platform::Progress>>::Iterator iterator,
                           std::shared_ptr<platform::Progress> expected) {
  Seen seen;
  while (auto progress = co_await iterator.next()) {
    seen.alwaysTheRequestsProgress = seen.alwaysTheRequestsProgress && *progress == expected;
    seen.snapshots.push_back({(*progress)->completedUnitCount(), (*progress)->totalUnitCount()});
  }
  co_return seen;
}

void expectClimbsToTheTotal(const Seen& seen, std::int64_t total) {
  ASSERT_FALSE(seen.snapshots.empty());
  EXPECT_TRUE(seen.alwaysTheRequestsProgress);
  for (std::size_t i = 1; i < seen.snapshots.size(); ++i) {
    EXPECT_GE(seen.snapshots[i].completed, seen.snapshots[i - 1].completed) << i;
  }
  EXPECT_EQ(seen.snapshots.back().completed, total);
  EXPECT_EQ(seen.snapshots.back().total, total);
}

// The stream takes the place of the handler the application set, and ends
// once the request is done.
TEST_F(ProgressStreams, AnUploadsProgressReachesTheBodysSize) {
  constexpr std::int64_t size = 512 * 1024;
  auto request = session->uploadDataToURL(platform::Data(std::string(size, 'u')), url("/post"), HTTPMethod::post(),
                                          std::nullopt, nullptr, /*shouldAutomaticallyResume=*/false);
  std::atomic<int> replacedHandlerCalls{0};
  request->setUploadProgressHandler(handlers, [&](const platform::Progress&) { ++replacedHandlerCalls; });
  auto iterator = uploadProgressStream(request, Policy::unbounded()).makeAsyncIterator();
  request->resume();
  const auto seen = watch(std::move(iterator), request->uploadProgress()).wait();
  expectClimbsToTheTotal(seen, size);
  EXPECT_EQ(replacedHandlerCalls.load(), 0);
  EXPECT_TRUE(eventually([&] { return request->isFinished(); }));
}

TEST_F(ProgressStreams, ADownloadsProgressReachesTheAnnouncedLength) {
  // The most the server sends in one answer.
  constexpr std::int64_t size = 100 * 1024;
  auto request = session->requestWithParameters(url("/bytes/" + std::to_string(size)), HTTPMethod::get(),
                                                std::nullopt, nullptr, std::nullopt, nullptr,
                                                /*shouldAutomaticallyResume=*/false);
  auto iterator = downloadProgressStream(request, Policy::unbounded()).makeAsyncIterator();
  request->resume();
  const auto seen = watch(std::move(iterator), request->downloadProgress()).wait();
  expectClimbsToTheTotal(seen, size);
  EXPECT_TRUE(eventually([&] { return request->isFinished(); }));
}

TEST_F(ProgressStreams, TheTaskStreamHandsOutTheRequestsTaskThenEnds) {
  auto request = session->requestWithParameters(url("/get?task=1"), HTTPMethod::get(), std::nullopt, nullptr,
                                                std::nullopt, nullptr, /*shouldAutomaticallyResume=*/false);
  auto iterator = urlSessionTaskStream(request, Policy::unbounded()).makeAsyncIterator();
  request->resume();
  const auto tasks = collect<std::shared_ptr<platform::URLSessionTask>>(std::move(iterator)).wait();
  ASSERT_EQ(tasks.size(), 1U);
  ASSERT_TRUE(tasks.front()->originalRequest());
  EXPECT_EQ(tasks.front()->originalRequest()->url()->absoluteString(),
            testservers::HttpbinServer::shared().baseURL() + "/get?task=1");
  EXPECT_EQ(tasks.front(), request->task());
  EXPECT_TRUE(eventually([&] { return request->isFinished(); }));
}

}  // namespace
}  // namespace wendanet::testing
