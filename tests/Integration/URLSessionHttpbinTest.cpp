#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

#include "Platform/Foundation/URLError.h"
#include "Platform/Streams/InputStream.h"
#include "tests/Integration/RecordingSessionDelegate.h"
#include "tests/servers/HttpbinServer.h"

using namespace platform;
using testservers::HttpbinServer;
using Clock = std::chrono::steady_clock;

namespace {

URLRequest httpbinRequest(const std::string& path) {
  return URLRequest(URL::string(HttpbinServer::shared().baseURL() + path));
}

nlohmann::json bodyJSON(const TaskRecord& record) { return nlohmann::json::parse(record.data.view()); }

std::string printableBytes(std::size_t count) {
  std::string text(count, ' ');
  for (std::size_t index = 0; index < count; ++index) text[index] = static_cast<char>('a' + index % 26);
  return text;
}

class URLSessionHttpbin : public testing::Test {
 protected:
  void TearDown() override {
    session->invalidateAndCancel();
    EXPECT_TRUE(delegate->waitForInvalidation());
    EXPECT_EQ(delegate->lateCallbacks(), 0);
  }

  TaskRecord run(const std::shared_ptr<URLSessionTask>& task) {
    task->resume();
    return delegate->waitForCompletion(task);
  }

  std::shared_ptr<RecordingSessionDelegate> delegate = std::make_shared<RecordingSessionDelegate>();
  std::shared_ptr<URLSession> session = makeRecordingSession(delegate);
};

}  // namespace

TEST_F(URLSessionHttpbin, GetDeliversResponseThenDataThenMetricsThenCompletionOnTheDelegateQueue) {
  const auto task = session->dataTaskWithRequest(httpbinRequest("/get"));
  EXPECT_EQ(task->state(), URLSessionTask::State::suspended);
  const auto record = run(task);

  ASSERT_GE(record.events.size(), 4u);
  EXPECT_EQ(record.events.front(), "response");
  EXPECT_EQ(record.events[record.events.size() - 2], "metrics");
  EXPECT_EQ(record.events.back(), "complete");
  EXPECT_EQ(record.count("data"), static_cast<int>(record.events.size()) - 3);
  EXPECT_TRUE(record.everyCallbackOnDelegateQueue);
  EXPECT_EQ(record.errorCode(), 0);

  const auto response = std::dynamic_pointer_cast<HTTPURLResponse>(record.response);
  ASSERT_TRUE(response);
  EXPECT_EQ(response->statusCode(), 200);
  EXPECT_EQ(bodyJSON(record)["url"], HttpbinServer::shared().baseURL() + "/get");
  EXPECT_EQ(task->state(), URLSessionTask::State::completed);
  EXPECT_EQ(task->response(), record.response);
  EXPECT_EQ(task->countOfBytesReceived(), static_cast<std::int64_t>(record.data.size()));

  ASSERT_TRUE(record.metrics);
  ASSERT_EQ(record.metrics->transactionMetrics.size(), 1u);
  const auto& transaction = record.metrics->transactionMetrics.front();
  EXPECT_EQ(transaction.networkProtocolName, "http/1.1");
  EXPECT_EQ(transaction.response, record.response);
  for (const auto& date : {transaction.fetchStartDate, transaction.connectStartDate, transaction.connectEndDate,
                           transaction.requestStartDate, transaction.requestEndDate, transaction.responseStartDate,
                           transaction.responseEndDate}) {
    ASSERT_TRUE(date.has_value());
    EXPECT_GE(*date, *transaction.fetchStartDate);
    EXPECT_LE(*date, *transaction.responseEndDate);
  }
  EXPECT_LE(*transaction.requestEndDate, *transaction.responseStartDate);
  EXPECT_FALSE(transaction.secureConnectionStartDate);
  EXPECT_GT(transaction.countOfRequestHeaderBytesSent, 0);
  EXPECT_GT(transaction.countOfResponseHeaderBytesReceived, 0);
  EXPECT_EQ(transaction.countOfResponseBodyBytesAfterDecoding, static_cast<std::int64_t>(record.data.size()));
  EXPECT_GE(record.metrics->taskInterval.end(), *transaction.responseEndDate);
}

TEST_F(URLSessionHttpbin, CancelDispositionDeliversNoDataButMetricsAndCancelled) {
  delegate->answerResponsesWith(
      [](ResponseCompletionHandler handler) { handler(URLSessionResponseDisposition::cancel); });
  const auto record = run(session->dataTaskWithRequest(httpbinRequest("/bytes/1000")));
  EXPECT_EQ(record.events, (std::vector<std::string>{"response", "metrics", "complete"}));
  EXPECT_EQ(record.errorCode(), -999);
  ASSERT_TRUE(record.metrics);
  EXPECT_EQ(record.metrics->transactionMetrics.size(), 1u);
}

TEST_F(URLSessionHttpbin, DroppedResponseHandlerCountsAsCancel) {
  delegate->answerResponsesWith([](ResponseCompletionHandler) {});
  const auto record = run(session->dataTaskWithRequest(httpbinRequest("/bytes/10")));
  EXPECT_EQ(record.errorCode(), -999);
  EXPECT_EQ(record.count("data"), 0);
}

TEST_F(URLSessionHttpbin, ResponseAnsweredLaterFromAnotherThreadStillDeliversTheBody) {
  std::promise<ResponseCompletionHandler> handed;
  delegate->answerResponsesWith([&](ResponseCompletionHandler handler) { handed.set_value(std::move(handler)); });
  const auto withBody = session->dataTaskWithRequest(httpbinRequest("/bytes/5000"));
  withBody->resume();
  std::thread([handler = handed.get_future().get()] { handler(URLSessionResponseDisposition::allow); }).join();
  const auto record = delegate->waitForCompletion(withBody);
  EXPECT_EQ(record.errorCode(), 0);
  EXPECT_EQ(record.data.size(), 5000u);
}

TEST_F(URLSessionHttpbin, EmptyBodyCompletesOnlyAfterTheResponseIsAnswered) {
  std::promise<ResponseCompletionHandler> handed;
  delegate->answerResponsesWith([&](ResponseCompletionHandler handler) { handed.set_value(std::move(handler)); });
  const auto task = session->dataTaskWithRequest(httpbinRequest("/status/204"));
  task->resume();
  auto handler = handed.get_future().get();
  EXPECT_NE(task->state(), URLSessionTask::State::completed);
  handler(URLSessionResponseDisposition::allow);
  const auto record = delegate->waitForCompletion(task);
  EXPECT_EQ(record.events, (std::vector<std::string>{"response", "metrics", "complete"}));
  EXPECT_EQ(record.errorCode(), 0);
}

TEST_F(URLSessionHttpbin, CancelDuringASlowResponseCompletesWithinOneSecond) {
  const auto task = session->dataTaskWithRequest(httpbinRequest("/delay/5"));
  task->resume();
  // Resumed later, finished first: by then the slow request is out.
  EXPECT_EQ(run(session->dataTaskWithRequest(httpbinRequest("/get"))).errorCode(), 0);
  const auto cancelled = Clock::now();
  task->cancel();
  // Canceling until the engine has taken the command, completed after.
  EXPECT_NE(task->state(), URLSessionTask::State::running);
  const auto record = delegate->waitForCompletion(task);
  EXPECT_LT(Clock::now() - cancelled, std::chrono::seconds(1));
  EXPECT_EQ(record.errorCode(), -999);
  EXPECT_EQ(record.events, (std::vector<std::string>{"metrics", "complete"}));
  EXPECT_EQ(task->state(), URLSessionTask::State::completed);
  ASSERT_EQ(record.metrics->transactionMetrics.size(), 1u);
  EXPECT_TRUE(record.metrics->transactionMetrics.front().requestStartDate);
  EXPECT_FALSE(record.metrics->transactionMetrics.front().responseStartDate);
}

TEST_F(URLSessionHttpbin, OneSecondTimeOutOnASlowResponseTimesOut) {
  auto request = httpbinRequest("/delay/5");
  request.setTimeoutInterval(1);
  const auto started = Clock::now();
  const auto record = run(session->dataTaskWithRequest(request));
  EXPECT_EQ(record.errorCode(), -1001);
  EXPECT_GE(Clock::now() - started, std::chrono::milliseconds(900));
  EXPECT_LT(Clock::now() - started, std::chrono::seconds(4));
  ASSERT_TRUE(record.metrics);
  EXPECT_EQ(record.metrics->transactionMetrics.size(), 1u);
}

TEST_F(URLSessionHttpbin, UnknownHostCannotBeFound) {
  // A label longer than 63 characters fails to resolve without any query
  // leaving the machine.
  const auto record = run(session->dataTaskWithURL(*URL::string("http://" + std::string(64, 'a') + ".test/get")));
  EXPECT_EQ(record.errorCode(), -1003);
  EXPECT_EQ(record.events, (std::vector<std::string>{"metrics", "complete"}));
}

TEST_F(URLSessionHttpbin, OneMegabytePostIsEchoedByteExactWithSendProgressReachingTheTotal) {
  const std::string body = printableBytes(1024 * 1024);
  auto request = httpbinRequest("/post");
  request.setHTTPMethod("POST");
  request.setValueForHTTPHeaderField("text/plain", "Content-Type");
  const auto task = session->uploadTaskWithRequestFromData(request, Data(body));
  const auto record = run(task);
  ASSERT_EQ(record.errorCode(), 0);
  EXPECT_EQ(bodyJSON(record)["data"], body);
  EXPECT_GE(record.count("sent"), 1);
  EXPECT_EQ(record.totalBytesSent, 1'048'576);
  EXPECT_EQ(record.totalBytesExpectedToSend, 1'048'576);
  EXPECT_EQ(task->countOfBytesSent(), 1'048'576);
  EXPECT_EQ(record.metrics->transactionMetrics.front().countOfRequestBodyBytesSent, 1'048'576);
  // Progress comes before the response.
  EXPECT_EQ(record.events.front(), "sent");
}

TEST_F(URLSessionHttpbin, StreamedUploadAsksForItsBodyStreamOnce) {
  const std::string body = printableBytes(300'000);
  delegate->answerBodyStreamsWith([&] { return InputStream::fromData(Data(body)); });
  auto request = httpbinRequest("/post");
  request.setHTTPMethod("POST");
  request.setValueForHTTPHeaderField("text/plain", "Content-Type");
  const auto record = run(session->uploadTaskWithStreamedRequest(request));
  ASSERT_EQ(record.errorCode(), 0);
  EXPECT_EQ(record.bodyStreamRequests, 1);
  EXPECT_EQ(record.events.front(), "needStream");
  EXPECT_EQ(bodyJSON(record)["data"], body);
  EXPECT_EQ(record.totalBytesSent, 300'000);
  EXPECT_EQ(record.totalBytesExpectedToSend, -1);
}

TEST_F(URLSessionHttpbin, StreamedUploadWithoutAStreamFailsWithBodyStreamExhausted) {
  auto request = httpbinRequest("/post");
  request.setHTTPMethod("POST");
  const auto record = run(session->uploadTaskWithStreamedRequest(request));
  EXPECT_EQ(record.errorCode(), -1021);
  EXPECT_EQ(record.metrics->transactionMetrics.size(), 0u);
}

TEST_F(URLSessionHttpbin, FileUploadSendsTheFile) {
  const auto path = std::filesystem::temp_directory_path() / "wendalore-upload-test.txt";
  const std::string body = printableBytes(70'000);
  std::ofstream(path, std::ios::binary) << body;
  auto request = httpbinRequest("/put");
  request.setHTTPMethod("PUT");
  request.setValueForHTTPHeaderField("text/plain", "Content-Type");
  const auto record = run(session->uploadTaskWithRequestFromFile(request, URL::fileURL(path.string())));
  std::filesystem::remove(path);
  ASSERT_EQ(record.errorCode(), 0);
  EXPECT_EQ(bodyJSON(record)["data"], body);
  EXPECT_EQ(record.totalBytesExpectedToSend, 70'000);
}

TEST_F(URLSessionHttpbin, MissingUploadFileFailsBeforeAnythingIsSent) {
  auto request = httpbinRequest("/post");
  request.setHTTPMethod("POST");
  const auto record =
      run(session->uploadTaskWithRequestFromFile(request, URL::fileURL("/nonexistent/wendalore-upload")));
  EXPECT_EQ(record.errorCode(), -1100);
  EXPECT_EQ(record.metrics->transactionMetrics.size(), 0u);
}

TEST_F(URLSessionHttpbin, SecondRequestToTheSameHostReusesTheConnection) {
  const auto first = run(session->dataTaskWithRequest(httpbinRequest("/get")));
  const auto second = run(session->dataTaskWithRequest(httpbinRequest("/get")));
  const auto& fresh = first.metrics->transactionMetrics.at(0);
  const auto& reused = second.metrics->transactionMetrics.at(0);
  EXPECT_FALSE(fresh.isReusedConnection);
  // The server is named by its address: nothing to look up.
  EXPECT_FALSE(fresh.domainLookupStartDate || fresh.domainLookupEndDate);
  EXPECT_TRUE(fresh.connectStartDate && fresh.connectEndDate);
  EXPECT_TRUE(reused.isReusedConnection);
  EXPECT_FALSE(reused.domainLookupStartDate || reused.domainLookupEndDate);
  EXPECT_FALSE(reused.connectStartDate || reused.connectEndDate);
  EXPECT_FALSE(reused.secureConnectionStartDate || reused.secureConnectionEndDate);
  EXPECT_TRUE(reused.requestStartDate && reused.responseEndDate);
}

TEST_F(URLSessionHttpbin, AServerNamedByANameIsLookedUpFirst) {
  const auto port = std::to_string(*URL::string(HttpbinServer::shared().baseURL())->port());
  const auto record = run(session->dataTaskWithRequest(URLRequest(URL::string("http://localhost:" + port + "/get"))));
  ASSERT_EQ(record.errorCode(), 0);
  const auto& transaction = record.metrics->transactionMetrics.at(0);
  ASSERT_TRUE(transaction.domainLookupStartDate && transaction.domainLookupEndDate);
  EXPECT_EQ(transaction.domainLookupStartDate, transaction.fetchStartDate);
  EXPECT_EQ(transaction.connectStartDate, transaction.domainLookupEndDate);
}

TEST_F(URLSessionHttpbin, CompressedBodiesArriveDecodedWithTheRequestsOwnAcceptEncoding) {
  for (const std::string encoding : {"gzip", "deflate", "brotli"}) {
    auto request = httpbinRequest("/" + encoding);
    request.setValueForHTTPHeaderField("br;q=1.0, gzip;q=0.9, deflate;q=0.8", "Accept-Encoding");
    const auto record = run(session->dataTaskWithRequest(request));
    ASSERT_EQ(record.errorCode(), 0) << encoding;
    const auto json = bodyJSON(record);
    EXPECT_EQ(json["headers"]["Accept-Encoding"], "br;q=1.0, gzip;q=0.9, deflate;q=0.8") << encoding;
    const auto& transaction = record.metrics->transactionMetrics.at(0);
    EXPECT_EQ(transaction.countOfResponseBodyBytesAfterDecoding, static_cast<std::int64_t>(record.data.size()));
    EXPECT_NE(transaction.countOfResponseBodyBytesReceived, transaction.countOfResponseBodyBytesAfterDecoding);
  }
}

TEST_F(URLSessionHttpbin, AdditionalHeadersGoUnderTheRequestsOwnAndStayOutOfTheRequest) {
  auto configuration = URLSessionConfiguration::ephemeralConfiguration();
  configuration->setHTTPAdditionalHeaders(
      HTTPHeaderFields{{"X-From-Configuration", "configuration"}, {"X-Both", "configuration"}});
  session->invalidateAndCancel();
  EXPECT_TRUE(delegate->waitForInvalidation());
  delegate = std::make_shared<RecordingSessionDelegate>();
  session = makeRecordingSession(delegate, configuration);

  auto request = httpbinRequest("/headers");
  request.setValueForHTTPHeaderField("request", "x-both");
  request.setValueForHTTPHeaderField("", "X-Empty");
  const auto task = session->dataTaskWithRequest(request);
  const auto record = run(task);
  const auto headers = bodyJSON(record)["headers"];
  EXPECT_EQ(headers["X-From-Configuration"], "configuration");
  EXPECT_EQ(headers["X-Both"], "request");
  EXPECT_EQ(headers["X-Empty"], "");
  EXPECT_FALSE(task->currentRequest()->valueForHTTPHeaderField("X-From-Configuration"));
  EXPECT_FALSE(task->originalRequest()->valueForHTTPHeaderField("X-From-Configuration"));
}

TEST_F(URLSessionHttpbin, HeadRequestEndsWithoutABody) {
  auto request = httpbinRequest("/get");
  request.setHTTPMethod("HEAD");
  const auto record = run(session->dataTaskWithRequest(request));
  EXPECT_EQ(record.errorCode(), 0);
  EXPECT_EQ(record.count("data"), 0);
  EXPECT_EQ(std::dynamic_pointer_cast<HTTPURLResponse>(record.response)->statusCode(), 200);
}

TEST_F(URLSessionHttpbin, SuspendedTaskResumesAndCompletes) {
  const auto task = session->dataTaskWithRequest(httpbinRequest("/bytes/100000"));
  delegate->onData([](const std::shared_ptr<URLSessionDataTask>& running) {
    running->suspend();
    running->resume();
  });
  const auto record = run(task);
  EXPECT_EQ(record.errorCode(), 0);
  EXPECT_EQ(record.data.size(), 100'000u);
}

TEST_F(URLSessionHttpbin, InvalidateAndCancelCompletesEveryTaskBeforeTheInvalidation) {
  std::vector<std::shared_ptr<URLSessionTask>> tasks;
  for (int index = 0; index < 3; ++index) {
    tasks.push_back(session->dataTaskWithRequest(httpbinRequest("/delay/5")));
    tasks.back()->resume();
  }
  tasks.push_back(session->dataTaskWithRequest(httpbinRequest("/get")));
  session->invalidateAndCancel();
  EXPECT_TRUE(delegate->waitForInvalidation(std::chrono::seconds(2)));
  const auto records = delegate->records();
  ASSERT_EQ(records.size(), tasks.size());
  for (const auto& record : records) {
    EXPECT_EQ(record.events, (std::vector<std::string>{"metrics", "complete"}));
    EXPECT_EQ(record.errorCode(), -999);
  }
  EXPECT_EQ(session->delegate(), nullptr);

  const auto late = session->dataTaskWithRequest(httpbinRequest("/get"));
  EXPECT_EQ(late->state(), URLSessionTask::State::completed);
  late->resume();
  EXPECT_EQ(errorAs<URLError>(late->error())->code(), URLError::Code::cancelled);
}

TEST_F(URLSessionHttpbin, FinishTasksAndInvalidateLetsRunningTasksFinish) {
  const auto task = session->dataTaskWithRequest(httpbinRequest("/delay/1"));
  task->resume();
  session->finishTasksAndInvalidate();
  EXPECT_EQ(delegate->waitForCompletion(task).errorCode(), 0);
  EXPECT_TRUE(delegate->waitForInvalidation());
}
