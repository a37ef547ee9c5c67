#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <vector>

#include "Platform/Dispatch/OperationQueue.h"
#include "Platform/Foundation/URLError.h"
#include "Platform/URLLoading/URLSession.h"

using namespace platform;

namespace {

// Records how tasks ended; all a session test without a server can see.
class EndingsDelegate : public URLSessionDelegate {
 public:
  void didFinishCollectingMetrics(SessionRef, const std::shared_ptr<URLSessionTask>& task,
                                  const std::shared_ptr<const URLSessionTaskMetrics>& metrics) override {
    note("metrics " + std::to_string(task->taskIdentifier()) + " " +
         std::to_string(metrics->transactionMetrics.size()));
  }
  void didCompleteWithError(SessionRef, const std::shared_ptr<URLSessionTask>& task, const AnyError& error) override {
    const auto* urlError = errorAs<URLError>(error);
    note("complete " + std::to_string(task->taskIdentifier()) + " " +
         std::to_string(urlError ? static_cast<int>(urlError->code()) : 0));
  }
  void didBecomeInvalidWithError(SessionRef session, const AnyError&) override {
    note(session->delegate() ? "invalid, delegate still held" : "invalid");
  }

  std::vector<std::string> waitForEvents(std::size_t count) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::seconds(10), [&] { return events_.size() >= count; });
    return events_;
  }

  std::mutex& mutex() { return mutex_; }

 private:
  void note(std::string event) {
    std::lock_guard lock(mutex_);
    events_.push_back(std::move(event));
    changed_.notify_all();
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> events_;
};

URLRequest unreachable(const std::string& path = "/") { return URLRequest(URL::string("http://127.0.0.1:9" + path)); }

class URLSessionTasks : public testing::Test {
 protected:
  std::shared_ptr<EndingsDelegate> delegate = std::make_shared<EndingsDelegate>();
  std::shared_ptr<URLSession> session = URLSession::make(URLSessionConfiguration::ephemeralConfiguration(), delegate);
};

}  // namespace

TEST_F(URLSessionTasks, NewTasksStartSuspendedWithTheirOwnIdentity) {
  const auto first = session->dataTaskWithRequest(unreachable("/a"));
  auto post = unreachable("/b");
  post.setHTTPMethod("POST");
  const auto second = session->uploadTaskWithRequestFromData(post, Data("x"));
  EXPECT_EQ(first->state(), URLSessionTask::State::suspended);
  EXPECT_NE(first->taskIdentifier(), second->taskIdentifier());
  EXPECT_EQ(first->description(),
            "URLSessionDataTask <" + std::to_string(first->taskIdentifier()) + "> GET http://127.0.0.1:9/a");
  EXPECT_EQ(second->description(),
            "URLSessionUploadTask <" + std::to_string(second->taskIdentifier()) + "> POST http://127.0.0.1:9/b");
  EXPECT_EQ(first->currentRequest(), first->originalRequest());
  EXPECT_EQ(first->response(), nullptr);
  EXPECT_EQ(first->countOfBytesExpectedToReceive(), URLSessionTask::transferSizeUnknown);
  session->invalidateAndCancel();
  delegate->waitForEvents(5);
}

TEST_F(URLSessionTasks, CancellingAnUnresumedTaskStillEndsItWithMetricsThenCompletionOnce) {
  const auto task = session->dataTaskWithRequest(unreachable());
  task->cancel();
  // Canceling until the engine has taken the command, completed after.
  const auto state = task->state();
  EXPECT_TRUE(state == URLSessionTask::State::canceling || state == URLSessionTask::State::completed);
  task->cancel();
  task->resume();
  task->suspend();
  const auto id = std::to_string(task->taskIdentifier());
  session->finishTasksAndInvalidate();
  EXPECT_EQ(delegate->waitForEvents(3),
            (std::vector<std::string>{"metrics " + id + " 0", "complete " + id + " -999", "invalid"}));
  EXPECT_EQ(task->state(), URLSessionTask::State::completed);
  EXPECT_EQ(errorAs<URLError>(task->error())->code(), URLError::Code::cancelled);
}

TEST_F(URLSessionTasks, ControlsNeverCallBackOnTheCallersThread) {
  const auto task = session->dataTaskWithRequest(unreachable());
  {
    // A callback made from inside a control would wait on this lock forever.
    std::lock_guard lock(delegate->mutex());
    task->resume();
    task->suspend();
    task->resume();
    task->cancel();
  }
  session->finishTasksAndInvalidate();
  EXPECT_EQ(delegate->waitForEvents(3).back(), "invalid");
}

TEST_F(URLSessionTasks, RequestsThatCannotBeLoadedFailWithoutATransaction) {
  const auto noURL = session->dataTaskWithRequest(URLRequest());
  const auto ftp = session->dataTaskWithURL(*URL::string("ftp://127.0.0.1/file"));
  noURL->resume();
  ftp->resume();
  session->finishTasksAndInvalidate();
  const auto events = delegate->waitForEvents(5);
  const auto noURLId = std::to_string(noURL->taskIdentifier());
  const auto ftpId = std::to_string(ftp->taskIdentifier());
  EXPECT_EQ(events, (std::vector<std::string>{"metrics " + noURLId + " 0", "complete " + noURLId + " -1000",
                                              "metrics " + ftpId + " 0", "complete " + ftpId + " -1002", "invalid"}));
}

TEST_F(URLSessionTasks, InvalidationLetsGoOfTheDelegateBeforeTellingIt) {
  EXPECT_EQ(session->delegate(), delegate);
  session->invalidateAndCancel();
  EXPECT_EQ(delegate->waitForEvents(1), std::vector<std::string>{"invalid"});
  EXPECT_EQ(session->delegate(), nullptr);
}

TEST_F(URLSessionTasks, TasksMadeAfterInvalidationAreBornCancelledAndNeverReported) {
  session->invalidateAndCancel();
  const auto late = session->dataTaskWithRequest(unreachable());
  EXPECT_EQ(late->state(), URLSessionTask::State::completed);
  EXPECT_EQ(errorAs<URLError>(late->error())->code(), URLError::Code::cancelled);
  late->resume();
  late->cancel();
  EXPECT_EQ(delegate->waitForEvents(1), std::vector<std::string>{"invalid"});
}

TEST_F(URLSessionTasks, TheSessionKeepsACopyOfItsConfiguration) {
  auto configuration = URLSessionConfiguration::ephemeralConfiguration();
  auto own = URLSession::make(configuration, nullptr, OperationQueue::make("test", nullptr));
  configuration->setTimeoutIntervalForRequest(3);
  EXPECT_EQ(own->configuration()->timeoutIntervalForRequest(), 60);
  own->configuration()->setTimeoutIntervalForRequest(4);
  EXPECT_EQ(own->configuration()->timeoutIntervalForRequest(), 60);
  own->invalidateAndCancel();
  session->invalidateAndCancel();
  delegate->waitForEvents(1);
}
