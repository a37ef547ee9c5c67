#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <future>
#include <map>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "Platform/Coding/CodingFields.h"
#include "Platform/Dispatch/RunLoop.h"
#include "Wendanet/Source/Support/WendanetNotifications.h"
#include "Wendanet/Source/Core/JSONParameterEncoder.h"
#include "Wendanet/Source/Core/Never.h"
#include "Wendanet/Source/Core/Session.h"
#include "tests/Wendanet/ScratchDirectory.h"
#include "tests/Integration/SessionHttpbinTest.h"

using namespace wendanet;
using namespace wendanet::testing;

namespace {

struct Login {
  std::string name;
  std::string password;
  static constexpr auto codingFields() {
    return std::tuple{platform::field("name", &Login::name), platform::field("password", &Login::password)};
  }
  friend bool operator==(const Login&, const Login&) = default;
};

// What httpbin echoes of a request.
struct Echo {
  std::string url;
  std::map<std::string, std::string> args;
  static constexpr auto codingFields() {
    return std::tuple{platform::field("url", &Echo::url), platform::field("args", &Echo::args)};
  }
};

struct PostEcho {
  std::string data;
  std::map<std::string, std::string> form;
  std::optional<Login> json;
  static constexpr auto codingFields() {
    return std::tuple{platform::field("data", &PostEcho::data), platform::field("form", &PostEcho::form),
                      platform::field("json", &PostEcho::json)};
  }
};

}  // namespace

TEST_F(SessionHttpbin, AGetDeliversItsBodyToEveryHandlerOnceWithMetrics) {
  OneResponse<DataResponse<platform::Data>> data;
  OneResponse<DataResponse<Echo>> decoded;
  session->requestWithParameters(url("/get?a=1"))
      ->validate()
      .responseData(handlers, data.handler())
      .responseDecodable<Echo>(handlers, decoded.handler());
  const auto bytes = data.get();
  expectDelivered(bytes);
  EXPECT_FALSE(bytes.value()->empty());
  const auto echo = decoded.get();
  expectDelivered(echo);
  EXPECT_EQ(echo.value()->args, (std::map<std::string, std::string>{{"a", "1"}}));
}

TEST_F(SessionHttpbin, BodiesGoOutAsJSONDataAndMultipartForms) {
  OneResponse<DataResponse<PostEcho>> json;
  session->requestWithEncodableParameters<Login>(url("/post"), HTTPMethod::post(), Login{"ada", "secret"},
                                                  ParameterEncoder::json())
      ->responseDecodable<PostEcho>(handlers, json.handler());
  const auto jsonEcho = json.get();
  expectDelivered(jsonEcho);
  EXPECT_EQ(jsonEcho.value()->json, (Login{"ada", "secret"}));

  OneResponse<DataResponse<PostEcho>> data;
  session
      ->uploadDataToURL(platform::Data(std::string_view("raw bytes")), url("/post"), HTTPMethod::post(),
                        HTTPHeaders{{"Content-Type", "text/plain"}})
      ->responseDecodable<PostEcho>(handlers, data.handler());
  const auto dataEcho = data.get();
  expectDelivered(dataEcho);
  EXPECT_EQ(dataEcho.value()->data, "raw bytes");

  OneResponse<DataResponse<PostEcho>> multipart;
  session
      ->uploadMultipartClosureToURL(
          [](MultipartFormData& form) {
            form.append(platform::Data(std::string_view("first")), "one");
            form.append(platform::Data(std::string_view("second")), "two");
          },
          url("/post"))
      ->responseDecodable<PostEcho>(handlers, multipart.handler());
  const auto formEcho = multipart.get();
  expectDelivered(formEcho);
  EXPECT_EQ(formEcho.value()->form, (std::map<std::string, std::string>{{"one", "first"}, {"two", "second"}}));
}

TEST_F(SessionHttpbin, ADownloadLandsAtItsDestination) {
  wendanet::testing::ScratchDirectory scratch;
  const auto destination = scratch.url("nested/bytes.bin");
  OneResponse<DownloadResponse<std::optional<platform::URL>>> downloaded;
  session
      ->downloadWithParameters(url("/bytes/2048"), HTTPMethod::get(), std::nullopt, nullptr, std::nullopt, nullptr,
                               std::nullopt, nullptr,
                               [&](const auto&, const auto&) {
                                 return DownloadRequest::DestinationChoice{
                                     destination, DownloadRequest::Options::createIntermediateDirectories()};
                               })
      ->response(handlers, downloaded.handler());
  const auto response = downloaded.get();
  expectDelivered(response);
  EXPECT_EQ(response.fileURL(), destination);
  EXPECT_EQ(std::filesystem::file_size(scratch.path() / "nested/bytes.bin"), 2048U);
}

TEST_F(SessionHttpbin, AStreamHandsOutEveryByteThenOneCompletion) {
  std::size_t received = 0;
  std::atomic<int> completions = 0;
  std::promise<DataStreamRequest::Completion> completed;
  session->streamRequestWithoutParameters(url("/stream-bytes/8192?chunk_size=512&seed=3"))
      ->responseStream(handlers, [&](const DataStreamRequest::Stream<platform::Data, Never>& stream) {
        if (const auto chunk = stream.value()) received += chunk->size();
        if (const auto completion = stream.completion()) {
          if (completions.fetch_add(1) == 0) completed.set_value(*completion);
        }
      });
  const auto completion = await(completed.get_future());
  EXPECT_EQ(completion.error, std::nullopt);
  EXPECT_NE(completion.metrics, nullptr);
  handlers->sync([] {});
  EXPECT_EQ(received, 8192U);
  EXPECT_EQ(completions.load(), 1);
}

TEST_F(SessionHttpbin, ARetrierSendsAFailedRequestAgain) {
  class RetryOnce final : public RequestInterceptor {
   public:
    void retry(const std::shared_ptr<Request>& request, const std::shared_ptr<Session>&, const platform::AnyError&,
               RetryCompletion completion) override {
      completion(request->retryCount() == 0 ? RetryResult::retry() : RetryResult::doNotRetry());
    }
  };
  OneResponse<DataResponse<platform::Data>> failed;
  const auto request = session->requestWithParameters(url("/status/503"), HTTPMethod::get(), std::nullopt, nullptr,
                                                      std::nullopt, std::make_shared<RetryOnce>());
  request->validate().responseData(handlers, failed.handler());
  const auto response = failed.get();
  ASSERT_TRUE(response.error());
  EXPECT_TRUE(response.error()->isResponseValidationFailed());
  EXPECT_EQ(request->retryCount(), 1);
  EXPECT_EQ(request->tasks().size(), 2U);
  EXPECT_EQ(request->allMetrics().size(), 2U);
}

TEST_F(SessionHttpbin, RedirectsAreFollowedUnlessAHandlerRefusesThem) {
  OneResponse<DataResponse<Echo>> followed;
  session->requestWithParameters(url("/redirect-to?url=%2Fget%3Fb%3D2"))
      ->responseDecodable<Echo>(handlers, followed.handler());
  const auto echo = followed.get();
  expectDelivered(echo);
  EXPECT_EQ(echo.value()->args, (std::map<std::string, std::string>{{"b", "2"}}));

  class Refuse final : public RedirectHandler {
   public:
    void decideRedirect(const std::shared_ptr<platform::URLSessionTask>&, const platform::URLRequest&,
                        const std::shared_ptr<const platform::HTTPURLResponse>&, Completion completion) override {
      completion(std::nullopt);
    }
  };
  OneResponse<DataResponse<std::optional<platform::Data>>> refused;
  const auto request = session->requestWithParameters(url("/redirect-to?url=%2Fget"));
  request->setRedirectHandler(std::make_shared<Refuse>());
  request->response(handlers, refused.handler());
  expectDelivered(refused.get(), 302);
}

TEST_F(SessionHttpbin, CancellingAllRequestsFinishesEachOnce) {
  OneResponse<DataResponse<platform::Data>> first;
  OneResponse<DataResponse<platform::Data>> second;
  std::promise<void> started;
  std::atomic<int> tasks = 0;
  for (auto* response : {&first, &second}) {
    session->requestWithParameters(url("/delay/10"))
        ->responseData(handlers, response->handler())
        .onURLSessionTaskCreation(handlers, [&](const auto&) {
          if (tasks.fetch_add(1) == 1) started.set_value();
        });
  }
  await(started.get_future());
  std::promise<void> cancelled;
  session->cancelAllRequests(handlers, [&] { cancelled.set_value(); });
  await(cancelled.get_future());
  for (auto* response : {&first, &second}) {
    const auto outcome = response->get();
    ASSERT_TRUE(outcome.error());
    EXPECT_TRUE(outcome.error()->isExplicitlyCancelled()) << outcome.error()->errorDescription();
  }
}

TEST_F(SessionHttpbin, ReleasingTheSessionFinishesWhatItStillRuns) {
  auto owned = Session::makeWithConfiguration();
  OneResponse<DataResponse<platform::Data>> pending;
  std::promise<void> started;
  owned->requestWithParameters(url("/delay/10"))
      ->responseData(handlers, pending.handler())
      .onURLSessionTaskCreation(handlers, [&](const auto&) { started.set_value(); });
  await(started.get_future());
  // The task is mapped once its creation block has run on the root queue.
  owned->rootQueue()->sync([] {});
  owned.reset();
  const auto response = pending.get();
  ASSERT_TRUE(response.error());
  EXPECT_TRUE(response.error()->isSessionDeinitialized()) << response.error()->errorDescription();
}

TEST_F(SessionHttpbin, ARequestMadeAfterItsURLSessionWasInvalidatedEndsAtOnce) {
  session->session()->invalidateAndCancel();
  OneResponse<DataResponse<platform::Data>> refused;
  session->requestWithParameters(url("/get"))->responseData(handlers, refused.handler());
  const auto response = refused.get();
  ASSERT_TRUE(response.error());
  EXPECT_TRUE(response.error()->isSessionInvalidated()) << response.error()->errorDescription();
}

namespace {

// Requests in flight at once, enough for their events to interleave.
constexpr int concurrentRequests = 24;

std::vector<std::shared_ptr<DataRequest>> sendConcurrently(Session& session,
                                                           const std::shared_ptr<platform::DispatchQueue>& handlers,
                                                           std::vector<int>& completions, std::atomic<int>& done) {
  completions.assign(concurrentRequests, 0);
  std::vector<std::shared_ptr<DataRequest>> requests;
  for (int index = 0; index < concurrentRequests; ++index) {
    auto request = session.requestWithParameters(
        std::make_shared<ConvertibleString>(testservers::HttpbinServer::shared().baseURL() + "/get"));
    request->responseData(handlers, [&completions, &done, index](const DataResponse<platform::Data>& response) {
      EXPECT_EQ(response.error(), std::nullopt);
      ++completions[static_cast<std::size_t>(index)];
      ++done;
    });
    requests.push_back(std::move(request));
  }
  return requests;
}

}  // namespace

// With nobody observing the notifications, nothing of a request may wait on
// the main queue, which no one runs here: each request is gone once done.
TEST_F(SessionHttpbin, UnobservedRequestsAreReleasedOnceCompleteWithoutAMainLoop) {
  std::vector<int> completions;
  std::atomic<int> done = 0;
  std::vector<std::weak_ptr<DataRequest>> sent;
  for (const auto& request : sendConcurrently(*session, handlers, completions, done)) sent.emplace_back(request);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  const auto released = [&] {
    return std::ranges::all_of(sent, [](const auto& request) { return request.expired(); });
  };
  while ((done.load() < concurrentRequests || !released()) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  handlers->sync([] {});
  EXPECT_EQ(completions, std::vector<int>(concurrentRequests, 1));
  EXPECT_TRUE(released());
}

// Observed, every request still tells its whole story in order, once.
TEST_F(SessionHttpbin, ObservedConcurrentRequestsEachNotifyInOrderOnce) {
  const auto center = platform::NotificationCenter::defaultCenter();
  std::map<const Request*, std::vector<std::string>> heard;
  const auto observer = center->addObserver(std::nullopt, nullptr, [&](const platform::Notification& notification) {
    if (const auto request = notificationRequest(notification)) {
      heard[request.get()].push_back(notification.name.substr(notification.name.rfind('.') + 1));
    }
  });
  std::vector<int> completions;
  std::atomic<int> done = 0;
  const auto requests = sendConcurrently(*session, handlers, completions, done);
  const auto allHeard = [&] {
    return done.load() == concurrentRequests &&
           std::ranges::all_of(requests, [&](const auto& request) { return heard[request.get()].size() == 4; });
  };
  platform::RunLoop::main().runUntil(allHeard, std::chrono::seconds(60));
  platform::RunLoop::main().runPending();
  center->removeObserver(observer);
  EXPECT_EQ(completions, std::vector<int>(concurrentRequests, 1));
  for (const auto& request : requests) {
    EXPECT_EQ(heard[request.get()],
              (std::vector<std::string>{"didResume", "didResumeTask", "didCompleteTask", "didFinish"}));
  }
}
