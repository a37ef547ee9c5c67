#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Foundation/HTTPURLResponse.h"
#include "Platform/Foundation/ProcessInfo.h"
#include "Platform/Foundation/Progress.h"
#include "Platform/Foundation/URLRequest.h"
#include "Platform/Foundation/UUID.h"
#include "Platform/URLLoading/URLCredential.h"
#include "Platform/URLLoading/URLSession.h"
#include "Platform/URLLoading/URLSessionDelegate.h"
#include "Platform/URLLoading/URLSessionTask.h"
#include "Platform/URLLoading/URLSessionTaskMetrics.h"
#include "Wendanet/Source/Core/AnyValue.h"
#include "Wendanet/Source/Support/CachedResponseHandler.h"
#include "Wendanet/Source/Support/EventMonitor.h"
#include "Wendanet/Source/Core/Protected.h"
#include "Wendanet/Source/Support/RedirectHandler.h"
#include "Wendanet/Source/Core/RequestDelegate.h"
#include "Wendanet/Source/Support/RequestInterceptor.h"
#include "Wendanet/Source/Core/ResponseSerializationFailureReason.h"
#include "Wendanet/Source/Core/WNError.h"

namespace wendanet {

// One logical request across all its attempts: the URL requests built for
// it, the tasks created for it, their metrics, its error, its handlers and
// its response serializers. The session drives the lifecycle operations on
// `underlyingQueue`; the controls may be called from any thread and return
// the request so that calls chain. Nothing outside the request runs while
// one of its locks is held: monitors, the delegate, validators, serializers
// and handlers are called after the lock is released, handlers always
// asynchronously on the queue stored with them.
class Request : public std::enable_shared_from_this<Request> {
 public:
  enum class State : int { initialized = 0, resumed = 1, suspended = 2, cancelled = 3, finished = 4 };
  // A response handler's answer to a received HTTP response.
  enum class ResponseDisposition : int { allow = 0, cancel = 1 };
  using DispositionCompletion = std::function<void(ResponseDisposition)>;
  // Answers the HTTP response before the body arrives, by calling the
  // completion exactly once, from any thread.
  using HTTPResponseDispositionHandler =
      std::function<void(const std::shared_ptr<const platform::HTTPURLResponse>&, DispositionCompletion)>;
  using HTTPResponseHandler = std::function<void(const std::shared_ptr<const platform::HTTPURLResponse>&)>;

  // The names WendanetNotifications posts under.
  static constexpr std::string_view didResumeNotification = "org.wendanet.notification.name.request.didResume";
  static constexpr std::string_view didSuspendNotification = "org.wendanet.notification.name.request.didSuspend";
  static constexpr std::string_view didCancelNotification = "org.wendanet.notification.name.request.didCancel";
  static constexpr std::string_view didFinishNotification = "org.wendanet.notification.name.request.didFinish";
  static constexpr std::string_view didResumeTaskNotification = "org.wendanet.notification.name.request.didResumeTask";
  static constexpr std::string_view didSuspendTaskNotification =
      "org.wendanet.notification.name.request.didSuspendTask";
  static constexpr std::string_view didCancelTaskNotification = "org.wendanet.notification.name.request.didCancelTask";
  static constexpr std::string_view didCompleteTaskNotification =
      "org.wendanet.notification.name.request.didCompleteTask";

  using ProgressHandler = std::function<void(const platform::Progress&)>;
  using CURLHandler = std::function<void(const std::string&)>;
  using URLRequestHandler = std::function<void(const platform::URLRequest&)>;
  using URLSessionTaskHandler = std::function<void(const std::shared_ptr<platform::URLSessionTask>&)>;
  // A serializer runs again from the first after every retry.
  using ResponseSerializer = std::function<void()>;
  using Completion = std::move_only_function<void()>;
  using Validator = std::function<void()>;

  // A handler together with the queue it is called on.
  template <class Handler>
  struct QueuedHandler {
    std::shared_ptr<platform::DispatchQueue> queue;
    Handler handler;
  };

  // What every request is created with.
  struct BaseFields {
    platform::UUID id = platform::UUID();
    // Serial; every lifecycle operation and state event runs on it.
    std::shared_ptr<platform::DispatchQueue> underlyingQueue = nullptr;
    std::shared_ptr<platform::DispatchQueue> serializationQueue = nullptr;
    std::shared_ptr<EventMonitor> eventMonitor = nullptr;
    std::shared_ptr<RequestInterceptor> interceptor = nullptr;
    std::weak_ptr<RequestDelegate> delegate = {};
    // Whether adding a response handler starts the request; absent: as the
    // delegate's `startImmediately` says.
    std::optional<bool> shouldAutomaticallyResume = std::nullopt;
  };

  static std::shared_ptr<Request> make(BaseFields fields);

  virtual ~Request() = default;
  Request(const Request&) = delete;
  Request& operator=(const Request&) = delete;

  // Fixed at creation.
  const platform::UUID& id() const { return id_; }
  const std::shared_ptr<platform::DispatchQueue>& underlyingQueue() const { return underlyingQueue_; }
  const std::shared_ptr<platform::DispatchQueue>& serializationQueue() const { return serializationQueue_; }
  std::optional<bool> shouldAutomaticallyResume() const { return shouldAutomaticallyResume_; }
  // Null once the session is gone.
  std::shared_ptr<RequestDelegate> delegate() const { return delegate_.lock(); }
  const std::shared_ptr<platform::Progress>& uploadProgress() const { return uploadProgress_; }
  const std::shared_ptr<platform::Progress>& downloadProgress() const { return downloadProgress_; }

  // Each read takes the state lock once.
  std::shared_ptr<EventMonitor> eventMonitor() const;
  std::shared_ptr<RequestInterceptor> interceptor() const;
  State state() const;
  bool isInitialized() const { return state() == State::initialized; }
  bool isResumed() const { return state() == State::resumed; }
  bool isSuspended() const { return state() == State::suspended; }
  bool isCancelled() const { return state() == State::cancelled; }
  bool isFinished() const { return state() == State::finished; }
  std::optional<QueuedHandler<ProgressHandler>> uploadProgressHandler() const;
  std::optional<QueuedHandler<ProgressHandler>> downloadProgressHandler() const;
  std::shared_ptr<RedirectHandler> redirectHandler() const;
  std::shared_ptr<CachedResponseHandler> cachedResponseHandler() const;
  std::optional<platform::URLCredential> credential() const;
  // Every URL request built, across all attempts; `request` is the last.
  std::vector<platform::URLRequest> requests() const;
  std::optional<platform::URLRequest> firstRequest() const;
  std::optional<platform::URLRequest> lastRequest() const;
  std::optional<platform::URLRequest> request() const { return lastRequest(); }
  // The current URL request of every task that has one, in task order.
  std::vector<platform::URLRequest> performedRequests() const;
  // The last task's response when it is an HTTP response.
  std::shared_ptr<const platform::HTTPURLResponse> response() const;
  std::vector<std::shared_ptr<platform::URLSessionTask>> tasks() const;
  std::shared_ptr<platform::URLSessionTask> firstTask() const;
  std::shared_ptr<platform::URLSessionTask> lastTask() const;
  std::shared_ptr<platform::URLSessionTask> task() const { return lastTask(); }
  std::vector<std::shared_ptr<const platform::URLSessionTaskMetrics>> allMetrics() const;
  std::shared_ptr<const platform::URLSessionTaskMetrics> firstMetrics() const;
  std::shared_ptr<const platform::URLSessionTaskMetrics> lastMetrics() const;
  std::shared_ptr<const platform::URLSessionTaskMetrics> metrics() const { return lastMetrics(); }
  std::int64_t retryCount() const;
  std::optional<WNError> error() const;
  // Runs `action` with the state while the state lock is held, so that a
  // task told inside it follows the request's state exactly. `action` must
  // not touch the request.
  template <class Action>
  auto withStateLocked(Action&& action) const {
    return mutableState_.write([&](const MutableState& state) { return std::forward<Action>(action)(state.state); });
  }

  // Lifecycle, called by the session on `underlyingQueue`; a call from any
  // other queue stops the process.
  void didCreateInitialURLRequest(const platform::URLRequest& urlRequest);
  void didFailToCreateURLRequest(const WNError& error);
  void didAdaptInitialRequest(const platform::URLRequest& initialRequest, const platform::URLRequest& adaptedRequest);
  void didFailToAdaptURLRequest(const platform::URLRequest& urlRequest, const WNError& error);
  void didCreateURLRequest(const platform::URLRequest& urlRequest);
  virtual void didCreateTask(const std::shared_ptr<platform::URLSessionTask>& task);
  void didResume();
  void didResumeTask(const std::shared_ptr<platform::URLSessionTask>& task);
  void didSuspend();
  void didSuspendTask(const std::shared_ptr<platform::URLSessionTask>& task);
  void didCancel();
  void didCancelTask(const std::shared_ptr<platform::URLSessionTask>& task);
  void didGatherMetrics(std::shared_ptr<const platform::URLSessionTaskMetrics> metrics);
  // Replaces any stored error; the task still completes, and completion
  // decides about a retry.
  void didFailTaskEarly(const std::shared_ptr<platform::URLSessionTask>& task, const WNError& error);
  void didCompleteTask(const std::shared_ptr<platform::URLSessionTask>& task, const std::optional<WNError>& error);

  // Retry and finish, also on `underlyingQueue` only.
  void prepareForRetry();
  void retryOrFinish(const std::optional<WNError>& error);
  // A given error replaces the stored one; without one the stored error
  // stays. A finish while one is under way does nothing.
  virtual void finish(const std::optional<WNError>& error = std::nullopt);

  // The response-serializer pipeline. Serializers run one at a time on
  // `serializationQueue`, in the order added; each ends by appending its
  // completion on `underlyingQueue` and handing on with
  // `processNextResponseSerializer`. Completions are held back until the
  // last serializer has run, then run in the order added.
  void appendResponseSerializer(ResponseSerializer serializer);
  void appendResponseSerializerCompletion(Completion completion);
  void processNextResponseSerializer();
  // Clears what belongs to one attempt before a retry.
  virtual void reset();
  void updateUploadProgress(std::int64_t totalBytesSent, std::int64_t totalBytesExpectedToSend);
  // Runs the finish handlers, then tells the delegate.
  virtual void cleanup();
  // True when the request has finished already: the caller then runs
  // `handler` itself, at once.
  bool appendFinishHandlerUnlessFinished(Completion handler);
  void resumeAndStartIfNeeded();

  // State controls; a control the current state does not allow changes
  // nothing.
  virtual Request& cancel();
  Request& suspend();
  Request& resume();

  // Progress handlers replace any earlier one.
  Request& setUploadProgressHandler(std::shared_ptr<platform::DispatchQueue> queue, ProgressHandler handler);
  Request& setDownloadProgressHandler(std::shared_ptr<platform::DispatchQueue> queue, ProgressHandler handler);

  Request& authenticateWithUsername(std::string username, std::string password,
                                    platform::URLCredential::Persistence persistence);
  Request& authenticateWithCredential(platform::URLCredential credential);

  // A request takes one handler of each kind; setting a second one is a
  // caller's error that stops the process.
  Request& setRedirectHandler(std::shared_ptr<RedirectHandler> handler);
  Request& setCachedResponseHandler(std::shared_ptr<CachedResponseHandler> handler);

  // The cURL text at once when a URL request exists; otherwise at the next
  // URL request created or failed (only the latest handler waiting).
  Request& cURLDescriptionOnQueue(std::shared_ptr<platform::DispatchQueue> queue, CURLHandler handler);
  Request& cURLDescription(CURLHandler handler);

  // Called with the latest URL request or task when there is one, and then
  // with every later one.
  Request& onURLRequestCreation(std::shared_ptr<platform::DispatchQueue> queue, URLRequestHandler handler);
  Request& onURLSessionTaskCreation(std::shared_ptr<platform::DispatchQueue> queue, URLSessionTaskHandler handler);

  // Each folds the new value into the one stored interceptor or monitor.
  Request& addInterceptor(std::shared_ptr<RequestInterceptor> interceptor);
  Request& addAdapter(std::shared_ptr<RequestAdapter> adapter);
  Request& addRetrier(std::shared_ptr<RequestRetrier> retrier);
  Request& addEventMonitors(std::shared_ptr<EventMonitor> monitor);

  // "GET https://example.com/x (200)", or "No request created yet.".
  std::string description() const;
  // The latest URL request as a command line for the curl tool, with what
  // the session adds on the wire.
  std::string makeCURLCommand() const;

  // Whether the request's body goes with its task rather than in its URL
  // request.
  virtual bool sendsBodyOutsideRequest() const { return false; }

  // Each kind builds its own task; the base stops the process.
  virtual std::shared_ptr<platform::URLSessionTask> createTask(const platform::URLRequest& urlRequest,
                                                               const std::shared_ptr<platform::URLSession>& session);

  friend bool operator==(const Request& left, const Request& right) { return left.id_ == right.id_; }

 protected:
  explicit Request(BaseFields fields);

  struct MutableState {
    State state = State::initialized;
    std::optional<QueuedHandler<ProgressHandler>> uploadProgressHandler;
    std::optional<QueuedHandler<ProgressHandler>> downloadProgressHandler;
    std::shared_ptr<RedirectHandler> redirectHandler;
    std::shared_ptr<CachedResponseHandler> cachedResponseHandler;
    std::optional<QueuedHandler<CURLHandler>> cURLHandler;
    std::optional<QueuedHandler<URLRequestHandler>> urlRequestHandler;
    std::optional<QueuedHandler<URLSessionTaskHandler>> urlSessionTaskHandler;
    // Shared, so that running one again after a retry costs no copy of
    // everything its closure holds.
    std::vector<std::shared_ptr<const ResponseSerializer>> responseSerializers;
    // Its length is the index of the next serializer to run.
    std::vector<Completion> responseSerializerCompletions;
    bool responseSerializerProcessingFinished = false;
    std::shared_ptr<EventMonitor> eventMonitor;
    std::shared_ptr<RequestInterceptor> interceptor;
    std::optional<platform::URLCredential> credential;
    // These three only grow: one entry per URL request, task and metrics,
    // across all attempts.
    std::vector<platform::URLRequest> requests;
    std::vector<std::shared_ptr<platform::URLSessionTask>> tasks;
    std::vector<std::shared_ptr<const platform::URLSessionTaskMetrics>> metrics;
    std::int64_t retryCount = 0;
    std::optional<WNError> error;
    bool isFinishing = false;
    std::vector<Completion> finishHandlers;
    // The serializer handed to `serializationQueue` that has not completed
    // yet, so that a second hand-over never runs it twice.
    std::optional<std::size_t> serializerInFlight;
    // A retry handed to the delegate that has not been prepared yet.
    bool isRetryPending = false;
  };

  // Hands a retry the request asked for to the delegate. A request whose
  // delegate is gone cannot be retried: it goes on to finish instead.
  void retryThroughDelegate(std::optional<double> delay);

  // A serializer with its value type erased, run over the request's state
  // and timed on the system's uptime clock. A thrown WNError is the failure
  // as it is; any other error becomes a custom serialization failure.
  template <class Serialize, class... State>
  static std::pair<Result<AnyValue>, double> runSerializer(const Serialize& serialize, const State&... state) {
    const auto& processInfo = platform::ProcessInfo::processInfo();
    const double start = processInfo.systemUptime();
    Result<AnyValue> result = [&]() -> Result<AnyValue> {
      try {
        return serialize(state...);
      } catch (const WNError& failure) {
        return std::unexpected(failure);
      } catch (const platform::Error& failure) {
        return std::unexpected(WNError::responseSerializationFailed(
            ResponseSerializationFailureReason::customSerializationFailed(failure.clone())));
      }
    }();
    return {std::move(result), processInfo.systemUptime() - start};
  }
  // After a serializer failed with `error`, the delegate decides whether the
  // request is retried; a cancelled request or one without a delegate is
  // not, so its handler is never left waiting. Unless it retries, `deliver`
  // is called with the error the response must carry instead of the
  // serializer's own, or with none to keep it.
  void retryOrDeliverSerializationFailure(const WNError& error,
                                          std::move_only_function<void(std::optional<WNError>)> deliver);

  // Calls `event` on the monitor, read under the lock and called after. A
  // kind reports its own events, which take the request as that kind.
  template <class Kind, class... Parameters, class... Arguments>
  void report(void (EventMonitor::*event)(const std::shared_ptr<Kind>&, Parameters...), const Arguments&... arguments) {
    if (const auto monitor = eventMonitor()) {
      ((*monitor).*event)(std::static_pointer_cast<Kind>(shared_from_this()), arguments...);
    }
  }

  // A handler that answers allow once `handler` has seen the response.
  static HTTPResponseDispositionHandler allowingAfter(HTTPResponseHandler handler);
  // A failed validation becomes the request's error: the error itself when
  // it is a WNError, otherwise wrapped as a custom validation failure.
  void recordValidationResult(const ValidationResult& result);
  // Without a handler the response is allowed at once, on
  // `underlyingQueue`; with one, the handler decides on its queue. A
  // `cancel` answer marks the request cancelled with explicitlyCancelled
  // (unless an error is stored) and no cancel events: the URL loading
  // system then cancels the task, which completes as usual.
  void answerResponse(const std::optional<QueuedHandler<HTTPResponseDispositionHandler>>& handler,
                      const std::shared_ptr<const platform::HTTPURLResponse>& response,
                      platform::ResponseCompletionHandler completion);

  // Queues the download-progress handler, read again when it runs, so that
  // a handler removed meanwhile is not called.
  void notifyDownloadProgressHandler();
  // Runs `work` on `underlyingQueue` later, keeping the request alive.
  void enqueue(std::move_only_function<void(Request&)> work);

  // Reads take the lock too, from const members.
  mutable Protected<MutableState> mutableState_;
  Protected<std::vector<Validator>> validators_;

 private:
  // A copy of one field, read under the lock.
  template <class Field>
  Field read(Field MutableState::*field) const {
    return mutableState_.write([&](const MutableState& state) { return state.*field; });
  }
  void autoResumeIfNeeded();
  // Hands a waiting cURL handler the text, once.
  void deliverPendingCURLText();
  // Goes on without the retry that can no longer happen.
  void abandonRetry();
  void notifyProgressHandler(std::optional<QueuedHandler<ProgressHandler>> MutableState::*handler,
                             const std::shared_ptr<platform::Progress>& progress);

  const platform::UUID id_;
  const std::shared_ptr<platform::DispatchQueue> underlyingQueue_;
  const std::shared_ptr<platform::DispatchQueue> serializationQueue_;
  const std::optional<bool> shouldAutomaticallyResume_;
  const std::weak_ptr<RequestDelegate> delegate_;
  const std::shared_ptr<platform::Progress> uploadProgress_;
  const std::shared_ptr<platform::Progress> downloadProgress_;
};

}  // namespace wendanet

template <>
struct std::hash<wendanet::Request> {
  std::size_t operator()(const wendanet::Request& request) const { return std::hash<platform::UUID>{}(request.id()); }
};
