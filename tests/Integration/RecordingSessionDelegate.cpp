#include "tests/Integration/RecordingSessionDelegate.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "Platform/Foundation/URLError.h"

using namespace platform;

int TaskRecord::errorCode() const {
  if (!error) return 0;
  if (const auto* urlError = errorAs<URLError>(error)) return static_cast<int>(urlError->code());
  return 1;
}

int TaskRecord::count(const std::string& event) const { return static_cast<int>(std::ranges::count(events, event)); }

RecordingSessionDelegate::RecordingSessionDelegate()
    : queue_(DispatchQueue::make("test.delegate")),
      responseAnswer_([](ResponseCompletionHandler handler) { handler(URLSessionResponseDisposition::allow); }),
      streamAnswer_([] { return nullptr; }) {}

std::shared_ptr<URLSession> makeRecordingSession(const std::shared_ptr<RecordingSessionDelegate>& delegate,
                                                 std::shared_ptr<URLSessionConfiguration> configuration) {
  return URLSession::make(configuration ? configuration : URLSessionConfiguration::ephemeralConfiguration(), delegate,
                          OperationQueue::make("test.delegate.operations", delegate->queue()));
}

void RecordingSessionDelegate::answerResponsesWith(ResponseAnswer answer) {
  std::lock_guard lock(mutex_);
  responseAnswer_ = std::move(answer);
}

void RecordingSessionDelegate::answerBodyStreamsWith(StreamAnswer answer) {
  std::lock_guard lock(mutex_);
  streamAnswer_ = std::move(answer);
}

void RecordingSessionDelegate::onData(std::function<void(const std::shared_ptr<URLSessionDataTask>&)> action) {
  std::lock_guard lock(mutex_);
  dataAction_ = std::move(action);
}

TaskRecord RecordingSessionDelegate::waitForCompletion(const std::shared_ptr<URLSessionTask>& task,
                                                       std::chrono::seconds timeout) {
  std::unique_lock lock(mutex_);
  const auto identifier = task->taskIdentifier();
  if (!changed_.wait_for(lock, timeout, [&] { return completed_[identifier]; })) {
    ADD_FAILURE() << "No completion within " << timeout.count() << " s for " << task->description();
  }
  return records_[identifier];
}

bool RecordingSessionDelegate::waitForInvalidation(std::chrono::seconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return invalidated_; });
}

std::vector<TaskRecord> RecordingSessionDelegate::records() const {
  std::lock_guard lock(mutex_);
  std::vector<TaskRecord> all;
  for (const auto identifier : order_) all.push_back(records_.at(identifier));
  return all;
}

int RecordingSessionDelegate::lateCallbacks() const {
  std::lock_guard lock(mutex_);
  return lateCallbacks_;
}

void RecordingSessionDelegate::record(const std::shared_ptr<URLSessionTask>& task, const std::string& event,
                                      const std::function<void(TaskRecord&)>& change) {
  const bool onQueue = queue_->isCurrent();
  std::lock_guard lock(mutex_);
  const auto identifier = task->taskIdentifier();
  if (!records_.contains(identifier)) order_.push_back(identifier);
  if (completed_[identifier] || invalidated_) ++lateCallbacks_;
  auto& entry = records_[identifier];
  entry.events.push_back(event);
  entry.everyCallbackOnDelegateQueue = entry.everyCallbackOnDelegateQueue && onQueue;
  if (change) change(entry);
  if (event == "complete") completed_[identifier] = true;
  changed_.notify_all();
}

void RecordingSessionDelegate::didBecomeInvalidWithError(SessionRef, const AnyError&) {
  std::lock_guard lock(mutex_);
  invalidated_ = true;
  changed_.notify_all();
}

void RecordingSessionDelegate::didSendBodyData(SessionRef, const std::shared_ptr<URLSessionTask>& task, std::int64_t,
                                               std::int64_t totalBytesSent, std::int64_t totalBytesExpectedToSend) {
  record(task, "sent", [&](TaskRecord& entry) {
    entry.totalBytesSent = totalBytesSent;
    entry.totalBytesExpectedToSend = totalBytesExpectedToSend;
  });
}

void RecordingSessionDelegate::needNewBodyStream(SessionRef, const std::shared_ptr<URLSessionTask>& task,
                                                 BodyStreamCompletionHandler completionHandler) {
  record(task, "needStream", [](TaskRecord& entry) { ++entry.bodyStreamRequests; });
  StreamAnswer answer;
  {
    std::lock_guard lock(mutex_);
    answer = streamAnswer_;
  }
  completionHandler(answer());
}

void RecordingSessionDelegate::didFinishCollectingMetrics(SessionRef, const std::shared_ptr<URLSessionTask>& task,
                                                          const std::shared_ptr<const URLSessionTaskMetrics>& metrics) {
  record(task, "metrics", [&](TaskRecord& entry) { entry.metrics = metrics; });
}

void RecordingSessionDelegate::didCompleteWithError(SessionRef, const std::shared_ptr<URLSessionTask>& task,
                                                    const AnyError& error) {
  record(task, "complete", [&](TaskRecord& entry) { entry.error = error; });
}

void RecordingSessionDelegate::didReceiveResponse(SessionRef, const std::shared_ptr<URLSessionDataTask>& task,
                                                  const std::shared_ptr<URLResponse>& response,
                                                  ResponseCompletionHandler completionHandler) {
  record(task, "response", [&](TaskRecord& entry) { entry.response = response; });
  ResponseAnswer answer;
  {
    std::lock_guard lock(mutex_);
    answer = responseAnswer_;
  }
  answer(std::move(completionHandler));
}

void RecordingSessionDelegate::didReceiveData(SessionRef, const std::shared_ptr<URLSessionDataTask>& task,
                                              const Data& data) {
  record(task, "data", [&](TaskRecord& entry) { entry.data.append(data); });
  std::function<void(const std::shared_ptr<URLSessionDataTask>&)> action;
  {
    std::lock_guard lock(mutex_);
    action = dataAction_;
  }
  if (action) action(task);
}
