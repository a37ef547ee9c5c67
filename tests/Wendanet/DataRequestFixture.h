#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "Wendanet/Source/Core/DataRequest.h"
#include "tests/Wendanet/RequestTestDoubles.h"

namespace wendanet::testing {

// Logs the events a data request reports, as short texts.
class DataEventLog final : public EventMonitor {
  using R = const std::shared_ptr<Request>&;
  using D = const std::shared_ptr<DataRequest>&;

 public:
  explicit DataEventLog(std::shared_ptr<Log> log) : log_(std::move(log)) {}
  void requestDidCancel(R) override { log_->add("didCancel"); }
  void requestIsRetrying(R) override { log_->add("isRetrying"); }
  void requestDidFinish(R) override { log_->add("didFinish"); }
  void requestDidValidateRequestResponseDataWithResult(D, const std::optional<platform::URLRequest>&,
                                                       const std::shared_ptr<const platform::HTTPURLResponse>&,
                                                       const std::optional<platform::Data>&,
                                                       const ValidationResult& result) override {
    log_->add("validated " + (result ? std::string("ok") : result.error()->description()));
  }
  void requestDidParseResponse(D, const DataResponse<std::optional<platform::Data>>& response) override {
    log_->add("parsed " + response.description());
  }
  void requestDidParseSerializedResponse(D, const DataResponse<AnyValue>& response) override {
    log_->add("parsed " + response.description());
  }

 private:
  std::shared_ptr<Log> log_;
};

inline std::shared_ptr<platform::HTTPURLResponse> httpResponse(int status,
                                                               const platform::HTTPHeaderFields& fields = {}) {
  return platform::HTTPURLResponse::make(*platform::URL::string("http://example.com/x"), status, fields);
}

// Data requests of a fake session, driven attempt by attempt as the session
// drives them. Every queue runs on the main run loop.
class DataRequestFixture : public ::testing::Test {
 protected:
  std::shared_ptr<DataRequest> makeDataRequest() {
    return DataRequest::make({.underlyingQueue = underlying,
                              .serializationQueue = testQueue("org.wendanet.test.serialization"),
                              .eventMonitor = std::make_shared<DataEventLog>(log),
                              .delegate = delegate,
                              .shouldAutomaticallyResume = false},
                             std::make_shared<ConvertibleURLRequest>(urlRequest));
  }

  // The URL request and its task of a new attempt.
  std::shared_ptr<FakeTask> startAttempt() {
    auto task = std::make_shared<FakeTask>(log, urlRequest);
    onQueue([&] {
      request->didCreateInitialURLRequest(urlRequest);
      request->didCreateTask(task);
    });
    return task;
  }

  void receive(std::initializer_list<const char*> chunks) {
    for (const char* chunk : chunks) request->didReceiveData(platform::Data(chunk));
  }

  void completeAttempt(const std::shared_ptr<FakeTask>& task, std::shared_ptr<platform::HTTPURLResponse> response,
                       std::optional<WNError> error = std::nullopt) {
    task->complete(std::move(response));
    onQueue([&] { request->didCompleteTask(task, error); });
  }

  void runAttempt(int status, const platform::HTTPHeaderFields& fields, std::initializer_list<const char*> chunks) {
    const auto task = startAttempt();
    receive(chunks);
    completeAttempt(task, httpResponse(status, fields));
  }

  void onQueue(const std::function<void()>& step) {
    underlying->async([step] { step(); });
    settle();
  }

  void TearDown() override { settle(); }

  std::shared_ptr<Log> log = std::make_shared<Log>();
  std::shared_ptr<FakeDelegate> delegate = std::make_shared<FakeDelegate>(log);
  std::shared_ptr<platform::DispatchQueue> underlying = testQueue("org.wendanet.test.underlying");
  platform::URLRequest urlRequest = makeURLRequest("http://example.com/x");
  std::shared_ptr<DataRequest> request = makeDataRequest();
};

}  // namespace wendanet::testing
