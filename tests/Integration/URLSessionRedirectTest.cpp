#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "Platform/Foundation/URLError.h"
#include "Platform/Streams/InputStream.h"
#include "tests/Integration/DecidingSessionTest.h"
#include "tests/servers/HttpbinServer.h"

using namespace platform;
using testservers::HttpbinServer;

namespace {

using URLSessionRedirect = DecidingSessionTest;

// A text body, so that httpbin shows it as data rather than as a form.
URLRequest withTextBody(const std::string& path, const std::string& method, std::optional<std::string> body) {
  auto request = DecidingSessionTest::httpbinRequest(path);
  request.setHTTPMethod(method);
  request.setValueForHTTPHeaderField("text/plain", "Content-Type");
  if (body) request.setHTTPBody(Data(*body));
  return request;
}

std::string redirectTo(const std::string& target, int status) {
  return "/redirect-to?url=" + target + "&status_code=" + std::to_string(status);
}

}  // namespace

TEST_F(URLSessionRedirect, ThreeRedirectsAreThreeCallbacksAndFourTransactions) {
  const auto task = session->dataTaskWithRequest(httpbinRequest("/redirect/3"));
  const auto record = run(task);
  ASSERT_EQ(record.errorCode(), 0);
  EXPECT_EQ(statusCode(record), 200);
  EXPECT_EQ(record.count("response"), 1);

  const auto redirects = delegate->redirects();
  ASSERT_EQ(redirects.size(), 3u);
  for (const auto& redirect : redirects) EXPECT_EQ(redirect.statusCode, 302);
  EXPECT_EQ(redirects[0].newRequest.url()->absoluteString(),
            HttpbinServer::shared().baseURL() + "/relative-redirect/2");
  EXPECT_EQ(redirects[2].newRequest.url()->absoluteString(), HttpbinServer::shared().baseURL() + "/get");

  ASSERT_TRUE(record.metrics);
  EXPECT_EQ(record.metrics->redirectCount, 3);
  const auto& transactions = record.metrics->transactionMetrics;
  ASSERT_EQ(transactions.size(), 4u);
  EXPECT_EQ(transactions[0].request.url()->absoluteString(), HttpbinServer::shared().baseURL() + "/redirect/3");
  EXPECT_EQ(std::dynamic_pointer_cast<HTTPURLResponse>(transactions[0].response)->statusCode(), 302);
  EXPECT_EQ(transactions[3].response, record.response);
  EXPECT_EQ(task->currentRequest()->url(), redirects[2].newRequest.url());
  EXPECT_EQ(task->originalRequest()->url()->absoluteString(), HttpbinServer::shared().baseURL() + "/redirect/3");
}

TEST_F(URLSessionRedirect, AnsweringNoneDeliversTheRedirectResponseItself) {
  delegate->answerRedirectsWith([](const HTTPURLResponse&, const URLRequest&) { return std::nullopt; });
  const auto record = run(httpbinRequest("/redirect/3"));
  EXPECT_EQ(record.errorCode(), 0);
  EXPECT_EQ(statusCode(record), 302);
  EXPECT_EQ(delegate->redirects().size(), 1u);
  EXPECT_EQ(record.events.front(), "response");
  EXPECT_EQ(record.metrics->transactionMetrics.size(), 1u);
  EXPECT_EQ(record.metrics->redirectCount, 0);
}

TEST_F(URLSessionRedirect, TheDelegatesRequestIsTheOneFollowed) {
  delegate->answerRedirectsWith([](const HTTPURLResponse&, const URLRequest&) {
    auto changed = DecidingSessionTest::httpbinRequest("/headers");
    changed.setValueForHTTPHeaderField("chosen", "X-Delegate");
    return std::optional(changed);
  });
  const auto record = run(httpbinRequest("/redirect/1"));
  ASSERT_EQ(record.errorCode(), 0);
  EXPECT_EQ(bodyJSON(record)["headers"]["X-Delegate"], "chosen");
}

TEST_F(URLSessionRedirect, MethodAndBodyFollowTheStatus) {
  const std::string body = "the body";
  for (const int status : {301, 302, 303, 307, 308}) {
    const auto record = run(withTextBody(redirectTo("/anything", status), "POST", body));
    ASSERT_EQ(record.errorCode(), 0) << status;
    const auto json = bodyJSON(record);
    const bool keeps = status == 307 || status == 308;
    EXPECT_EQ(json["method"], keeps ? "POST" : "GET") << status;
    EXPECT_EQ(json["data"], keeps ? body : "") << status;
    EXPECT_EQ(json["headers"].contains("Content-Type"), keeps) << status;
    const auto proposed = delegate->redirects().back().newRequest;
    EXPECT_EQ(proposed.httpBody().has_value(), keeps) << status;
    EXPECT_EQ(proposed.valueForHTTPHeaderField("Content-Type").has_value(), keeps) << status;
  }
}

TEST_F(URLSessionRedirect, UploadKeepsItsBodyOnlyWhereTheMethodStays) {
  const auto turned = run(
      session->uploadTaskWithRequestFromData(withTextBody(redirectTo("/anything", 303), "PUT", {}), Data("upload")));
  EXPECT_EQ(bodyJSON(turned)["method"], "GET");
  EXPECT_EQ(bodyJSON(turned)["data"], "");

  const auto kept = run(
      session->uploadTaskWithRequestFromData(withTextBody(redirectTo("/anything", 308), "PUT", {}), Data("upload")));
  EXPECT_EQ(bodyJSON(kept)["method"], "PUT");
  EXPECT_EQ(bodyJSON(kept)["data"], "upload");
}

TEST_F(URLSessionRedirect, AStreamedBodyIsNeverReplayedOnA307) {
  const std::string body = "streamed";
  delegate->answerBodyStreamsWith([&] { return InputStream::fromData(Data(body)); });
  auto request = withTextBody(redirectTo("/post", 307), "POST", {});
  const auto streamed = run(session->uploadTaskWithStreamedRequest(request));
  ASSERT_EQ(streamed.errorCode(), 0);
  EXPECT_EQ(streamed.bodyStreamRequests, 2);
  EXPECT_EQ(bodyJSON(streamed)["data"], body);

  // The request's own stream went with the first hop; without a new one
  // the task cannot go on.
  delegate->answerBodyStreamsWith([] { return nullptr; });
  request.setHTTPBodyStream(InputStream::fromData(Data(body)));
  const auto exhausted = run(request);
  EXPECT_EQ(exhausted.errorCode(), -1021);
  EXPECT_EQ(exhausted.bodyStreamRequests, 1);
  EXPECT_EQ(exhausted.metrics->transactionMetrics.size(), 1u);
}

TEST_F(URLSessionRedirect, MoreThanSixteenRedirectsFail) {
  const auto record = run(httpbinRequest("/redirect/17"));
  EXPECT_EQ(record.errorCode(), -1007);
  EXPECT_EQ(delegate->redirects().size(), 16u);
  EXPECT_EQ(record.metrics->transactionMetrics.size(), 17u);
  EXPECT_EQ(record.metrics->redirectCount, 16);
  EXPECT_EQ(record.count("response"), 0);
}

TEST_F(URLSessionRedirect, ASessionWithoutDelegateFollowsOnItsOwn) {
  auto silent = URLSession::make(URLSessionConfiguration::ephemeralConfiguration());
  const auto task = silent->dataTaskWithRequest(httpbinRequest("/redirect/2"));
  task->resume();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (task->state() != URLSessionTask::State::completed && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(task->error(), nullptr);
  EXPECT_EQ(std::dynamic_pointer_cast<HTTPURLResponse>(task->response())->statusCode(), 200);
  EXPECT_EQ(task->currentRequest()->url()->absoluteString(), HttpbinServer::shared().baseURL() + "/get");
  silent->finishTasksAndInvalidate();
}

TEST_F(URLSessionRedirect, AnotherHostDoesNotGetTheRequestsOwnAuthorizationOrCookie) {
  const auto target = "http://localhost:" + std::to_string(HttpbinServer::shared().port()) + "/headers";
  auto request = httpbinRequest(redirectTo(target, 302));
  request.setValueForHTTPHeaderField("Basic dXNlcjpwYXNzd2Q=", "Authorization");
  request.setValueForHTTPHeaderField("session=secret", "Cookie");
  request.setValueForHTTPHeaderField("kept", "X-Other");
  const auto record = run(request);
  ASSERT_EQ(record.errorCode(), 0);
  const auto headers = bodyJSON(record)["headers"];
  EXPECT_FALSE(headers.contains("Authorization"));
  EXPECT_FALSE(headers.contains("Cookie"));
  EXPECT_EQ(headers["X-Other"], "kept");
}
