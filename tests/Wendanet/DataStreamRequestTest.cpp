#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Wendanet/Source/Core/DataStreamRequest.h"
#include "tests/Wendanet/DataRequestFixture.h"
#include "tests/Wendanet/TestErrors.h"

using namespace wendanet;
using namespace wendanet::testing;
using Lines = std::vector<std::string>;
using platform::Data;
using Disposition = platform::URLSessionResponseDisposition;

namespace {

const auto& mainQueue = platform::DispatchQueue::main();

// Decoding failures run over several lines; the first says enough.
std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

// Logs what a stream request reports, as short texts.
class StreamEventLog final : public EventMonitor {
  using R = const std::shared_ptr<Request>&;
  using S = const std::shared_ptr<DataStreamRequest>&;

 public:
  explicit StreamEventLog(std::shared_ptr<Log> log) : log_(std::move(log)) {}
  void requestDidCancel(R) override { log_->add("didCancel"); }
  void requestDidFinish(R) override { log_->add("didFinish"); }
  void requestDidParseStream(S, const Result<AnyValue>& result) override {
    log_->add("parsed " + (result ? result->description() : firstLine(result.error().errorDescription())));
  }
  void requestDidValidateRequestResponseWithResult(S, const std::optional<platform::URLRequest>&,
                                                   const std::shared_ptr<const platform::HTTPURLResponse>&,
                                                   const ValidationResult& result) override {
    log_->add("validated " + (result ? std::string("ok") : result.error()->description()));
  }

 private:
  std::shared_ptr<Log> log_;
};

// Writes "<name> <value>" per chunk (failures by their message) and
// "<name> complete <error>" for the completion.
template <class Success, class Failure>
DataStreamRequest::Handler<Success, Failure> logging(std::shared_ptr<Log> seen, std::string name) {
  return [seen, name](const DataStreamRequest::Stream<Success, Failure>& stream) {
    if (const auto completion = stream.completion())
      return seen->add(name + " complete " + errorText(completion->error));
    if constexpr (std::same_as<Failure, WNError>) {
      if (const auto error = stream.error()) return seen->add(name + " " + firstLine(error->errorDescription()));
    }
    if constexpr (std::same_as<Success, Data>) {
      seen->add(name + " " + stream.value()->toString());
    } else {
      seen->add(name + " " + valueText(*stream.value()));
    }
  };
}

// Stream requests of a fake session, driven as the session drives them.
// Handlers write to `seen`, the monitor and the delegate to `log`.
class DataStreamRequestFixture : public ::testing::Test {
 protected:
  std::shared_ptr<DataStreamRequest> makeStreamRequest(bool automaticallyCancelOnStreamError = false) {
    return DataStreamRequest::make({.underlyingQueue = underlying,
                                    .serializationQueue = testQueue("org.wendanet.test.serialization"),
                                    .eventMonitor = std::make_shared<StreamEventLog>(log),
                                    .delegate = delegate,
                                    .shouldAutomaticallyResume = false},
                                   std::make_shared<ConvertibleURLRequest>(urlRequest),
                                   automaticallyCancelOnStreamError);
  }

  std::shared_ptr<FakeTask> startAttempt() {
    auto task = std::make_shared<FakeTask>(log, urlRequest);
    onQueue([&] {
      request->didCreateInitialURLRequest(urlRequest);
      request->didCreateTask(task);
    });
    log->take();
    return task;
  }

  void receive(std::initializer_list<const char*> chunks) {
    for (const char* chunk : chunks) request->didReceiveData(Data(chunk));
  }

  void completeAttempt(const std::shared_ptr<FakeTask>& task, int status, const platform::HTTPHeaderFields& fields = {},
                       std::optional<WNError> error = std::nullopt) {
    task->complete(httpResponse(status, fields));
    onQueue([&] { request->didCompleteTask(task, error); });
  }

  void onQueue(const std::function<void()>& step) {
    underlying->async([step] { step(); });
    settle();
  }

  void TearDown() override { settle(); }

  static Lines linesOf(const Lines& lines, const std::string& name) {
    Lines own;
    for (const auto& line : lines) {
      if (line.starts_with(name + " ")) own.push_back(line);
    }
    return own;
  }

  std::shared_ptr<Log> log = std::make_shared<Log>();
  std::shared_ptr<Log> seen = std::make_shared<Log>();
  std::shared_ptr<FakeDelegate> delegate = std::make_shared<FakeDelegate>(log);
  std::shared_ptr<platform::DispatchQueue> underlying = testQueue("org.wendanet.test.underlying");
  platform::URLRequest urlRequest = makeURLRequest("http://example.com/x");
  std::shared_ptr<DataStreamRequest> request = makeStreamRequest();
};

}  // namespace

TEST_F(DataStreamRequestFixture, EveryHandlerGetsLaterChunksInOrderThenOneCompletionAfterAllChunks) {
  request->responseStream(mainQueue, logging<Data, Never>(seen, "raw"));
  request->responseStreamString(testQueue("org.wendanet.test.text"), logging<std::string, Never>(seen, "text"));
  const auto task = startAttempt();
  receive({"ab"});
  // Registered after the first chunk arrived, before it was handed out.
  request->responseStream(mainQueue, logging<Data, Never>(seen, "late"));
  receive({"cd", "ef"});
  completeAttempt(task, 200);
  const Lines lines = seen->take();
  EXPECT_EQ(linesOf(lines, "raw"), (Lines{"raw ab", "raw cd", "raw ef", "raw complete none"}));
  EXPECT_EQ(linesOf(lines, "text"), (Lines{"text \"ab\"", "text \"cd\"", "text \"ef\"", "text complete none"}));
  EXPECT_EQ(linesOf(lines, "late"), (Lines{"late cd", "late ef", "late complete none"}));
  // Completion events come last, in registration order.
  EXPECT_EQ(Lines(lines.end() - 3, lines.end()),
            (Lines{"raw complete none", "text complete none", "late complete none"}));
  // Only serialized chunks are reported; the download progress never moves.
  EXPECT_EQ(linesOf(log->take(), "parsed"), (Lines{"parsed \"ab\"", "parsed \"cd\"", "parsed \"ef\""}));
  EXPECT_EQ(request->downloadProgress()->totalUnitCount(), 0);
  EXPECT_EQ(request->downloadProgress()->completedUnitCount(), 0);
  EXPECT_TRUE(request->isFinished());

  // A handler added once the request has finished gets no chunk but one
  // completion event.
  request->responseStream(mainQueue, logging<Data, Never>(seen, "after"));
  settle();
  EXPECT_EQ(seen->take(), Lines{"after complete none"});
}

TEST_F(DataStreamRequestFixture, CompletionEventsWaitForAHandlerOnASlowQueue) {
  std::promise<void> release;
  const auto held = release.get_future().share();
  request->responseStream(platform::DispatchQueue::make("org.wendanet.test.slow"),
                          [seen = seen, held](const DataStreamRequest::Stream<Data, Never>& stream) {
                            if (stream.value()) held.wait();
                            logging<Data, Never>(seen, "slow")(stream);
                          });
  request->responseStream(mainQueue, logging<Data, Never>(seen, "fast"));
  const auto task = startAttempt();
  receive({"a", "b"});
  completeAttempt(task, 200);
  // Finished, with its finish handlers run, while the slow handler still
  // holds its chunks.
  EXPECT_TRUE(request->isFinished());
  EXPECT_EQ(log->take(), (Lines{"didFinish", "delegate cleanup"}));
  EXPECT_EQ(seen->take(), (Lines{"fast a", "fast b"}));

  release.set_value();
  Lines lines;
  ASSERT_TRUE(platform::RunLoop::main().runUntil(
      [&] {
        for (auto& line : seen->take()) lines.push_back(std::move(line));
        return lines.size() == 4;
      },
      std::chrono::seconds(5)));
  EXPECT_EQ(Lines(lines.begin(), lines.begin() + 2), (Lines{"slow a", "slow b"}));
  EXPECT_EQ(std::set<std::string>(lines.begin() + 2, lines.end()),
            (std::set<std::string>{"slow complete none", "fast complete none"}));
}

TEST_F(DataStreamRequestFixture, AHandlerThatCancelsGetsTheChunksHandedOutThenOneCompletion) {
  std::optional<DataStreamRequest::CancellationToken> kept;
  request->responseStream(mainQueue, [&, seen = seen](const DataStreamRequest::Stream<Data, Never>& stream) {
    logging<Data, Never>(seen, "raw")(stream);
    kept = stream.token;
    if (stream.value() == Data("a")) stream.cancel();
  });
  const auto task = startAttempt();
  receive({"a", "b"});
  settle();
  EXPECT_TRUE(request->isCancelled());
  EXPECT_EQ(log->take(), (Lines{"task resume", "task cancel", "didCancel"}));
  EXPECT_EQ(seen->take(), (Lines{"raw a", "raw b"}));
  // The loading system then ends the cancelled task.
  completeAttempt(task, 200, {}, WNError::sessionTaskFailed(testError()));
  EXPECT_EQ(seen->take(), Lines{"raw complete explicitlyCancelled"});
  EXPECT_EQ(log->take(), (Lines{"didFinish", "delegate cleanup"}));

  // Handlers, validators and tokens do not keep the request alive.
  request->validate();
  const std::weak_ptr<DataStreamRequest> weak = request;
  request.reset();
  EXPECT_TRUE(weak.expired());
  kept->cancel();
}

TEST_F(DataStreamRequestFixture, AHandlerThatThrowsCancelsTheRequestWithItsError) {
  const auto thrownOnFirstChunk = [&](const std::function<void()>& raise) {
    request = makeStreamRequest();
    request->responseStream(mainQueue, [&, seen = seen](const DataStreamRequest::Stream<Data, Never>& stream) {
      logging<Data, Never>(seen, "raw")(stream);
      // Thrown on the completion too, where it changes nothing.
      if (stream.value() != Data("b")) raise();
    });
    request->responseStream(mainQueue, logging<Data, Never>(seen, "other"));
    const auto task = startAttempt();
    receive({"a", "b"});
    settle();
    EXPECT_TRUE(request->isCancelled());
    completeAttempt(task, 200);
    // Every handler's completion carries the error.
    const std::string error = errorText(request->error());
    EXPECT_EQ(seen->take(),
              (Lines{"raw a", "other a", "raw b", "other b", "raw complete " + error, "other complete " + error}));
    return error;
  };
  EXPECT_EQ(thrownOnFirstChunk([] { throw TestError(); }),
            "Custom response serializer failed with error:\nSomething went wrong.");
  const WNError teapot =
      WNError::responseValidationFailed(ResponseValidationFailureReason::unacceptableStatusCode(418));
  EXPECT_EQ(thrownOnFirstChunk([&] { throw teapot; }), teapot.errorDescription());
}

struct RefusingSerializer {
  using SerializedObject = int;
  int serialize(const Data&) const { throw TestError(2); }
};

TEST_F(DataStreamRequestFixture, SerializerFailuresReachTheHandlerAndCancelOnlyWhenAsked) {
  for (const bool cancels : {false, true}) {
    request = makeStreamRequest(cancels);
    request->responseStreamDecodable<int>(mainQueue, logging<int, WNError>(seen, "int"));
    const auto task = startAttempt();
    receive({"1", "x", "2"});
    completeAttempt(task, 200);
    EXPECT_EQ(seen->take(), (Lines{"int 1", "int Response could not be decoded because of error:", "int 2",
                                   cancels ? "int complete explicitlyCancelled" : "int complete none"}));
    // The monitor hears of the failure before the cancel it causes.
    Lines told;
    for (auto& line : log->take()) {
      if (line.starts_with("parsed") || line == "didCancel") told.push_back(std::move(line));
    }
    Lines expected{"parsed 1", "parsed Response could not be decoded because of error:", "parsed 2"};
    if (cancels) expected.push_back("didCancel");
    EXPECT_EQ(told, expected);
  }
  // A foreign error is wrapped.
  request = makeStreamRequest();
  request->responseStream(RefusingSerializer(), mainQueue, logging<int, WNError>(seen, "refused"));
  const auto task = startAttempt();
  receive({"1"});
  completeAttempt(task, 200);
  EXPECT_EQ(seen->take(), (Lines{"refused Custom response serializer failed with error:", "refused complete none"}));
}

TEST_F(DataStreamRequestFixture, AFailedValidationReachesHandlersOnlyInTheirCompletion) {
  urlRequest.setValueForHTTPHeaderField("application/json", "Accept");
  const auto completedWith = [&](const std::function<void()>& addValidators, int status, const char* chunk) {
    request = makeStreamRequest();
    addValidators();
    request->responseStream(mainQueue, logging<Data, Never>(seen, "raw"));
    const auto task = startAttempt();
    if (chunk) receive({chunk});
    completeAttempt(task, status, {{"Content-Type", "text/html"}});
    return seen->take();
  };
  const auto byDefault = [&] { request->validate(); };
  EXPECT_EQ(completedWith(byDefault, 404, "<p>"),
            (Lines{"raw <p>", "raw complete Response status code was unacceptable: 404."}));
  EXPECT_EQ(log->take()[0], "validated Response status code was unacceptable: 404.");
  // Without a body the type is checked all the same.
  EXPECT_EQ(completedWith(byDefault, 200, nullptr),
            Lines{"raw complete Response Content-Type \"text/html\" does not match any acceptable types: "
                  "application/json."});
  // The monitor gets a foreign failure as it was; the request, wrapped.
  const auto foreign = [&] {
    request->validate([&](const auto& urlRequest, const auto& response) -> ValidationResult {
      EXPECT_EQ(urlRequest->url(), this->urlRequest.url());
      EXPECT_EQ(response->statusCode(), 200);
      return std::unexpected(testError(4));
    });
  };
  log->take();
  EXPECT_EQ(completedWith(foreign, 200, "{}"),
            (Lines{"raw {}", "raw complete Custom response validation failed with error: Something went wrong."}));
  EXPECT_EQ(log->take()[0], "validated TestError(code: 4)");
}

TEST_F(DataStreamRequestFixture, TextKeepsACharacterSplitBetweenChunksWhole) {
  request->responseStreamString(mainQueue, logging<std::string, Never>(seen, "text"));
  request->responseStream(StringStreamSerializer(), mainQueue, logging<std::string, WNError>(seen, "each"));
  const auto task = startAttempt();
  // A euro sign split in two, then a body that ends inside an emoji.
  receive({"a\xE2\x82",
           "\xAC"
           "b\xF0\x9F"});
  completeAttempt(task, 200);
  const Lines lines = seen->take();
  EXPECT_EQ(linesOf(lines, "text"), (Lines{"text \"a\"", "text \"\u20ACb\"", "text \"\uFFFD\"", "text complete none"}));
  // Chunk by chunk, a serializer cannot know the rest is coming.
  EXPECT_EQ(linesOf(lines, "each"), (Lines{"each \"a\uFFFD\"", "each \"\uFFFDb\uFFFD\"", "each complete none"}));
}

TEST_F(DataStreamRequestFixture, ARetriedRequestStreamsEveryAttemptAndCompletesOnceAfterTheLast) {
  delegate->retryAnswer = RetryResult::retry();
  request->validateStatusCode(std::vector{200});
  request->responseStreamString(mainQueue, logging<std::string, Never>(seen, "text"));
  auto task = startAttempt();
  receive({"\xE2\x82"});
  completeAttempt(task, 503);
  const Lines told = log->take();
  EXPECT_NE(std::ranges::find(told, "delegate retryRequest now"), told.end());
  onQueue([&] { request->prepareForRetry(); });
  delegate->retryAnswer = RetryResult::doNotRetry();
  task = startAttempt();
  // The bytes the failed attempt left unfinished are not completed by the
  // next attempt's body.
  receive({"\xAC", "ok"});
  completeAttempt(task, 200, {}, WNError::sessionTaskFailed(testError()));
  EXPECT_EQ(seen->take(), (Lines{"text \"\"", "text \"\uFFFD\uFFFD\"", "text \"ok\"",
                                 "text complete URLSessionTask failed with error: Something went wrong."}));
}

TEST_F(DataStreamRequestFixture, TheResponseHandlerMayCancelBeforeTheBodyLoads) {
  const auto answered = [&] {
    std::vector<Disposition> answers;
    request->didReceiveResponse(httpResponse(200), [&](Disposition answer) {
      EXPECT_TRUE(underlying->isCurrent());
      answers.push_back(answer);
    });
    settle();
    return answers;
  };
  EXPECT_EQ(answered(), std::vector{Disposition::allow});
  request->onHTTPResponseWithDisposition(
      mainQueue, [](const auto&, const auto& completion) { completion(Request::ResponseDisposition::cancel); });
  EXPECT_EQ(answered(), std::vector{Disposition::cancel});
  EXPECT_TRUE(request->isCancelled());
  EXPECT_EQ(errorText(request->error()), "explicitlyCancelled");
}

TEST_F(DataStreamRequestFixture, AnInputStreamYieldsTheBodyAndEndsWhenTheRequestFinishes) {
  const auto input = request->asInputStream(4);
  ASSERT_TRUE(input);
  EXPECT_TRUE(request->isResumed());
  EXPECT_EQ(log->take(), Lines{"delegate start"});
  input->open();
  const auto task = startAttempt();
  receive({"hello ", "world"});
  completeAttempt(task, 200);
  std::string body;
  std::uint8_t buffer[3];
  for (std::ptrdiff_t count; (count = input->read(buffer, sizeof buffer)) > 0;) body.append(buffer, buffer + count);
  EXPECT_EQ(body, "hello world");
  EXPECT_EQ(request->asInputStream(0), nullptr);
}
