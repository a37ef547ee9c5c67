#include <fmt/format.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <map>
#include <set>

#include "Platform/Dispatch/OperationQueue.h"
#include "Platform/Files/FileError.h"
#include "Platform/Files/FileManager.h"
#include "Platform/Foundation/URLError.h"
#include "Platform/URLLoading/Engine/DownloadFile.h"
#include "Platform/URLLoading/Engine/DownloadResumeData.h"
#include "Platform/URLLoading/URLSession.h"
#include "tests/servers/HttpbinServer.h"
#include "tests/servers/LoopbackHTTPServer.h"

using namespace platform;
using testservers::HttpbinServer;
namespace fs = std::filesystem;

namespace {

struct DownloadRecord {
  std::vector<std::string> events;
  std::int64_t resumedOffset = -1;
  std::int64_t resumedExpectedTotal = 0;
  std::int64_t sumOfBytesWritten = 0;
  std::int64_t lastTotalWritten = 0;
  std::int64_t lastExpectedTotal = 0;
  fs::path location;
  // The file as it was during the finishing call.
  std::optional<Data> contents;
  AnyError error;
  bool everyCallbackOnDelegateQueue = true;

  int errorCode() const {
    const auto* urlError = errorAs<URLError>(error);
    return urlError ? static_cast<int>(urlError->code()) : (error ? 1 : 0);
  }
  std::optional<Data> resumeData() const {
    const auto* urlError = errorAs<URLError>(error);
    return urlError ? urlError->resumeData() : std::nullopt;
  }
};

class DownloadDelegate : public URLSessionDelegate {
 public:
  using Action = std::function<void(const std::shared_ptr<URLSessionDownloadTask>&)>;

  // Runs on the delegate queue after each written-data callback.
  void onWrite(Action action) {
    locked([&] { writeAction_ = std::move(action); });
  }
  void moveFilesTo(fs::path directory) {
    locked([&] { moveDirectory_ = std::move(directory); });
  }

  DownloadRecord waitForCompletion(const URLSessionTask& task) {
    std::unique_lock lock(mutex_);
    const auto identifier = task.taskIdentifier();
    if (!changed_.wait_for(lock, std::chrono::seconds(30), [&] { return completed_.contains(identifier); })) {
      ADD_FAILURE() << "No completion in time for " << task.description();
    }
    return records_[identifier];
  }
  bool waitForInvalidation() {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(30), [&] { return invalidated_; });
  }

  void didBecomeInvalidWithError(SessionRef, const AnyError&) override {
    locked([&] { invalidated_ = true; });
  }
  void didCompleteWithError(SessionRef, const std::shared_ptr<URLSessionTask>& task, const AnyError& error) override {
    record(*task, "complete", [&](DownloadRecord& entry) { entry.error = error; });
  }
  void didFinishCollectingMetrics(SessionRef, const std::shared_ptr<URLSessionTask>& task,
                                  const std::shared_ptr<const URLSessionTaskMetrics>&) override {
    record(*task, "metrics");
  }
  void didResumeAtOffset(SessionRef, const std::shared_ptr<URLSessionDownloadTask>& task, std::int64_t offset,
                         std::int64_t expectedTotal) override {
    record(*task, "resumed", [&](DownloadRecord& entry) {
      entry.resumedOffset = offset;
      entry.resumedExpectedTotal = expectedTotal;
    });
  }
  void didWriteData(SessionRef, const std::shared_ptr<URLSessionDownloadTask>& task, std::int64_t written,
                    std::int64_t totalWritten, std::int64_t expectedTotal) override {
    record(*task, "written", [&](DownloadRecord& entry) {
      entry.sumOfBytesWritten += written;
      entry.lastTotalWritten = totalWritten;
      entry.lastExpectedTotal = expectedTotal;
    });
    Action action;
    locked([&] { action = writeAction_; });
    if (action) action(task);
  }
  void didFinishDownloadingToURL(SessionRef, const std::shared_ptr<URLSessionDownloadTask>& task,
                                 const URL& location) override {
    const fs::path path = location.path();
    std::optional<Data> contents;
    if (fs::exists(path)) contents = FileManager::defaultManager()->contentsOfFile(path);
    std::optional<fs::path> moveDirectory;
    locked([&] { moveDirectory = moveDirectory_; });
    if (moveDirectory) FileManager::defaultManager()->moveItem(path, *moveDirectory / path.filename());
    record(*task, "finished", [&](DownloadRecord& entry) {
      entry.location = path;
      entry.contents = contents;
    });
  }

  const std::shared_ptr<DispatchQueue> queue = DispatchQueue::make("test.download.delegate");

 private:
  void locked(const std::function<void()>& change) {
    std::lock_guard lock(mutex_);
    change();
    changed_.notify_all();
  }
  void record(const URLSessionTask& task, const std::string& event,
              const std::function<void(DownloadRecord&)>& change = nullptr) {
    const bool onQueue = queue->isCurrent();
    locked([&] {
      auto& entry = records_[task.taskIdentifier()];
      entry.events.push_back(event);
      entry.everyCallbackOnDelegateQueue = entry.everyCallbackOnDelegateQueue && onQueue;
      if (change) change(entry);
      if (event == "complete") completed_.insert(task.taskIdentifier());
    });
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::map<std::uint64_t, DownloadRecord> records_;
  std::set<std::uint64_t> completed_;
  Action writeAction_;
  std::optional<fs::path> moveDirectory_;
  bool invalidated_ = false;
};

std::set<fs::path> downloadFiles(const fs::path& directory = FileManager::defaultManager()->temporaryDirectory()) {
  std::set<fs::path> files;
  for (const auto& entry : fs::directory_iterator(directory)) {
    if (entry.path().filename().string().starts_with(DownloadFile::namePrefix)) files.insert(entry.path());
  }
  return files;
}

URL httpbinURL(const std::string& path) { return *URL::string(HttpbinServer::shared().baseURL() + path); }

struct ResumeDataAnswer {
  std::optional<Data> data;
  bool onDelegateQueue = false;
};

class DownloadTasks : public testing::Test {
 protected:
  void TearDown() override {
    session->invalidateAndCancel();
    EXPECT_TRUE(delegate->waitForInvalidation());
    // Whatever way a download ended, it left no file behind.
    EXPECT_EQ(downloadFiles(), filesBefore);
  }

  DownloadRecord run(const std::shared_ptr<URLSessionDownloadTask>& task) {
    task->resume();
    return delegate->waitForCompletion(*task);
  }

  // Cancels the download with resume data once its first bytes are written.
  std::pair<ResumeDataAnswer, DownloadRecord> cancelAfterFirstWrite(
      const std::shared_ptr<URLSessionDownloadTask>& task) {
    std::promise<ResumeDataAnswer> answered;
    std::once_flag once;
    delegate->onWrite([&](const std::shared_ptr<URLSessionDownloadTask>& written) {
      std::call_once(once, [&] {
        written->cancelByProducingResumeData([&, queue = delegate->queue](std::optional<Data> data) {
          answered.set_value({std::move(data), queue->isCurrent()});
        });
      });
    });
    const auto record = run(task);
    delegate->onWrite(nullptr);
    auto answer = answered.get_future();
    if (answer.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
      ADD_FAILURE() << "The resume data handler was not called.";
      return {{}, record};
    }
    return {answer.get(), record};
  }

  const std::set<fs::path> filesBefore = downloadFiles();
  const std::shared_ptr<DownloadDelegate> delegate = std::make_shared<DownloadDelegate>();
  const std::shared_ptr<URLSession> session =
      URLSession::make(URLSessionConfiguration::ephemeralConfiguration(), delegate,
                       OperationQueue::make("test.download.operations", delegate->queue));
};

}  // namespace

TEST_F(DownloadTasks, BytesLandInAFileThatIsGoneOnceTheDelegateReturns) {
  const auto task = session->downloadTaskWithURL(httpbinURL("/bytes/100000"));
  const auto record = run(task);
  EXPECT_EQ(record.errorCode(), 0);
  ASSERT_TRUE(record.contents);
  EXPECT_EQ(record.contents->size(), 100000u);
  EXPECT_FALSE(fs::exists(record.location));

  ASSERT_GE(record.events.size(), 4u);
  EXPECT_EQ(std::vector(record.events.end() - 3, record.events.end()),
            (std::vector<std::string>{"finished", "metrics", "complete"}));
  EXPECT_EQ(std::ranges::count(record.events, "written"), static_cast<long>(record.events.size()) - 3);
  EXPECT_EQ(record.sumOfBytesWritten, 100000);
  EXPECT_EQ(record.lastTotalWritten, 100000);
  EXPECT_EQ(record.lastExpectedTotal, 100000);
  EXPECT_EQ(task->countOfBytesReceived(), 100000);
  EXPECT_TRUE(record.everyCallbackOnDelegateQueue);
}

TEST_F(DownloadTasks, AFileTheDelegateMovesStaysWhereItWasMoved) {
  const auto kept = fs::temp_directory_path() / fmt::format("kept-downloads-{}", ::getpid());
  fs::create_directories(kept);
  delegate->moveFilesTo(kept);
  const auto record = run(session->downloadTaskWithURL(httpbinURL("/bytes/2000")));
  EXPECT_EQ(fs::file_size(kept / record.location.filename()), 2000u);
  fs::remove_all(kept);
}

TEST_F(DownloadTasks, CancelledSlowRangeResumesPastZeroAndEndsLikeADirectDownload) {
  const auto direct = run(session->downloadTaskWithURL(httpbinURL("/range/102400")));
  ASSERT_TRUE(direct.contents);

  // A hundred pieces, 20 ms apart.
  const auto slow = httpbinURL("/range/102400?duration=2&chunk_size=1024");
  const auto [answer, cancelled] = cancelAfterFirstWrite(session->downloadTaskWithURL(slow));
  EXPECT_EQ(cancelled.errorCode(), -999);
  EXPECT_EQ(std::ranges::count(cancelled.events, "finished"), 0);
  ASSERT_TRUE(answer.data);
  EXPECT_FALSE(answer.onDelegateQueue);
  EXPECT_EQ(cancelled.resumeData(), answer.data);

  const auto resumed = run(session->downloadTaskWithResumeData(*answer.data));
  EXPECT_EQ(resumed.errorCode(), 0);
  EXPECT_EQ(resumed.events.front(), "resumed");
  EXPECT_GT(resumed.resumedOffset, 0);
  EXPECT_EQ(resumed.resumedExpectedTotal, 102400);
  EXPECT_EQ(resumed.sumOfBytesWritten, 102400 - resumed.resumedOffset);
  EXPECT_EQ(resumed.lastTotalWritten, 102400);
  EXPECT_EQ(resumed.contents, direct.contents);
}

TEST_F(DownloadTasks, ResumingAgainstAServerThatIgnoresRangesRestartsAtZero) {
  const auto url = httpbinURL("/bytes/50000?seed=7");
  const auto direct = run(session->downloadTaskWithURL(url));
  // A partial file of the wrong bytes: appending to it would show.
  auto partial = DownloadFile::create(FileManager::defaultManager()->temporaryDirectory());
  ASSERT_TRUE(partial);
  ASSERT_TRUE(partial->append(std::string(1000, 'x').data(), 1000));
  partial->keep();
  const DownloadResumeData resumeData{url, "\"v1\"", std::nullopt, partial->path(), 1000};

  const auto resumed = run(session->downloadTaskWithResumeData(resumeData.encoded()));
  EXPECT_EQ(resumed.errorCode(), 0);
  EXPECT_EQ(resumed.resumedOffset, 0);
  EXPECT_EQ(resumed.resumedExpectedTotal, 50000);
  ASSERT_TRUE(resumed.contents);
  EXPECT_EQ(resumed.contents, direct.contents);
}

TEST_F(DownloadTasks, AStalledDownloadFailsWithTheResumeDataThatCompletesIt) {
  // Half at once, then a pause far longer than the request may idle.
  URLRequest request(httpbinURL("/range/102400?duration=30&chunk_size=51200"));
  request.setTimeoutInterval(0.5);
  const auto failed = run(session->downloadTaskWithRequest(request));
  EXPECT_EQ(failed.errorCode(), -1001);
  ASSERT_TRUE(failed.resumeData());

  const auto resumed = run(session->downloadTaskWithResumeData(*failed.resumeData()));
  EXPECT_EQ(resumed.errorCode(), 0);
  EXPECT_GT(resumed.resumedOffset, 0);
  ASSERT_TRUE(resumed.contents);
  ASSERT_EQ(resumed.contents->size(), 102400u);
  for (std::size_t index = 0; index < resumed.contents->size(); ++index) {
    ASSERT_EQ((*resumed.contents)[index], 'a' + index % 26) << "at " << index;
  }
}

TEST_F(DownloadTasks, CancellingWithoutValidatorsOrWithoutAskingLeavesNoResumeData) {
  // One byte every half second, and nothing that tells whether it changed.
  const auto [answer, cancelled] =
      cancelAfterFirstWrite(session->downloadTaskWithURL(httpbinURL("/drip?numbytes=20&duration=10")));
  EXPECT_EQ(cancelled.errorCode(), -999);
  EXPECT_FALSE(answer.data);
  EXPECT_FALSE(cancelled.resumeData());

  delegate->onWrite([](const std::shared_ptr<URLSessionDownloadTask>& task) { task->cancel(); });
  const auto plain = run(session->downloadTaskWithURL(httpbinURL("/range/102400?duration=2&chunk_size=1024")));
  EXPECT_EQ(plain.errorCode(), -999);
  EXPECT_FALSE(plain.resumeData());
}

// Faults that need the process's environment or limits changed run in a
// child process of their own, which reports how its download ended.
[[noreturn]] void downloadInChild(URLRequest request, const fs::path& partialDirectory) {
  testservers::LoopbackHTTPServer server;
  request.setURL(URL::string(server.baseURL() + request.url()->path()));
  const auto delegate = std::make_shared<DownloadDelegate>();
  const auto session = URLSession::make(URLSessionConfiguration::ephemeralConfiguration(), delegate);
  const auto before = downloadFiles(partialDirectory);
  const auto task = session->downloadTaskWithRequest(request);
  task->resume();
  const auto record = delegate->waitForCompletion(*task);
  const auto* urlError = errorAs<URLError>(record.error);
  const auto* fileError = urlError ? errorAs<FileError>(urlError->underlyingError()) : nullptr;
  fmt::print(stderr, "URLError {}: {}; {} new download files\n", record.errorCode(),
             fileError ? fileError->description() : "no file error",
             downloadFiles(partialDirectory) == before ? "no" : "some");
  std::fflush(stderr);
  std::_Exit(0);
}

[[noreturn]] void downloadWithoutTemporaryDirectory() {
  ::setenv("TMPDIR", "/nonexistent/temporary", 1);
  downloadInChild(URLRequest(URL::string("http://127.0.0.1/tiny")), "/tmp");
}

[[noreturn]] void downloadPastFileSizeLimit() {
  // Writing past the limit fails as on a full disk, without a signal.
  std::signal(SIGXFSZ, SIG_IGN);
  const rlimit limit{16 * 1024, RLIM_INFINITY};
  ::setrlimit(RLIMIT_FSIZE, &limit);
  URLRequest request(URL::string("http://127.0.0.1/echo"));
  request.setHTTPMethod("POST");
  request.setHTTPBody(Data(std::string(64 * 1024, 'b')));
  downloadInChild(request, FileManager::defaultManager()->temporaryDirectory());
}

TEST(DownloadFaults, AnUnwritableTemporaryDirectoryOrAFullDiskFailsTheTaskAndLeavesNoFile) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(downloadWithoutTemporaryDirectory(), testing::ExitedWithCode(0),
              "URLError -3000: Could not create .*No such file or directory; no new");
  EXPECT_EXIT(downloadPastFileSizeLimit(), testing::ExitedWithCode(0),
              "URLError -3003: Could not write to .*File too large; no new");
}
