#include <gtest/gtest.h>

#include <string>

#include "Platform/URLLoading/URLSessionConfiguration.h"
#include "tests/Integration/RecordingSessionDelegate.h"
#include "tests/servers/CapturingHTTPServer.h"

using namespace platform;

namespace {

// The field lines as the library writes them, without the request line.
std::string fieldLines(const HTTPHeaderFields& fields) {
  std::string lines;
  for (const auto& [name, value] : fields) lines += "\r\n" + name + (value.empty() ? ":" : ": " + value);
  return lines;
}

}  // namespace

// The metrics of a hop tell every field the server received, in its order:
// the session's, the request's and those the transfer adds on its own.
TEST(URLSessionSentHeaders, TheTransactionTellsTheFieldsTheServerReceived) {
  testservers::CapturingHTTPServer server;
  auto configuration = URLSessionConfiguration::ephemeralConfiguration();
  configuration->setHTTPAdditionalHeaders(HTTPHeaderFields{{"User-Agent", "tester/1"}, {"X-Session", "s"}});
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
    const auto& sent = record.metrics->transactionMetrics[0].sentHeaderFields;
    ASSERT_TRUE(sent.has_value());
    const auto head = server.requests().back().head;
    EXPECT_EQ(fieldLines(*sent), head.substr(head.find("\r\n"))) << head;
    EXPECT_TRUE(valueOfHeaderField(*sent, "Accept").has_value()) << head;
    EXPECT_EQ(valueOfHeaderField(*sent, "User-Agent"), "tester/1");
  }
  session->invalidateAndCancel();
  EXPECT_TRUE(delegate->waitForInvalidation());
}
