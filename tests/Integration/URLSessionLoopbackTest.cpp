#include <dirent.h>
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include "Platform/Foundation/URLError.h"
#include "Platform/Streams/InputStream.h"
#include "Platform/URLLoading/Engine/Transfer.h"
#include "Platform/URLLoading/InvalidRequestError.h"
#include "tests/Integration/RecordingSessionDelegate.h"
#include "tests/servers/LoopbackHTTPServer.h"
#include "tests/servers/ServerProcess.h"

using namespace platform;
using testservers::LoopbackHTTPServer;

namespace {

std::size_t openFileDescriptors() {
  std::size_t count = 0;
  DIR* directory = ::opendir("/proc/self/fd");
  while (::readdir(directory) != nullptr) ++count;
  ::closedir(directory);
  return count;
}

class URLSessionLoopback : public testing::Test {
 protected:
  void TearDown() override {
    session->invalidateAndCancel();
    EXPECT_TRUE(delegate->waitForInvalidation());
    EXPECT_EQ(delegate->lateCallbacks(), 0);
  }

  URLRequest request(const std::string& path) const { return URLRequest(URL::string(server.baseURL() + path)); }

  TaskRecord run(const std::shared_ptr<URLSessionTask>& task) {
    task->resume();
    return delegate->waitForCompletion(task);
  }

  // One metrics and one completion, the completion last.
  static void expectOneEnding(const TaskRecord& record) {
    EXPECT_EQ(record.count("metrics"), 1);
    EXPECT_EQ(record.count("complete"), 1);
    EXPECT_EQ(record.events.back(), "complete");
  }

  LoopbackHTTPServer server;
  std::shared_ptr<RecordingSessionDelegate> delegate = std::make_shared<RecordingSessionDelegate>();
  std::shared_ptr<URLSession> session = makeRecordingSession(delegate);
};

}  // namespace

TEST_F(URLSessionLoopback, ResetMidBodyLosesTheConnection) {
  const auto record = run(session->dataTaskWithRequest(request("/reset-mid-body")));
  EXPECT_EQ(record.errorCode(), -1005);
  EXPECT_LE(record.data.size(), 1000u);
  expectOneEnding(record);
}

TEST_F(URLSessionLoopback, TruncatedChunkedBodyLosesTheConnection) {
  const auto record = run(session->dataTaskWithRequest(request("/truncated-chunked")));
  EXPECT_EQ(record.errorCode(), -1005);
  expectOneEnding(record);
}

TEST_F(URLSessionLoopback, OversizedHeaderBlockCannotBeParsed) {
  for (const std::string path : {"/huge-header-block", "/huge-header-line"}) {
    const auto record = run(session->dataTaskWithRequest(request(path)));
    EXPECT_EQ(record.errorCode(), -1017) << path;
    EXPECT_EQ(record.count("response"), 0) << path;
    expectOneEnding(record);
  }
}

TEST_F(URLSessionLoopback, AHeadTooLargeToSendFailsAsTooLargeWithNothingSent) {
  auto longField = request("/tiny");
  longField.setValueForHTTPHeaderField(std::string(1 << 20, 'v'), "X-Large");
  const auto longTarget = request("/tiny?q=" + std::string(1 << 20, 'q'));
  for (const auto& oversized : {longField, longTarget}) {
    const auto record = run(session->dataTaskWithRequest(oversized));
    EXPECT_EQ(record.errorCode(), -1103);
    ASSERT_TRUE(record.error);
    EXPECT_EQ(record.error->localizedDescription(),
              "The request's head (its URL and header fields) is too large to send.");
    EXPECT_EQ(record.count("response"), 0);
    expectOneEnding(record);
  }
  EXPECT_EQ(server.requestCount(), 0u);
}

TEST_F(URLSessionLoopback, PortWithoutListenerRefusesTheConnection) {
  const auto url = "http://127.0.0.1:" + std::to_string(testservers::freeLoopbackPort()) + "/";
  const auto record = run(session->dataTaskWithURL(*URL::string(url)));
  EXPECT_EQ(record.errorCode(), -1004);
  ASSERT_EQ(record.metrics->transactionMetrics.size(), 1u);
  const auto& transaction = record.metrics->transactionMetrics.front();
  EXPECT_TRUE(transaction.connectStartDate);
  EXPECT_FALSE(transaction.connectEndDate || transaction.requestStartDate);
  expectOneEnding(record);
}

TEST_F(URLSessionLoopback, HeaderValueWithALineBreakIsRefusedBeforeAnythingIsSent) {
  for (const auto& [name, value] : std::vector<std::pair<std::string, std::string>>{
           {"X-Smuggle", "a\r\nX-Injected: yes"}, {"X-Smuggle", "a\nGET /tiny HTTP/1.1"}, {"Bad Name", "value"}}) {
    auto smuggling = request("/tiny");
    smuggling.setValueForHTTPHeaderField(value, name);
    const auto record = run(session->dataTaskWithRequest(smuggling));
    EXPECT_TRUE(errorAs<InvalidRequestError>(record.error)) << name;
    EXPECT_EQ(record.metrics->transactionMetrics.size(), 0u);
    expectOneEnding(record);
  }
  auto badMethod = request("/tiny");
  badMethod.setHTTPMethod("GET /tiny HTTP/1.1\r\n");
  EXPECT_TRUE(errorAs<InvalidRequestError>(run(session->dataTaskWithRequest(badMethod)).error));
  EXPECT_EQ(server.requestCount(), 0u);
}

TEST_F(URLSessionLoopback, StreamBodyIsAskedForAgainWhenAKeptConnectionTurnsOutClosed) {
  ASSERT_EQ(run(session->dataTaskWithRequest(request("/close-after-response"))).errorCode(), 0);
  const std::string body(200'000, 's');
  delegate->answerBodyStreamsWith([&] { return InputStream::fromData(Data(body)); });
  auto upload = request("/echo");
  upload.setHTTPMethod("POST");
  const auto record = run(session->uploadTaskWithStreamedRequest(upload));
  ASSERT_EQ(record.errorCode(), 0);
  EXPECT_EQ(record.data.view(), body);
  EXPECT_EQ(record.bodyStreamRequests, 2);
  ASSERT_EQ(record.metrics->transactionMetrics.size(), 2u);
  EXPECT_FALSE(record.metrics->transactionMetrics[0].response);
  EXPECT_TRUE(record.metrics->transactionMetrics[1].response);
}

// The delegate's time to give a body stream is the request's idle time: a
// delegate that never gives one lets the task time out.
TEST_F(URLSessionLoopback, AStreamBodyNeverGivenTimesTheTaskOut) {
  class WithholdingDelegate : public RecordingSessionDelegate {
    void needNewBodyStream(SessionRef, const std::shared_ptr<URLSessionTask>&,
                           BodyStreamCompletionHandler completionHandler) override {
      withheld_.push_back(std::move(completionHandler));
    }
    std::vector<BodyStreamCompletionHandler> withheld_;
  };
  const auto withholding = std::make_shared<WithholdingDelegate>();
  const auto withholdingSession = makeRecordingSession(withholding);
  auto upload = request("/echo");
  upload.setHTTPMethod("POST");
  upload.setTimeoutInterval(0.5);
  const auto task = withholdingSession->uploadTaskWithStreamedRequest(upload);
  task->resume();
  EXPECT_EQ(withholding->waitForCompletion(task, std::chrono::seconds(10)).errorCode(), -1001);
  withholdingSession->invalidateAndCancel();
  EXPECT_TRUE(withholding->waitForInvalidation());
}

// Every way a task can end, ten thousand times: no easy handle and no file
// descriptor may be left behind by any of them.
TEST_F(URLSessionLoopback, TenThousandTasksLeaveNoHandleOrDescriptorBehind) {
  const auto descriptorsBefore = openFileDescriptors();
  const auto refused = "http://127.0.0.1:" + std::to_string(testservers::freeLoopbackPort()) + "/";
  std::atomic<int> cancelledByDisposition = 0;
  delegate->answerResponsesWith([&](ResponseCompletionHandler handler) {
    handler(cancelledByDisposition++ % 9 == 0 ? URLSessionResponseDisposition::cancel
                                              : URLSessionResponseDisposition::allow);
  });
  constexpr int total = 10'000;
  constexpr int batch = 16;
  int failures = 0;
  for (int start = 0; start < total; start += batch) {
    std::vector<std::shared_ptr<URLSessionTask>> tasks;
    for (int index = start; index < start + batch; ++index) {
      if (index % 50 == 7) {
        tasks.push_back(session->dataTaskWithURL(*URL::string(refused)));
      } else if (index % 50 == 13) {
        tasks.push_back(session->dataTaskWithRequest(request("/reset-mid-body")));
      } else {
        tasks.push_back(session->dataTaskWithRequest(request("/tiny")));
      }
      tasks.back()->resume();
      if (index % 11 == 0) tasks.back()->cancel();
    }
    for (const auto& task : tasks) {
      const auto record = delegate->waitForCompletion(task);
      if (record.count("complete") != 1 || record.count("metrics") != 1) ++failures;
    }
  }
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(Transfer::liveHandleCount(), 0u);
  // Only kept-alive connections stay open until the session goes: each
  // has its two ends in this process, and the server may not yet have
  // seen the last few closed.
  EXPECT_LE(openFileDescriptors(),
            descriptorsBefore + 4 * URLSessionConfiguration::defaultHTTPMaximumConnectionsPerHost);
  session->invalidateAndCancel();
  ASSERT_TRUE(delegate->waitForInvalidation());
  ASSERT_TRUE(server.waitUntilNoConnections(std::chrono::seconds(10)));
  EXPECT_LE(openFileDescriptors(), descriptorsBefore);
}

TEST_F(URLSessionLoopback, LargeBodyWaitsForALateAnswerAndArrivesWhole) {
  std::string body(1'500'000, ' ');
  for (std::size_t index = 0; index < body.size(); ++index) body[index] = static_cast<char>('a' + index * 7 % 26);
  std::promise<ResponseCompletionHandler> handed;
  delegate->answerResponsesWith([&](ResponseCompletionHandler handler) { handed.set_value(std::move(handler)); });
  auto echo = request("/echo");
  echo.setHTTPMethod("POST");
  const auto task = session->uploadTaskWithRequestFromData(echo, Data(body));
  task->resume();
  auto handler = handed.get_future().get();
  EXPECT_EQ(task->countOfBytesReceived(), 0);
  std::thread([handler = std::move(handler)] { handler(URLSessionResponseDisposition::allow); }).join();
  const auto record = delegate->waitForCompletion(task);
  ASSERT_EQ(record.errorCode(), 0);
  EXPECT_EQ(record.data.view(), body);
  EXPECT_EQ(task->countOfBytesReceived(), 1'500'000);
}

TEST_F(URLSessionLoopback, CancelWhileTheAnswerIsAwaitedEndsTheTaskOnceAndALateAnswerIsIgnored) {
  std::promise<ResponseCompletionHandler> handed;
  delegate->answerResponsesWith([&](ResponseCompletionHandler handler) { handed.set_value(std::move(handler)); });
  const auto task = session->dataTaskWithRequest(request("/tiny"));
  task->resume();
  auto handler = handed.get_future().get();
  task->cancel();
  const auto record = delegate->waitForCompletion(task);
  handler(URLSessionResponseDisposition::allow);
  EXPECT_EQ(record.errorCode(), -999);
  EXPECT_EQ(record.events, (std::vector<std::string>{"response", "metrics", "complete"}));
}

// However soon it follows the resume, a suspend holds the task: nothing of
// it reaches the delegate until the next resume, which then ends it as
// usual.
TEST_F(URLSessionLoopback, ASuspendRightAfterTheResumeHoldsEverythingUntilTheNextResume) {
  const auto held = session->dataTaskWithRequest(request("/tiny"));
  held->resume();
  held->suspend();
  // Time enough for the held task to have ended, had it gone on.
  ASSERT_EQ(run(session->dataTaskWithRequest(request("/tiny"))).errorCode(), 0);
  EXPECT_EQ(delegate->records().size(), 1u);
  EXPECT_EQ(held->state(), URLSessionTask::State::suspended);
  held->resume();
  const auto record = delegate->waitForCompletion(held);
  EXPECT_EQ(record.errorCode(), 0);
  EXPECT_EQ(record.data.view(), "ok");
  EXPECT_EQ(record.events, (std::vector<std::string>{"response", "data", "metrics", "complete"}));
}
