#include "Platform/URLLoading/URLSession.h"

#include <type_traits>

#include "Platform/Dispatch/OperationQueue.h"
#include "Platform/Foundation/URLError.h"
#include "Platform/URLLoading/Engine/DelegateChannel.h"
#include "Platform/URLLoading/Engine/SessionEngine.h"
#include "Platform/URLLoading/Engine/WebSocketLoop.h"
#include "Platform/URLLoading/Engine/WebSocketRun.h"

namespace platform {

std::shared_ptr<URLSession> URLSession::make(const std::shared_ptr<URLSessionConfiguration>& configuration,
                                             std::shared_ptr<URLSessionDelegate> delegate,
                                             std::shared_ptr<OperationQueue> delegateQueue) {
  std::shared_ptr<const URLSessionConfiguration> copy =
      (configuration ? configuration : URLSessionConfiguration::defaultConfiguration())->copy();
  if (!delegateQueue) delegateQueue = OperationQueue::make("org.wendalore.urlsession.delegateQueue", nullptr);
  auto session = std::make_shared<URLSession>(Passkey(), copy, delegate, delegateQueue);
  session->engine_ =
      SessionEngine::start(copy, DelegateChannel(session, std::move(delegate), std::move(delegateQueue)));
  return session;
}

URLSession::URLSession(Passkey, std::shared_ptr<const URLSessionConfiguration> configuration,
                       std::shared_ptr<URLSessionDelegate> delegate, std::shared_ptr<OperationQueue> delegateQueue)
    : configuration_(std::move(configuration)),
      delegateQueue_(std::move(delegateQueue)),
      delegate_(std::move(delegate)) {}

std::shared_ptr<URLSessionConfiguration> URLSession::configuration() const { return configuration_->copy(); }

std::shared_ptr<URLSessionDelegate> URLSession::delegate() const {
  std::lock_guard lock(mutex_);
  return delegate_;
}

template <class Task, class... Extra>
std::shared_ptr<Task> URLSession::makeTask(URLRequest request, TaskBody body, Extra&&... extra) {
  std::lock_guard lock(mutex_);
  const auto url = request.url();
  auto task = std::make_shared<Task>(URLSessionTask::Passkey(), nextTaskIdentifier_++, std::move(request),
                                     std::move(body), engine_, std::forward<Extra>(extra)...);
  if constexpr (std::is_same_v<Task, URLSessionWebSocketTask>) task->run_ = makeWebSocketRun(task);
  if (invalidated_) {
    task->complete(makeError(URLError(URLError::Code::cancelled, url)));
  } else {
    engine_->post([task](SessionEngine& engine) { engine.registerTask(task); });
  }
  return task;
}

std::shared_ptr<URLSessionDataTask> URLSession::dataTaskWithRequest(URLRequest request) {
  return makeTask<URLSessionDataTask>(std::move(request), TaskBody{});
}

std::shared_ptr<URLSessionDataTask> URLSession::dataTaskWithURL(URL url) {
  return dataTaskWithRequest(URLRequest(std::move(url)));
}

std::shared_ptr<URLSessionUploadTask> URLSession::uploadTaskWithRequestFromData(URLRequest request, Data body) {
  return makeTask<URLSessionUploadTask>(std::move(request), TaskBody{std::move(body)});
}

std::shared_ptr<URLSessionUploadTask> URLSession::uploadTaskWithRequestFromFile(URLRequest request, URL fileURL) {
  return makeTask<URLSessionUploadTask>(std::move(request), TaskBody{std::move(fileURL)});
}

std::shared_ptr<URLSessionUploadTask> URLSession::uploadTaskWithStreamedRequest(URLRequest request) {
  return makeTask<URLSessionUploadTask>(std::move(request), TaskBody{TaskBody::FromDelegate{}});
}

std::shared_ptr<URLSessionWebSocketTask> URLSession::webSocketTaskWithRequest(URLRequest request) {
  return makeTask<URLSessionWebSocketTask>(std::move(request), TaskBody{});
}

// Under the lock, before the task is registered or handed out.
std::shared_ptr<WebSocketRun> URLSession::makeWebSocketRun(const std::shared_ptr<URLSessionWebSocketTask>& task) {
  if (!webSocketLoop_) webSocketLoop_ = WebSocketLoop::make();
  auto refusal =
      invalidated_ ? makeError(URLError(URLError::Code::cancelled, task->originalRequest()->url())) : nullptr;
  return std::make_shared<WebSocketRun>(task, webSocketLoop_, delegateQueue_, configuration_, std::move(refusal));
}

std::shared_ptr<URLSessionDownloadTask> URLSession::downloadTaskWithRequest(URLRequest request) {
  return makeTask<URLSessionDownloadTask>(std::move(request), TaskBody{});
}

std::shared_ptr<URLSessionDownloadTask> URLSession::downloadTaskWithURL(URL url) {
  return downloadTaskWithRequest(URLRequest(std::move(url)));
}

std::shared_ptr<URLSessionDownloadTask> URLSession::downloadTaskWithResumeData(const Data& resumeData) {
  auto origin = DownloadResumeData::decode(resumeData);
  // Data that cannot be read leaves the task without a URL to load.
  auto request = origin ? origin->request() : URLRequest();
  return makeTask<URLSessionDownloadTask>(std::move(request), TaskBody{},
                                          std::optional<URLSessionDownloadTask::ResumeOrigin>(std::move(origin)));
}

void URLSession::finishTasksAndInvalidate() { invalidate(false); }

bool URLSession::isInvalidated() const {
  const std::lock_guard lock(mutex_);
  return invalidated_;
}

void URLSession::invalidateAndCancel() { invalidate(true); }

// A second call still counts when it asks for more: cancelling after a
// graceful invalidation cancels what is left.
void URLSession::invalidate(bool cancelTasks) {
  std::lock_guard lock(mutex_);
  invalidated_ = true;
  engine_->post([cancelTasks](SessionEngine& engine) { engine.invalidate(cancelTasks); });
  if (cancelTasks) engine_->cancelTrustChallenges();
}

void URLSession::releaseDelegate() {
  std::lock_guard lock(mutex_);
  delegate_.reset();
}

}  // namespace platform
