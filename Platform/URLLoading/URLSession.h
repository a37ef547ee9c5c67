#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/URL.h"
#include "Platform/Foundation/URLRequest.h"
#include "Platform/URLLoading/Engine/TaskBody.h"
#include "Platform/URLLoading/URLSessionConfiguration.h"
#include "Platform/URLLoading/URLSessionDataTask.h"
#include "Platform/URLLoading/URLSessionDelegate.h"
#include "Platform/URLLoading/URLSessionDownloadTask.h"
#include "Platform/URLLoading/URLSessionUploadTask.h"
#include "Platform/URLLoading/URLSessionWebSocketTask.h"

namespace platform {

class DelegateChannel;
class OperationQueue;
class SessionEngine;
class WebSocketLoop;
class WebSocketRun;

// Makes and runs URL tasks for one configuration, reporting to one delegate
// on one delegate queue. Each session runs its tasks on an engine thread of
// its own. A session lives (and keeps its delegate) until it has been
// invalidated and its last task has completed, whoever else holds it.
class URLSession : public std::enable_shared_from_this<URLSession> {
 public:
  class Passkey {
    friend class URLSession;
    Passkey() = default;
  };

  // The session takes a copy of the configuration (the default one when
  // none is given). Without a delegate queue it makes a serial one.
  static std::shared_ptr<URLSession> make(const std::shared_ptr<URLSessionConfiguration>& configuration,
                                          std::shared_ptr<URLSessionDelegate> delegate = nullptr,
                                          std::shared_ptr<OperationQueue> delegateQueue = nullptr);

  URLSession(Passkey, std::shared_ptr<const URLSessionConfiguration> configuration,
             std::shared_ptr<URLSessionDelegate> delegate, std::shared_ptr<OperationQueue> delegateQueue);

  // A copy: changing it changes nothing here.
  std::shared_ptr<URLSessionConfiguration> configuration() const;
  // None once the session has been invalidated.
  std::shared_ptr<URLSessionDelegate> delegate() const;
  const std::shared_ptr<OperationQueue>& delegateQueue() const { return delegateQueue_; }

  // New tasks start suspended. A task made after the session was
  // invalidated is already completed, cancelled, and never runs.
  std::shared_ptr<URLSessionDataTask> dataTaskWithRequest(URLRequest request);
  std::shared_ptr<URLSessionDataTask> dataTaskWithURL(URL url);
  // The request's own body is not used.
  std::shared_ptr<URLSessionUploadTask> uploadTaskWithRequestFromData(URLRequest request, Data body);
  std::shared_ptr<URLSessionUploadTask> uploadTaskWithRequestFromFile(URLRequest request, URL fileURL);
  // The body comes from the stream the delegate hands over when asked.
  std::shared_ptr<URLSessionUploadTask> uploadTaskWithStreamedRequest(URLRequest request);
  // A ws or wss URL; the request's header fields go with the upgrade.
  std::shared_ptr<URLSessionWebSocketTask> webSocketTaskWithRequest(URLRequest request);
  // The body goes to a temporary file that the delegate is handed when it
  // is complete.
  std::shared_ptr<URLSessionDownloadTask> downloadTaskWithRequest(URLRequest request);
  std::shared_ptr<URLSessionDownloadTask> downloadTaskWithURL(URL url);
  // Goes on from where the download that left `resumeData` stopped. Data
  // that cannot be used fails the task when it is resumed.
  std::shared_ptr<URLSessionDownloadTask> downloadTaskWithResumeData(const Data& resumeData);

  // No new task runs; the tasks made so far go on until they complete,
  // then the delegate hears of the invalidation.
  void finishTasksAndInvalidate();
  // As above, cancelling every task made so far.
  void invalidateAndCancel();
  // True once either of the above was called.
  bool isInvalidated() const;

 private:
  friend class DelegateChannel;

  template <class Task, class... Extra>
  std::shared_ptr<Task> makeTask(URLRequest request, TaskBody body, Extra&&... extra);
  void invalidate(bool cancelTasks);
  std::shared_ptr<WebSocketRun> makeWebSocketRun(const std::shared_ptr<URLSessionWebSocketTask>& task);
  void releaseDelegate();

  const std::shared_ptr<const URLSessionConfiguration> configuration_;
  const std::shared_ptr<OperationQueue> delegateQueue_;
  std::shared_ptr<SessionEngine> engine_;

  mutable std::mutex mutex_;
  std::shared_ptr<URLSessionDelegate> delegate_;
  std::uint64_t nextTaskIdentifier_ = 1;
  bool invalidated_ = false;
  // Made with the first WebSocket task.
  std::shared_ptr<WebSocketLoop> webSocketLoop_;
};

}  // namespace platform
