#include <fmt/format.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <future>
#include <set>

#include "Platform/Files/FileError.h"
#include "Platform/Files/FileManager.h"
#include "Platform/Foundation/URLError.h"
#include "Platform/URLLoading/Engine/DownloadFile.h"
#include "Platform/URLLoading/Engine/DownloadResumeData.h"
#include "tests/Integration/RecordingSessionDelegate.h"
#include "tests/servers/HttpbinServer.h"
#include "tests/servers/LoopbackHTTPServer.h"

using namespace platform;
using testservers::HttpbinServer;
namespace fs = std::filesystem;

namespace {

// What the download callbacks told about one task, with what the base
// delegate recorded for it.
struct DownloadRecord {
  TaskRecord task;
  std::int64_t resumedOffset = -1;
  std::int64_t resumedExpectedTotal = 0;
  std::int64_t sumOfBytesWritten = 0;
  std::int64_t lastTotalWritten = 0;
  std::int64_t lastExpectedTotal = 0;
  int finishes = 0;
  fs::path location;
  // The file as it was during the finishing call.
  std::optional<Data> contents;
  bool everyCallbackOnDelegateQueue = true;

  std::optional<Data> resumeData() const {
    const auto* error = errorAs<URLError>(task.error);
    return error ? error->resumeData() : std::nullopt;
  }
};

class DownloadDelegate : public RecordingSessionDelegate {
 public:
  using Action = std::function<void(const std::shared_ptr<URLSessionDownloadTask>&)>;

  // Runs on the delegate queue after each written-data callback.
  void onWrite(Action action) {
    std::lock_guard lock(mutex_);
    writeAction_ = std::move(action);
  }

  DownloadRecord run(const std::shared_ptr<URLSessionDownloadTask>& task) {
    task->resume();
    auto taskRecord = waitForCompletion(task);
    std::lock_guard lock(mutex_);
    auto record = records_[task->taskIdentifier()];
    record.task = std::move(taskRecord);
    return record;
  }

  void didResumeAtOffset(SessionRef, const std::shared_ptr<URLSessionDownloadTask>& task, std::int64_t offset,
                         std::int64_t expectedTotal) override {
    note(*task, [&](DownloadRecord& record) {
      record.resumedOffset = offset;
      record.resumedExpectedTotal = expectedTotal;
    });
  }
  void didWriteData(SessionRef, const std::shared_ptr<URLSessionDownloadTask>& task, std::int64_t written,
                    std::int64_t totalWritten, std::int64_t expectedTotal) override {
    Action action;
    note(*task, [&](DownloadRecord& record) {
      record.sumOfBytesWritten += written;
      record.lastTotalWritten = totalWritten;
      record.lastExpectedTotal = expectedTotal;
      action = writeAction_;
    });
    if (action) action(task);
  }
  void didFinishDownloadingToURL(SessionRef, const std::shared_ptr<URLSessionDownloadTask>& task,
                                 const URL& location) override {
    const fs::path path = location.path();
    std::optional<Data> contents;
    if (fs::exists(path)) contents = FileManager::defaultManager()->contentsOfFile(path);
    note(*task, [&](DownloadRecord& record) {
      ++record.finishes;
      record.location = path;
      record.contents = contents;
    });
  }

 private:
  void note(const URLSessionTask& task, const std::function<void(DownloadRecord&)>& change) {
    const bool onQueue = queue()->isCurrent();
    std::lock_guard lock(mutex_);
    auto& record = records_[task.taskIdentifier()];
    record.everyCallbackOnDelegateQueue = record.everyCallbackOnDelegateQueue && onQueue;
    change(record);
  }

  std::mutex mutex_;
  std::map<std::uint64_t, DownloadRecord> records_;
  Action writeAction_;
};

std::set<fs::path> downloadFiles(const fs::path& directory = FileManager::defaultManager()->temporaryDirectory()) {
  std::set<fs::path> files;
  for (const auto& entry : fs::directory_iterator(directory)) {
    if (entry.path().filename().string().starts_with(DownloadFile::namePrefix)) files.insert(entry.path());
  }
  return files;
}

URL httpbinURL(const std::string& path) { return *URL::string(HttpbinServer::shared().baseURL() + path); }

// What a cancellation that asked for resume data was answered, and whether
// the answer came on the delegate queue.
struct ResumeDataAnswer {
  std::optional<Data> data;
  bool onDelegateQueue = false;
};

std::future<ResumeDataAnswer> cancelForResumeData(URLSessionDownloadTask& task,
                                                  const std::shared_ptr<DispatchQueue>& delegateQueue) {
  auto answered = std::make_shared<std::promise<ResumeDataAnswer>>();
  task.cancelByProducingResumeData([answered, delegateQueue](std::optional<Data> data) {
    answered->set_value({std::move(data), delegateQueue->isCurrent()});
  });
  return answered->get_future();
}

class DownloadTasks : public testing::Test {
 protected:
  void TearDown() override {
    session->invalidateAndCancel();
    EXPECT_TRUE(delegate->waitForInvalidation());
    EXPECT_EQ(delegate->lateCallbacks(), 0);
    // Whatever way a download ended, it left no file behind.
    EXPECT_EQ(downloadFiles(), filesBefore);
  }

  DownloadRecord run(const std::shared_ptr<URLSessionDownloadTask>& task) { return delegate->run(task); }

  // Cancels the download with resume data once its first bytes are written.
  std::pair<ResumeDataAnswer, DownloadRecord> cancelAfterFirstWrite(
      const std::shared_ptr<URLSessionDownloadTask>& task) {
    std::future<ResumeDataAnswer> answer;
    delegate->onWrite([&](const std::shared_ptr<URLSessionDownloadTask>& written) {
      if (!answer.valid()) answer = cancelForResumeData(*written, delegate->queue());
    });
    const auto record = run(task);
    delegate->onWrite(nullptr);
    if (!answer.valid()) ADD_FAILURE() << "Nothing was written before the download ended.";
    return {answer.valid() ? answer.get() : ResumeDataAnswer{}, record};
  }

  std::optional<Data> resumeDataOf(URLSessionDownloadTask& task) {
    return cancelForResumeData(task, delegate->queue()).get().data;
  }

  const std::set<fs::path> filesBefore = downloadFiles();
  const std::shared_ptr<DownloadDelegate> delegate = std::make_shared<DownloadDelegate>();
  const std::shared_ptr<URLSession> session = makeRecordingSession(delegate);
};

}  // namespace

TEST_F(DownloadTasks, BytesLandInAFileThatIsGoneOnceTheDelegateReturns) {
  const auto task = session->downloadTaskWithURL(httpbinURL("/bytes/100000"));
  const auto record = run(task);
  EXPECT_EQ(record.task.errorCode(), 0);
  EXPECT_EQ(record.finishes, 1);
  ASSERT_TRUE(record.contents);
  EXPECT_EQ(record.contents->size(), 100000u);
  EXPECT_FALSE(fs::exists(record.location));
  EXPECT_EQ(record.resumedOffset, -1);
  EXPECT_EQ(record.sumOfBytesWritten, 100000);
  EXPECT_EQ(record.lastTotalWritten, 100000);
  EXPECT_EQ(record.lastExpectedTotal, 100000);
  EXPECT_EQ(task->countOfBytesReceived(), 100000);
  // No response to answer and no data handed over, as for a data task.
  EXPECT_EQ(record.task.events, (std::vector<std::string>{"metrics", "complete"}));
  EXPECT_TRUE(record.everyCallbackOnDelegateQueue && record.task.everyCallbackOnDelegateQueue);
}

TEST_F(DownloadTasks, FollowsARedirectAndOnlyTheFinalBodyLandsInTheFile) {
  const auto task = session->downloadTaskWithURL(httpbinURL("/redirect-to?url=/bytes/1000"));
  const auto record = run(task);
  EXPECT_EQ(record.task.errorCode(), 0);
  EXPECT_EQ(record.finishes, 1);
  ASSERT_TRUE(record.contents);
  EXPECT_EQ(record.contents->size(), 1000u);
  EXPECT_EQ(record.sumOfBytesWritten, 1000);
  ASSERT_TRUE(record.task.metrics);
  EXPECT_EQ(record.task.metrics->redirectCount, 1);
  EXPECT_EQ(record.task.metrics->transactionMetrics.size(), 2u);
  EXPECT_EQ(task->currentRequest()->url()->path(), "/bytes/1000");
}

TEST_F(DownloadTasks, CancelledSlowRangeResumesPastZeroAndEndsLikeADirectDownload) {
  const auto direct = run(session->downloadTaskWithURL(httpbinURL("/range/102400")));
  ASSERT_TRUE(direct.contents);

  // A hundred pieces, 20 ms apart.
  const auto slow = httpbinURL("/range/102400?duration=2&chunk_size=1024");
  const auto [answer, cancelled] = cancelAfterFirstWrite(session->downloadTaskWithURL(slow));
  EXPECT_EQ(cancelled.task.errorCode(), -999);
  EXPECT_EQ(cancelled.finishes, 0);
  ASSERT_TRUE(answer.data);
  EXPECT_FALSE(answer.onDelegateQueue);
  EXPECT_EQ(cancelled.resumeData(), answer.data);

  const auto resumed = run(session->downloadTaskWithResumeData(*answer.data));
  EXPECT_EQ(resumed.task.errorCode(), 0);
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
  ASSERT_TRUE(partial && partial->append(std::string(1000, 'x').data(), 1000));
  partial->keep();
  const DownloadResumeData resumeData{url, "\"v1\"", std::nullopt, partial->path(), 1000};

  const auto resumed = run(session->downloadTaskWithResumeData(resumeData.encoded()));
  EXPECT_EQ(resumed.task.errorCode(), 0);
  EXPECT_EQ(resumed.resumedOffset, 0);
  EXPECT_EQ(resumed.resumedExpectedTotal, 50000);
  ASSERT_TRUE(direct.contents);
  EXPECT_EQ(resumed.contents, direct.contents);
}

TEST_F(DownloadTasks, AStalledDownloadFailsWithTheResumeDataThatCompletesIt) {
  // Half at once, then a pause far longer than the request may idle.
  URLRequest request(httpbinURL("/range/102400?duration=30&chunk_size=51200"));
  request.setTimeoutInterval(0.5);
  const auto failed = run(session->downloadTaskWithRequest(request));
  EXPECT_EQ(failed.task.errorCode(), -1001);
  ASSERT_TRUE(failed.resumeData());

  const auto resumed = run(session->downloadTaskWithResumeData(*failed.resumeData()));
  EXPECT_EQ(resumed.task.errorCode(), 0);
  EXPECT_GT(resumed.resumedOffset, 0);
  std::string expected(102400, ' ');
  for (std::size_t index = 0; index < expected.size(); ++index) expected[index] = static_cast<char>('a' + index % 26);
  EXPECT_EQ(resumed.contents, Data(expected));
}

TEST_F(DownloadTasks, APlainCancellationLeavesNoResumeData) {
  delegate->onWrite([](const std::shared_ptr<URLSessionDownloadTask>& task) { task->cancel(); });
  const auto cancelled = run(session->downloadTaskWithURL(httpbinURL("/range/102400?duration=2&chunk_size=1024")));
  EXPECT_EQ(cancelled.task.errorCode(), -999);
  EXPECT_FALSE(cancelled.resumeData());
}

TEST_F(DownloadTasks, UnreadableResumeDataFailsTheTaskWithTheReason) {
  const auto record = run(session->downloadTaskWithResumeData(Data("not resume data")));
  EXPECT_EQ(record.task.errorCode(), -1015);
  const auto& reason = errorAs<URLError>(record.task.error)->underlyingError();
  EXPECT_EQ(reason->description(), "The download cannot be resumed: the resume data is not in this system's format.");
}

TEST_F(DownloadTasks, ResumeDataIsHandedBackUntilOneTaskTakesItsPartialFile) {
  auto partial = DownloadFile::create(FileManager::defaultManager()->temporaryDirectory());
  ASSERT_TRUE(partial && partial->append("abc", 3));
  partial->keep();
  // Nothing listens there: a task that starts fails to connect.
  const DownloadResumeData original{*URL::string("http://127.0.0.1:9/file"), "\"v1\"", std::nullopt, partial->path(),
                                    3};

  const auto unstarted = session->downloadTaskWithResumeData(original.encoded());
  EXPECT_EQ(unstarted->currentRequest()->valueForHTTPHeaderField("Range"), "bytes=3-");
  const auto handedBack = resumeDataOf(*unstarted);
  ASSERT_TRUE(handedBack);
  EXPECT_EQ(DownloadResumeData::decode(*handedBack)->temporaryPath, original.temporaryPath);

  const auto first = session->downloadTaskWithResumeData(*handedBack);
  const auto failed = run(first);
  EXPECT_EQ(failed.task.errorCode(), -1004);
  ASSERT_TRUE(failed.resumeData());
  const auto moved = DownloadResumeData::decode(*failed.resumeData());
  EXPECT_NE(moved->temporaryPath, original.temporaryPath);
  EXPECT_EQ(moved->offset, 3);
  EXPECT_EQ(resumeDataOf(*first), std::nullopt) << "an ended task has nothing to hand back";

  EXPECT_EQ(run(session->downloadTaskWithResumeData(original.encoded())).task.errorCode(), -3001);
  EXPECT_TRUE(fs::remove(moved->temporaryPath));
}

// Faults that need the process's environment or limits changed run in a
// child process of their own, which reports how its download ended.
// A private `directory` is removed before the child exits.
[[noreturn]] void downloadInChild(URLRequest request, const fs::path& directory, bool privateDirectory = false) {
  testservers::LoopbackHTTPServer server;
  request.setURL(URL::string(server.baseURL() + request.url()->path()));
  const auto delegate = std::make_shared<DownloadDelegate>();
  const auto session = makeRecordingSession(delegate);
  const auto before = downloadFiles(directory);
  const auto record = delegate->run(session->downloadTaskWithRequest(request));
  const auto* urlError = errorAs<URLError>(record.task.error);
  const auto* fileError = urlError ? errorAs<FileError>(urlError->underlyingError()) : nullptr;
  fmt::print(stderr, "URLError {}: {}; {} new download files\n", record.task.errorCode(),
             fileError ? fileError->description() : "no file error",
             downloadFiles(directory) == before ? "no" : "some");
  std::fflush(stderr);
  if (privateDirectory) fs::remove_all(directory);
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
  // A directory of its own, so downloads of other runs cannot change the count.
  char directory[] = "/tmp/wendalore-download-test-XXXXXX";
  if (::mkdtemp(directory) == nullptr) std::_Exit(1);
  ::setenv("TMPDIR", directory, 1);
  downloadInChild(request, directory, true);
}

TEST(DownloadFaults, AnUnwritableTemporaryDirectoryOrAFullDiskFailsTheTaskAndLeavesNoFile) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(downloadWithoutTemporaryDirectory(), testing::ExitedWithCode(0),
              "URLError -3000: Could not create .*No such file or directory; no new");
  EXPECT_EXIT(downloadPastFileSizeLimit(), testing::ExitedWithCode(0),
              "URLError -3003: Could not write to .*File too large; no new");
}
