#include <gtest/gtest.h>

#include <condition_variable>
#include <future>
#include <map>
#include <mutex>

#include "Platform/Files/FileManager.h"
#include "Platform/Foundation/URLError.h"
#include "Platform/URLLoading/Engine/DownloadFile.h"
#include "Platform/URLLoading/ResumeDataError.h"
#include "Platform/URLLoading/URLSession.h"

using namespace platform;
namespace fs = std::filesystem;

namespace {

class CompletionsDelegate : public URLSessionDelegate {
 public:
  void didCompleteWithError(SessionRef, const std::shared_ptr<URLSessionTask>& task, const AnyError& error) override {
    std::lock_guard lock(mutex_);
    errors_[task->taskIdentifier()] = error;
    changed_.notify_all();
  }

  const URLError& waitForFailure(const URLSessionTask& task) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::seconds(10), [&] { return errors_.contains(task.taskIdentifier()); });
    const auto* error = errorAs<URLError>(errors_[task.taskIdentifier()]);
    if (error == nullptr) throw std::runtime_error("The task did not fail with a URLError.");
    return *error;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::map<std::uint64_t, AnyError> errors_;
};

std::optional<Data> cancelForResumeData(URLSessionDownloadTask& task) {
  std::promise<std::optional<Data>> answered;
  task.cancelByProducingResumeData([&](std::optional<Data> data) { answered.set_value(std::move(data)); });
  return answered.get_future().get();
}

class URLSessionDownloadTasks : public testing::Test {
 protected:
  ~URLSessionDownloadTasks() override { session->invalidateAndCancel(); }

  std::shared_ptr<CompletionsDelegate> delegate = std::make_shared<CompletionsDelegate>();
  std::shared_ptr<URLSession> session = URLSession::make(URLSessionConfiguration::ephemeralConfiguration(), delegate);
};

}  // namespace

TEST_F(URLSessionDownloadTasks, UnreadableResumeDataFailsTheTaskOnceResumed) {
  const auto task = session->downloadTaskWithResumeData(Data("not resume data"));
  EXPECT_EQ(task->description(),
            "URLSessionDownloadTask <" + std::to_string(task->taskIdentifier()) + "> GET (no URL)");
  task->resume();
  const auto& error = delegate->waitForFailure(*task);
  EXPECT_EQ(error.code(), URLError::Code::cannotDecodeRawData);
  EXPECT_TRUE(errorAs<ResumeDataError>(error.underlyingError()));
}

TEST_F(URLSessionDownloadTasks, ResumeDataIsHandedBackUntilOneTaskTakesItsPartialFile) {
  auto partial = DownloadFile::create(FileManager::defaultManager()->temporaryDirectory());
  ASSERT_TRUE(partial && partial->append("abc", 3));
  partial->keep();
  // Nothing listens there, so a task that starts fails to connect.
  const DownloadResumeData original{*URL::string("http://127.0.0.1:9/file"), "\"v1\"", std::nullopt, partial->path(),
                                    3};

  const auto unstarted = session->downloadTaskWithResumeData(original.encoded());
  EXPECT_EQ(unstarted->currentRequest()->valueForHTTPHeaderField("Range"), "bytes=3-");
  const auto handedBack = cancelForResumeData(*unstarted);
  ASSERT_TRUE(handedBack);
  EXPECT_EQ(DownloadResumeData::decode(*handedBack)->temporaryPath, original.temporaryPath);
  EXPECT_TRUE(fs::exists(original.temporaryPath));

  const auto first = session->downloadTaskWithResumeData(*handedBack);
  first->resume();
  const auto& failure = delegate->waitForFailure(*first);
  EXPECT_EQ(failure.code(), URLError::Code::cannotConnectToHost);
  ASSERT_TRUE(failure.resumeData());
  const auto moved = DownloadResumeData::decode(*failure.resumeData());
  EXPECT_NE(moved->temporaryPath, original.temporaryPath);
  EXPECT_EQ(moved->offset, 3);
  EXPECT_EQ(cancelForResumeData(*first), std::nullopt) << "an ended task has nothing to hand back";

  const auto second = session->downloadTaskWithResumeData(original.encoded());
  second->resume();
  EXPECT_EQ(delegate->waitForFailure(*second).code(), URLError::Code::cannotOpenFile);
  EXPECT_TRUE(fs::remove(moved->temporaryPath));
}
