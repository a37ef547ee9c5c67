#include <gtest/gtest.h>

#include <string>

#include "Platform/URLLoading/URLSessionConfiguration.h"
#include "tests/Integration/RecordingSessionDelegate.h"
#include "tests/servers/CapturingHTTPServer.h"

using namespace platform;

namespace {

// How often a field line of that name starts a line of the head.
int fieldCount(const std::string& head, const std::string& name) {
  int count = 0;
  for (auto at = head.find("\r\n" + name + ":"); at != std::string::npos; at = head.find("\r\n" + name + ":", at + 1)) {
    ++count;
  }
  return count;
}

}  // namespace

// The server gets the session's fields, the request's own (which win over a
// field of the same name) and those the transfer adds by itself, each once;
// the hop's metrics keep the request as its caller made it, without the
// fields added on the way.
TEST(URLSessionSentHeaders, TheServerGetsEveryFieldOnceAndTheHopKeepsTheCallersRequest) {
  testservers::CapturingHTTPServer server;
  auto configuration = URLSessionConfiguration::ephemeralConfiguration();
  configuration->setHTTPAdditionalHeaders(
      HTTPHeaderFields{{"User-Agent", "tester/1"}, {"X-Session", "s"}, {"Accept-Encoding", "gzip"}});
  const auto delegate = std::make_shared<RecordingSessionDelegate>();
  const auto session = makeRecordingSession(delegate, configuration);

  URLRequest get(URL::string(server.baseURL() + "/a?b=1"));
  get.setValueForHTTPHeaderField("r", "X-Request");
  URLRequest post(URL::string(server.baseURL() + "/p"));
  post.setHTTPMethod("POST");
  post.setHTTPBody(Data(std::string("body")));
  post.setValueForHTTPHeaderField("identity", "Accept-Encoding");
  post.setValueForHTTPHeaderField("", "X-Empty");
  for (const auto& request : {get, post}) {
    const auto task = session->dataTaskWithRequest(request);
    task->resume();
    const auto record = delegate->waitForCompletion(task);
    ASSERT_NE(record.metrics, nullptr);
    ASSERT_EQ(record.metrics->transactionMetrics.size(), 1u);
    const auto captured = server.requests().back();
    const auto& head = captured.head;
    for (const char* name : {"Host", "User-Agent", "X-Session", "Accept", "Accept-Encoding"}) {
      EXPECT_EQ(fieldCount(head, name), 1) << name << "\n" << head;
    }
    EXPECT_EQ(captured.field("User-Agent"), "tester/1");
    EXPECT_EQ(captured.field("Accept-Encoding"), request.valueForHTTPHeaderField("Accept-Encoding").value_or("gzip"));
    for (const auto& [name, value] : *request.allHTTPHeaderFields()) {
      EXPECT_EQ(captured.field(name), value) << name << "\n" << head;
    }
    EXPECT_EQ(record.metrics->transactionMetrics[0].request.allHTTPHeaderFields(), request.allHTTPHeaderFields());
  }
  session->invalidateAndCancel();
  EXPECT_TRUE(delegate->waitForInvalidation());
}

// The transfer library leaves out a field given as "Name:" and blanks.
TEST(URLSessionSentHeaders, ABlankFieldGoesOutWithAnEmptyValue) {
  testservers::CapturingHTTPServer server;
  const auto delegate = std::make_shared<RecordingSessionDelegate>();
  const auto session = makeRecordingSession(delegate, URLSessionConfiguration::ephemeralConfiguration());
  URLRequest request(URL::string(server.baseURL() + "/blank"));
  request.setAllHTTPHeaderFields(HTTPHeaderFields{{"X-Empty", ""}, {"X-Blank", " \t "}});
  const auto task = session->dataTaskWithRequest(request);
  task->resume();
  EXPECT_EQ(delegate->waitForCompletion(task).errorCode(), 0);
  ASSERT_EQ(server.requests().size(), 1u);
  const auto captured = server.requests().back();
  for (const char* name : {"X-Empty", "X-Blank"}) {
    EXPECT_EQ(captured.field(name), std::string()) << name << "\n" << captured.head;
  }
  session->invalidateAndCancel();
  EXPECT_TRUE(delegate->waitForInvalidation());
}
