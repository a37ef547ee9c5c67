#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "Platform/Files/FileManager.h"
#include "Wendanet/Source/Core/DownloadRequest.h"
#include "tests/Wendanet/DataRequestFixture.h"
#include "tests/Wendanet/RequestTestDoubles.h"
#include "tests/Wendanet/ScratchDirectory.h"

namespace wendanet::testing {

// Logs the events a download request reports, as short texts.
class DownloadEventLog final : public EventMonitor {
  using R = const std::shared_ptr<Request>&;
  using D = const std::shared_ptr<DownloadRequest>&;

 public:
  explicit DownloadEventLog(std::shared_ptr<Log> log) : log_(std::move(log)) {}
  void requestDidCancel(R) override { log_->add("didCancel"); }
  void requestDidCancelTask(R, const std::shared_ptr<platform::URLSessionTask>&) override {
    log_->add("didCancelTask");
  }
  void requestIsRetrying(R) override { log_->add("isRetrying"); }
  void requestDidFinish(R) override { log_->add("didFinish"); }
  void requestDidCreateDestinationURL(D, const platform::URL& url) override {
    log_->add("destination " + url.lastPathComponent());
  }
  void requestDidFinishDownloadingUsingTaskWithResult(D, const std::shared_ptr<platform::URLSessionTask>&,
                                                      const Result<platform::URL>& result) override {
    log_->add("downloaded " + (result ? result->lastPathComponent() : std::string("failure")));
  }
  void requestDidValidateRequestResponseFileURLWithResult(D, const std::optional<platform::URLRequest>&,
                                                          const std::shared_ptr<const platform::HTTPURLResponse>&,
                                                          const std::optional<platform::URL>&,
                                                          const ValidationResult& result) override {
    log_->add("validated " + (result ? std::string("ok") : result.error()->description()));
  }
  void requestDidParseDownloadResponse(D, const DownloadResponse<std::optional<platform::URL>>& response) override {
    log_->add("parsed " + response.description());
  }
  void requestDidParseSerializedDownloadResponse(D, const DownloadResponse<AnyValue>& response) override {
    log_->add("parsed " + response.description());
  }

 private:
  std::shared_ptr<Log> log_;
};

// Download requests of a fake session, driven attempt by attempt as the
// session and its URL-session delegate drive them. Every queue runs on the
// main run loop.
class DownloadRequestFixture : public ::testing::Test {
 protected:
  // From the fixture's URL request, or from resume data.
  std::shared_ptr<DownloadRequest> makeDownloadRequest(std::optional<platform::Data> resumeData = std::nullopt) {
    auto downloadable = resumeData ? DownloadRequest::Downloadable::resumeData(*resumeData)
                                   : DownloadRequest::Downloadable::request(
                                         std::make_shared<ConvertibleURLRequest>(urlRequest));
    return DownloadRequest::make({.underlyingQueue = underlying,
                                  .serializationQueue = testQueue("org.wendanet.test.serialization"),
                                  .eventMonitor = std::make_shared<DownloadEventLog>(log),
                                  .delegate = delegate,
                                  .shouldAutomaticallyResume = false},
                                 std::move(downloadable), [this](const auto& temporaryURL, const auto& response) {
                                   return destination(temporaryURL, response);
                                 });
  }

  std::shared_ptr<FakeTask> startAttempt() {
    auto task = std::make_shared<FakeTask>(log, urlRequest);
    onQueue([&] {
      request->didCreateInitialURLRequest(urlRequest);
      request->didCreateTask(task);
    });
    return task;
  }

  // The task has written `contents` to a temporary file of its own; the
  // session moves it while the file exists.
  void finishDownload(const std::shared_ptr<FakeTask>& task, const std::string& contents) {
    const auto location = scratch.path() / "transfer.tmp";
    writeFile(location, contents);
    onQueue([&] {
      request->moveDownloadedFile(task, platform::URL::fileURL(location.string()),
                                  *platform::FileManager::defaultManager());
    });
  }

  // One whole attempt; `contents` absent: the file never arrived.
  void runAttempt(int status, const platform::HTTPHeaderFields& fields, std::optional<std::string> contents,
                  std::optional<WNError> error = std::nullopt) {
    const auto task = startAttempt();
    task->complete(httpResponse(status, fields));
    if (contents) finishDownload(task, *contents);
    onQueue([&] { request->didCompleteTask(task, error); });
  }

  void onQueue(const std::function<void()>& step) {
    underlying->async([step] { step(); });
    settle();
  }

  void TearDown() override { settle(); }

  ScratchDirectory scratch;
  std::shared_ptr<Log> log = std::make_shared<Log>();
  std::shared_ptr<FakeDelegate> delegate = std::make_shared<FakeDelegate>(log);
  std::shared_ptr<platform::DispatchQueue> underlying = testQueue("org.wendanet.test.underlying");
  platform::URLRequest urlRequest = makeURLRequest("http://example.com/x");
  // What the destination handler answers; the test may change it.
  DownloadRequest::Destination destination = [this](const auto&, const auto&) {
    return DownloadRequest::DestinationChoice{scratch.url("file.bin"), {}};
  };
  std::shared_ptr<DownloadRequest> request = makeDownloadRequest();
};

}  // namespace wendanet::testing
