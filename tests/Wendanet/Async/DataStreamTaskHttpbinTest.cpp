#include <string>
#include <vector>

#include "Wendanet/Source/Async/DataStreamTask.h"
#include "Wendanet/Source/Async/RequestEventStreams.h"
#include "Wendanet/Source/Async/ResponseTaskBuilders.h"
#include "tests/Wendanet/Async/AsyncTestSupport.h"

using namespace wendanet;
using wendanet::testing::AsyncHttpbinTest;
using wendanet::testing::collect;
using wendanet::testing::eventually;
using Policy = platform::StreamBufferingPolicy;

namespace {

class DataStreamTasks : public AsyncHttpbinTest {};
using TextStream = DataStreamTask::Stream<std::string, Never>;

// The body's lines, and whether the last element was the completion.
struct Lines {
  std::vector<std::string> lines;
  bool endedWithCompletion = false;
};

Lines linesOf(const std::vector<TextStream>& received) {
  Lines result;
  std::string text;
  for (const auto& stream : received) {
    if (auto chunk = stream.value()) text += *chunk;
  }
  for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    result.lines.push_back(text.substr(start, end - start));
  }
  result.endedWithCompletion = !received.empty() && received.back().completion().has_value();
  return result;
}

}  // namespace

TEST_F(DataStreamTasks, AStreamedBodyArrivesLineByLineThenItsCompletion) {
  const auto task = makeDataStreamTask(session->streamRequestWithoutParameters(url("/stream/20")));
  const auto received = collect<TextStream>(task.stringStream().makeAsyncIterator()).wait();
  const auto [lines, endedWithCompletion] = linesOf(received);
  ASSERT_EQ(lines.size(), 20U);
  for (std::size_t index = 0; index < lines.size(); ++index) {
    EXPECT_NE(lines[index].find("\"id\": " + std::to_string(index)), std::string::npos) << lines[index];
  }
  EXPECT_TRUE(endedWithCompletion);
  EXPECT_FALSE(received.back().completion()->error.has_value());
  // The loop ran to the end: the finished request is not cancelled.
  EXPECT_TRUE(eventually([&] { return task.request()->isFinished(); }));
}

TEST_F(DataStreamTasks, LeavingTheLoopEarlyCancelsTheRequestOnlyWhenAsked) {
  for (const bool automaticallyCancelling : {true, false}) {
    auto request = session->streamRequestWithoutParameters(url("/drip?duration=1&numbytes=4&delay=0"));
    const auto task = makeDataStreamTask(request);
    const auto first = collect<DataStreamTask::Stream<platform::Data, Never>>(
                           task.dataStream(automaticallyCancelling).makeAsyncIterator(), 1)
                           .wait();
    ASSERT_EQ(first.size(), 1U);
    EXPECT_EQ(request->isCancelled(), automaticallyCancelling) << "automatically cancelling: " << automaticallyCancelling;
    if (!automaticallyCancelling) {
      EXPECT_TRUE(eventually([&] { return request->isFinished(); }));
    }
  }
}

TEST_F(DataStreamTasks, AChunkThatDoesNotDecodeComesAsAFailure) {
  struct Number {
    int value = 0;
    static constexpr auto codingFields() { return std::tuple{platform::field("value", &Number::value)}; }
  };
  const auto task = makeDataStreamTask(session->streamRequestWithoutParameters(url("/bytes/16")));
  using Stream = DataStreamTask::Stream<Number, WNError>;
  const auto received = collect<Stream>(task.decodableStream<Number>().makeAsyncIterator()).wait();
  ASSERT_GE(received.size(), 2U);
  EXPECT_TRUE(received.front().error().has_value());
  EXPECT_TRUE(received.back().completion().has_value());
}

class EventStreams : public AsyncHttpbinTest {};

TEST_F(EventStreams, ARunningRequestHandsOutItsURLRequestAndResponse) {
  auto request = session->requestWithParameters(url("/get"), HTTPMethod::get(), std::nullopt, nullptr, std::nullopt,
                                                nullptr, /*shouldAutomaticallyResume=*/false);
  auto urlRequests = urlRequestStream(request, Policy::unbounded()).makeAsyncIterator();
  auto responses = httpResponseStream(request, Policy::unbounded()).makeAsyncIterator();
  auto curl = cURLDescriptionStream(request, Policy::unbounded()).makeAsyncIterator();
  request->resume();
  const auto requests = collect<platform::URLRequest>(std::move(urlRequests)).wait();
  ASSERT_EQ(requests.size(), 1U);
  EXPECT_EQ(requests.front().url()->absoluteString(), testservers::HttpbinServer::shared().baseURL() + "/get");
  const auto received = collect<HTTPResponsePointer>(std::move(responses)).wait();
  ASSERT_EQ(received.size(), 1U);
  EXPECT_EQ(received.front()->statusCode(), 200);
  const auto texts = collect<std::string>(std::move(curl)).wait();
  ASSERT_EQ(texts.size(), 1U);
  EXPECT_TRUE(texts.front().starts_with("$ curl")) << texts.front();
}

TEST_F(EventStreams, AStreamOverAnEndedRequestEndsAtOnce) {
  auto finished = session->requestWithParameters(url("/get"));
  ASSERT_TRUE(dataTaskForData(finished).waitForResponse().result().has_value());
  ASSERT_TRUE(eventually([&] { return finished->isFinished(); }));
  auto cancelled = session->requestWithParameters(url("/get"));
  cancelled->cancel();
  ASSERT_TRUE(eventually([&] { return cancelled->isCancelled(); }));

  for (const auto& request : {finished, cancelled}) {
    // Both made their URL request and task, which a new registration is
    // handed again; the stream has ended by then, so nothing comes through.
    for (int round = 0; round < 20; ++round) {
      EXPECT_TRUE(collect<platform::URLRequest>(urlRequestStream(request, Policy::unbounded()).makeAsyncIterator())
                      .wait()
                      .empty());
      EXPECT_TRUE(collect<std::shared_ptr<platform::URLSessionTask>>(
                      urlSessionTaskStream(request, Policy::unbounded()).makeAsyncIterator())
                      .wait()
                      .empty());
      EXPECT_TRUE(collect<std::string>(cURLDescriptionStream(request, Policy::unbounded()).makeAsyncIterator())
                      .wait()
                      .empty());
    }
    EXPECT_TRUE(collect<HTTPResponsePointer>(httpResponseStream(request, Policy::unbounded()).makeAsyncIterator())
                    .wait()
                    .empty());
  }
}

namespace {

platform::Task<Request::ResponseDisposition> answering(Request::ResponseDisposition disposition) {
  co_return disposition;
}

}  // namespace

TEST_F(EventStreams, AnAsynchronousAnswerDecidesWhetherTheResponseGoesOn) {
  for (const auto disposition : {Request::ResponseDisposition::allow, Request::ResponseDisposition::cancel}) {
    auto request = session->requestWithParameters(url("/get"));
    onHTTPResponseAsync(*request, [disposition](const HTTPResponsePointer&) { return answering(disposition); });
    const auto response = dataTaskForData(request).waitForResponse();
    if (disposition == Request::ResponseDisposition::allow) {
      EXPECT_TRUE(response.result().has_value());
    } else {
      ASSERT_TRUE(response.error().has_value());
      EXPECT_TRUE(response.error()->isExplicitlyCancelled());
    }
  }
}
