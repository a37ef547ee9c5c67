#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "Platform/Dispatch/OperationQueue.h"
#include "Platform/Files/FileManager.h"
#include "Platform/URLLoading/URLSession.h"
#include "Platform/URLLoading/URLSessionConfiguration.h"
#include "Platform/URLLoading/URLSessionDelegate.h"
#include "Wendanet/Source/Core/DownloadRequest.h"
#include "tests/Wendanet/ScratchDirectory.h"
#include "tests/servers/HttpbinServer.h"

using namespace wendanet;
namespace fs = std::filesystem;

namespace {

// Hands a URL session's download callbacks to the requests of their tasks,
// the way the session's own delegate does, on the queue the requests run on.
class DownloadRouter final : public platform::URLSessionDelegate {
 public:
  void route(const std::shared_ptr<platform::URLSessionTask>& task, std::shared_ptr<DownloadRequest> request) {
    std::lock_guard lock(mutex_);
    requests_[task->taskIdentifier()] = std::move(request);
  }
  // Runs after the first bytes of a download are written.
  std::function<void(DownloadRequest&)> afterFirstWrite;
  std::promise<void> invalidated;

  void didResumeAtOffset(SessionRef, const std::shared_ptr<platform::URLSessionDownloadTask>& task,
                         std::int64_t fileOffset, std::int64_t expectedTotalBytes) override {
    requestOf(*task)->updateDownloadProgress(fileOffset, expectedTotalBytes);
  }
  void didWriteData(SessionRef, const std::shared_ptr<platform::URLSessionDownloadTask>& task,
                    std::int64_t bytesWritten, std::int64_t, std::int64_t totalBytesExpectedToWrite) override {
    const auto request = requestOf(*task);
    request->updateDownloadProgress(bytesWritten, totalBytesExpectedToWrite);
    if (auto action = std::exchange(afterFirstWrite, nullptr)) action(*request);
  }
  void didFinishDownloadingToURL(SessionRef, const std::shared_ptr<platform::URLSessionDownloadTask>& task,
                                 const platform::URL& location) override {
    requestOf(*task)->moveDownloadedFile(task, location, *platform::FileManager::defaultManager());
  }
  void didBecomeInvalidWithError(SessionRef, const platform::AnyError&) override { invalidated.set_value(); }
  void didCompleteWithError(SessionRef, const std::shared_ptr<platform::URLSessionTask>& task,
                            const platform::AnyError& error) override {
    requestOf(*task)->didCompleteTask(task, error ? std::optional(WNError::sessionTaskFailed(error)) : std::nullopt);
  }

 private:
  std::shared_ptr<DownloadRequest> requestOf(const platform::URLSessionTask& task) {
    std::lock_guard lock(mutex_);
    return requests_.at(task.taskIdentifier());
  }

  std::mutex mutex_;
  std::map<std::uint64_t, std::shared_ptr<DownloadRequest>> requests_;
};

class DownloadRequestRoundTrip : public ::testing::Test {
 protected:
  // Every file of the session is gone once it has become invalid, so the
  // next test's count of download files starts clean.
  void TearDown() override {
    session->invalidateAndCancel();
    EXPECT_EQ(router->invalidated.get_future().wait_for(std::chrono::seconds(30)), std::future_status::ready);
  }

  std::shared_ptr<DownloadRequest> makeRequest(DownloadRequest::Downloadable downloadable, const char* name) {
    return DownloadRequest::make({.underlyingQueue = root,
                                  .serializationQueue = platform::DispatchQueue::make("test.serialization"),
                                  .shouldAutomaticallyResume = false},
                                 std::move(downloadable), [this, name](const auto&, const auto&) {
                                   return DownloadRequest::DestinationChoice{
                                       scratch.url(std::string("downloads/") + name),
                                       DownloadRequest::Options::createIntermediateDirectories()};
                                 });
  }

  // Creates the request's task as the session does, and starts it.
  void start(const std::shared_ptr<DownloadRequest>& request, const platform::URLRequest* urlRequest) {
    root->sync([&] {
      const auto* resumeData = std::get_if<DownloadRequest::Downloadable::ResumeData>(&request->downloadable().value());
      if (urlRequest) request->didCreateInitialURLRequest(*urlRequest);
      const auto task = urlRequest ? request->createTask(*urlRequest, session)
                                   : request->createTaskWithResumeData(resumeData->data, session);
      router->route(task, request);
      request->didCreateTask(task);
    });
    request->resume();
  }

  wendanet::testing::ScratchDirectory scratch;
  const std::shared_ptr<platform::DispatchQueue> root = platform::DispatchQueue::make("test.root");
  const std::shared_ptr<DownloadRouter> router = std::make_shared<DownloadRouter>();
  const std::shared_ptr<platform::URLSession> session =
      platform::URLSession::make(platform::URLSessionConfiguration::ephemeralConfiguration(), router,
                                 platform::OperationQueue::make("test.delegate", root));
};

// A download cancelled for resume data mid-body hands it to its response;
// a new download from that data fetches only the rest and puts the whole
// file in place.
TEST_F(DownloadRequestRoundTrip, ResumeDataFromACancelledDownloadCompletesTheFile) {
  const auto size = 102400;
  platform::URLRequest slow(platform::URL::string(testservers::HttpbinServer::shared().baseURL() +
                                                  "/range/" + std::to_string(size) + "?duration=2&chunk_size=1024"));
  slow.setHTTPMethod("GET");
  const auto first = makeRequest(DownloadRequest::Downloadable::request(nullptr), "first.bin");
  std::promise<std::optional<platform::Data>> handedOver;
  router->afterFirstWrite = [&](DownloadRequest& request) {
    request.cancelWithResumeDataHandler([&](const auto& data) { handedOver.set_value(data); });
  };
  std::promise<DownloadResponse<std::optional<platform::URL>>> cancelled;
  first->response(root, [&](const auto& response) { cancelled.set_value(response); });
  start(first, &slow);
  const auto resumeData = handedOver.get_future().get();
  const auto cancelledResponse = cancelled.get_future().get();
  ASSERT_TRUE(resumeData);
  // Cancelled from inside a delegate callback, the request may hear of its
  // task's cancelled completion before its own cancellation event.
  EXPECT_TRUE(cancelledResponse.error()) << cancelledResponse.description();
  EXPECT_EQ(cancelledResponse.resumeData(), resumeData);
  EXPECT_EQ(cancelledResponse.fileURL(), std::nullopt);

  const auto resumed = makeRequest(DownloadRequest::Downloadable::resumeData(*resumeData), "resumed.bin");
  std::promise<DownloadResponse<platform::Data>> finished;
  resumed->responseData(root, [&](const auto& response) { finished.set_value(response); });
  start(resumed, nullptr);
  const auto response = finished.get_future().get();
  ASSERT_TRUE(response.value()) << response.description();
  std::string expected;
  for (int index = 0; index < size; ++index) expected += static_cast<char>('a' + index % 26);
  EXPECT_EQ(*response.value(), platform::Data(expected));
  EXPECT_EQ(response.fileURL(), scratch.url("downloads/resumed.bin"));
  EXPECT_EQ(resumed->downloadProgress()->completedUnitCount(), size);
  EXPECT_EQ(resumed->downloadProgress()->totalUnitCount(), size);
}

}  // namespace
