#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Dispatch/OperationQueue.h"
#include "Platform/URLLoading/URLSession.h"
#include "Platform/URLLoading/URLSessionDelegate.h"

// What a session told its delegate about one task.
struct TaskRecord {
  // "response", "data", "sent", "needStream", "metrics", "complete", in
  // the order they came; repeats of "data" and "sent" are kept.
  std::vector<std::string> events;
  std::shared_ptr<platform::URLResponse> response;
  platform::Data data;
  std::shared_ptr<const platform::URLSessionTaskMetrics> metrics;
  platform::AnyError error;
  std::int64_t totalBytesSent = 0;
  std::int64_t totalBytesExpectedToSend = 0;
  int bodyStreamRequests = 0;
  bool everyCallbackOnDelegateQueue = true;

  // The URLError code the task failed with; 0 for success, 1 for an error
  // of another type.
  int errorCode() const;
  int count(const std::string& event) const;
};

// A delegate that records every callback and lets a test choose its
// answers. Tests wait for completions instead of sleeping.
class RecordingSessionDelegate : public platform::URLSessionDelegate {
 public:
  using ResponseAnswer = std::function<void(platform::ResponseCompletionHandler)>;
  using StreamAnswer = std::function<std::shared_ptr<platform::InputStream>()>;

  // Allows every response at once and has no stream to give.
  RecordingSessionDelegate();

  // The serial queue under the delegate queue of the sessions made by
  // makeRecordingSession.
  const std::shared_ptr<platform::DispatchQueue>& queue() const { return queue_; }

  void answerResponsesWith(ResponseAnswer answer);
  void answerBodyStreamsWith(StreamAnswer answer);
  // Called from didReceiveData with the task, on the delegate queue.
  void onData(std::function<void(const std::shared_ptr<platform::URLSessionDataTask>&)> action);

  // Waits for the task's completion; fails the test after `timeout`.
  TaskRecord waitForCompletion(const std::shared_ptr<platform::URLSessionTask>& task,
                               std::chrono::seconds timeout = std::chrono::seconds(30));
  // Waits until the session's invalidation came; false after `timeout`.
  bool waitForInvalidation(std::chrono::seconds timeout = std::chrono::seconds(30));
  // Every task record in the order the tasks were first heard of.
  std::vector<TaskRecord> records() const;
  // Callbacks about a task after its completion, or after the invalidation.
  int lateCallbacks() const;

  void didBecomeInvalidWithError(SessionRef session, const platform::AnyError& error) override;
  void didSendBodyData(SessionRef session, const std::shared_ptr<platform::URLSessionTask>& task,
                       std::int64_t bytesSent, std::int64_t totalBytesSent,
                       std::int64_t totalBytesExpectedToSend) override;
  void needNewBodyStream(SessionRef session, const std::shared_ptr<platform::URLSessionTask>& task,
                         platform::BodyStreamCompletionHandler completionHandler) override;
  void didFinishCollectingMetrics(SessionRef session, const std::shared_ptr<platform::URLSessionTask>& task,
                                  const std::shared_ptr<const platform::URLSessionTaskMetrics>& metrics) override;
  void didCompleteWithError(SessionRef session, const std::shared_ptr<platform::URLSessionTask>& task,
                            const platform::AnyError& error) override;
  void didReceiveResponse(SessionRef session, const std::shared_ptr<platform::URLSessionDataTask>& task,
                          const std::shared_ptr<platform::URLResponse>& response,
                          platform::ResponseCompletionHandler completionHandler) override;
  void didReceiveData(SessionRef session, const std::shared_ptr<platform::URLSessionDataTask>& task,
                      const platform::Data& data) override;

 private:
  // Runs `change` on the task's record under the lock.
  void record(const std::shared_ptr<platform::URLSessionTask>& task, const std::string& event,
              const std::function<void(TaskRecord&)>& change = nullptr);

  std::shared_ptr<platform::DispatchQueue> queue_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::map<std::uint64_t, TaskRecord> records_;
  std::vector<std::uint64_t> order_;
  std::map<std::uint64_t, bool> completed_;
  ResponseAnswer responseAnswer_;
  StreamAnswer streamAnswer_;
  std::function<void(const std::shared_ptr<platform::URLSessionDataTask>&)> dataAction_;
  bool invalidated_ = false;
  int lateCallbacks_ = 0;
};

// A session reporting to `delegate` on an operation queue over the
// delegate's serial queue; ephemeral unless a configuration is given.
std::shared_ptr<platform::URLSession> makeRecordingSession(
    const std::shared_ptr<RecordingSessionDelegate>& delegate,
    std::shared_ptr<platform::URLSessionConfiguration> configuration = nullptr);
