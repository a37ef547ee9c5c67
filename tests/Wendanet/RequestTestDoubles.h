#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Dispatch/RunLoop.h"
#include "Platform/URLLoading/URLSessionTask.h"
#include "Wendanet/Source/Core/Request.h"

namespace wendanet::testing {

// Lines written from any thread.
class Log {
 public:
  void add(std::string line) {
    std::lock_guard lock(mutex_);
    lines_.push_back(std::move(line));
  }
  // The lines so far, leaving the log empty.
  std::vector<std::string> take() {
    std::lock_guard lock(mutex_);
    return std::exchange(lines_, {});
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> lines_;
};

inline std::string errorText(const std::optional<WNError>& error) {
  if (!error) return "none";
  return error->isExplicitlyCancelled() ? "explicitlyCancelled" : error->errorDescription();
}

// A task that only keeps its state and logs what it is told.
class FakeTask final : public platform::URLSessionTask {
 public:
  FakeTask(std::shared_ptr<Log> log, platform::URLRequest request)
      : URLSessionTask(1, std::move(request)), log_(std::move(log)) {}

  State state() const override { return state_; }
  std::shared_ptr<platform::URLResponse> response() const override { return response_; }
  void resume() override { record("task resume", State::running); }
  void suspend() override { record("task suspend", State::suspended); }
  void cancel() override { record("task cancel", State::canceling); }
  void complete(std::shared_ptr<platform::URLResponse> response = nullptr) {
    response_ = std::move(response);
    state_ = State::completed;
  }

 private:
  std::string_view kindName() const override { return "FakeTask"; }
  void record(std::string line, State state) {
    log_->add(std::move(line));
    state_ = state;
  }

  std::shared_ptr<Log> log_;
  State state_ = State::suspended;
  std::shared_ptr<platform::URLResponse> response_;
};

// Logs the request's state events.
class StateEventLog final : public EventMonitor {
  using R = const std::shared_ptr<Request>&;
  using T = const std::shared_ptr<platform::URLSessionTask>&;

 public:
  explicit StateEventLog(std::shared_ptr<Log> log) : log_(std::move(log)) {}
  void requestDidResume(R) override { log_->add("didResume"); }
  void requestDidResumeTask(R, T) override { log_->add("didResumeTask"); }
  void requestDidSuspend(R) override { log_->add("didSuspend"); }
  void requestDidSuspendTask(R, T) override { log_->add("didSuspendTask"); }
  void requestDidCancel(R) override { log_->add("didCancel"); }
  void requestDidCancelTask(R, T) override { log_->add("didCancelTask"); }
  void requestDidCompleteTaskWithError(R, T, const std::optional<WNError>& error) override {
    log_->add("didCompleteTask " + errorText(error));
  }
  void requestIsRetrying(R) override { log_->add("isRetrying"); }
  void requestDidFinish(R) override { log_->add("didFinish"); }

 private:
  std::shared_ptr<Log> log_;
};

// Logs what it is asked; answers retry decisions with `retryAnswer`, later,
// on the request's queue, or holds them until `answerHeld`.
class FakeDelegate final : public RequestDelegate {
 public:
  explicit FakeDelegate(std::shared_ptr<Log> log) : log_(std::move(log)) {}

  std::shared_ptr<platform::URLSessionConfiguration> configuration;
  bool startsImmediately = true;
  RetryResult retryAnswer = RetryResult::doNotRetry();
  bool holdsAnswers = false;

  std::shared_ptr<platform::URLSessionConfiguration> sessionConfiguration() const override { return configuration; }
  bool startImmediately() const override { return startsImmediately; }
  void startRequestIfNeeded(const std::shared_ptr<Request>&) override { log_->add("delegate start"); }
  void cleanup(const std::shared_ptr<Request>&) override { log_->add("delegate cleanup"); }
  void retryResult(const std::shared_ptr<Request>& request, const WNError& error,
                   std::move_only_function<void(RetryResult)> completion) override {
    log_->add("delegate retryResult " + errorText(error));
    held_ = std::move(completion);
    heldQueue_ = request->underlyingQueue();
    if (!holdsAnswers) answerHeld();
  }
  void answerHeld() {
    heldQueue_->async([completion = std::move(held_), answer = retryAnswer]() mutable { completion(answer); });
  }
  void retryRequest(const std::shared_ptr<Request>&, std::optional<double> delay) override {
    log_->add("delegate retryRequest " + (delay ? std::to_string(*delay) : "now"));
  }

 private:
  std::shared_ptr<Log> log_;
  std::move_only_function<void(RetryResult)> held_;
  std::shared_ptr<platform::DispatchQueue> heldQueue_;
};

// A kind whose response handlers serialize nothing but hand over as every
// kind does. A `retrying` one asks the delegate first and completes unless
// told to retry.
class TestRequest final : public Request {
 public:
  using Request::validators_;

  static std::shared_ptr<TestRequest> make(BaseFields fields) {
    return std::shared_ptr<TestRequest>(new TestRequest(std::move(fields)));
  }

  TestRequest& addResponseHandler(std::string name, std::shared_ptr<Log> log, bool retrying = false) {
    appendResponseSerializer([weak = weak_from_this(), name, log, retrying] {
      log->add("serialize " + name);
      const auto self = std::static_pointer_cast<TestRequest>(weak.lock());
      self->underlyingQueue()->async([self, name, log, retrying] {
        if (!retrying || self->isCancelled()) return self->complete(name, log);
        self->delegate()->retryResult(self, WNError::explicitlyCancelled(), [self, name, log](RetryResult answer) {
          if (std::holds_alternative<RetryResult::Retry>(answer.value())) return self->retryThroughDelegate({});
          self->complete(name, log);
        });
      });
    });
    return *this;
  }

 private:
  using Request::Request;

  void complete(const std::string& name, const std::shared_ptr<Log>& log) {
    appendResponseSerializerCompletion(
        [name, log, error = error()] { log->add("completion " + name + " " + errorText(error)); });
    processNextResponseSerializer();
  }
};

// Every test queue runs on the main run loop, so one pump settles all of
// them, in a fixed order.
inline std::shared_ptr<platform::DispatchQueue> testQueue(const char* label) {
  return platform::DispatchQueue::make(label, platform::DispatchQueue::Attributes::serial,
                                       platform::DispatchQueue::main());
}

inline void settle() { platform::RunLoop::main().runPending(); }

inline platform::URLRequest makeURLRequest(const char* url, const char* method = "GET") {
  platform::URLRequest request(platform::URL::string(url));
  request.setHTTPMethod(method);
  return request;
}

// One request of a fake session; its state events and the session's calls
// go to one log.
class RequestFixture : public ::testing::Test {
 protected:
  std::shared_ptr<TestRequest> makeRequest(std::optional<bool> shouldAutomaticallyResume) {
    return TestRequest::make({.underlyingQueue = underlying,
                              .serializationQueue = testQueue("org.wendanet.test.serialization"),
                              .eventMonitor = std::make_shared<StateEventLog>(log),
                              .delegate = delegate,
                              .shouldAutomaticallyResume = shouldAutomaticallyResume});
  }

  // Runs `step` on the request's queue, as the session does, then settles.
  void onQueue(const std::function<void()>& step) {
    underlying->async([step] { step(); });
    settle();
  }

  std::shared_ptr<FakeTask> addTask(const char* url = "http://example.com/x") {
    auto task = std::make_shared<FakeTask>(log, makeURLRequest(url));
    onQueue([&] { request->didCreateTask(task); });
    return task;
  }

  void TearDown() override { settle(); }

  std::shared_ptr<Log> log = std::make_shared<Log>();
  std::shared_ptr<FakeDelegate> delegate = std::make_shared<FakeDelegate>(log);
  std::shared_ptr<platform::DispatchQueue> underlying = testQueue("org.wendanet.test.underlying");
  std::shared_ptr<TestRequest> request = makeRequest(false);
};

}  // namespace wendanet::testing
