#include "Wendanet/Source/Core/Session.h"

#include <cstdlib>

#include "Platform/Dispatch/OperationQueue.h"
#include "Wendanet/Source/Support/Interceptor.h"
#include "Wendanet/Source/Support/WendanetNotifications.h"
#include "Wendanet/Source/Support/SessionConfigurations.h"

namespace wendanet {

namespace {

// A programming error of the caller; stops the process without a message.
void require(bool condition) {
  if (!condition) std::abort();
}

std::shared_ptr<platform::DispatchQueue> childQueue(const std::shared_ptr<platform::DispatchQueue>& root,
                                                    const char* suffix) {
  return platform::DispatchQueue::make(root->label() + suffix, platform::DispatchQueue::Attributes::serial, root);
}

}  // namespace

// Construction and lifetime.

std::vector<std::shared_ptr<EventMonitor>> defaultSessionMonitors() { return {WendanetNotifications::make()}; }

std::shared_ptr<Session> Session::make(std::shared_ptr<platform::URLSession> session,
                                       std::shared_ptr<SessionDelegate> delegate,
                                       std::shared_ptr<platform::DispatchQueue> rootQueue, Settings settings) {
  auto created = std::make_shared<Session>(Passkey(), std::move(session), std::move(delegate), std::move(rootQueue),
                                           std::move(settings));
  created->delegate_->setEventMonitor(created->eventMonitor_);
  created->delegate_->setStateProvider(std::weak_ptr<SessionStateProvider>(created));
  return created;
}

std::shared_ptr<Session> Session::makeWithConfiguration(std::shared_ptr<platform::URLSessionConfiguration> configuration,
                                                        std::shared_ptr<SessionDelegate> delegate,
                                                        std::shared_ptr<platform::DispatchQueue> rootQueue,
                                                        Settings settings) {
  if (!configuration) configuration = SessionConfigurations::makeDefault();
  require(!configuration->identifier());
  if (!delegate) delegate = SessionDelegate::make();
  if (!rootQueue) rootQueue = platform::DispatchQueue::make(std::string(defaultRootQueueLabel));
  const auto serialRoot = rootQueue == platform::DispatchQueue::main()
                              ? rootQueue
                              : platform::DispatchQueue::make(rootQueue->label(),
                                                              platform::DispatchQueue::Attributes::serial, rootQueue);
  const auto delegateQueue = platform::OperationQueue::make(serialRoot->label() + ".sessionDelegate", serialRoot);
  auto session = platform::URLSession::make(configuration, delegate, delegateQueue);
  return make(std::move(session), std::move(delegate), serialRoot, std::move(settings));
}

const std::shared_ptr<Session>& Session::defaultSession() {
  static const std::shared_ptr<Session> shared = makeWithConfiguration();
  return shared;
}

const std::shared_ptr<Session>& WN() { return Session::defaultSession(); }

Session::Session(Passkey, std::shared_ptr<platform::URLSession> session, std::shared_ptr<SessionDelegate> delegate,
                 std::shared_ptr<platform::DispatchQueue> rootQueue, Settings settings)
    : session_((require(session && !session->configuration()->identifier() && session->delegateQueue() &&
                        session->delegateQueue()->underlyingQueue() == rootQueue),
                std::move(session))),
      delegate_(std::move(delegate)),
      rootQueue_(std::move(rootQueue)),
      startRequestsImmediately_(settings.startRequestsImmediately),
      requestSetup_(settings.requestSetup),
      requestQueue_(settings.requestQueue ? std::move(settings.requestQueue) : childQueue(rootQueue_, ".requestQueue")),
      serializationQueue_(settings.serializationQueue ? std::move(settings.serializationQueue)
                                                      : childQueue(rootQueue_, ".serializationQueue")),
      interceptor_(std::move(settings.interceptor)),
      serverTrustManager_(std::move(settings.serverTrustManager)),
      redirectHandler_(std::move(settings.redirectHandler)),
      cachedResponseHandler_(std::move(settings.cachedResponseHandler)),
      eventMonitor_(CompositeEventMonitor::make(rootQueue_, std::move(settings.eventMonitors))) {}

Session::~Session() {
  finishRequestsForDeinit();
  session_->invalidateAndCancel();
}

void Session::finishRequestsForDeinit() {
  for (const auto& request : requestTaskMap_.requests()) {
    rootQueue_->async([request] { request->finish(WNError::sessionDeinitialized()); });
  }
}

// Acting on all requests.

void Session::withAllRequests(std::move_only_function<void(const RequestSet&)> action) {
  rootQueue_->async([self = shared_from_this(), action = std::move(action)]() mutable { action(self->activeRequests_); });
}

void Session::cancelAllRequests(std::shared_ptr<platform::DispatchQueue> queue,
                                std::move_only_function<void()> completion) {
  if (!queue) queue = platform::DispatchQueue::main();
  withAllRequests([queue = std::move(queue), completion = std::move(completion)](const RequestSet& requests) mutable {
    for (const auto& request : requests) request->cancel();
    queue->async([completion = std::move(completion)]() mutable {
      if (completion) completion();
    });
  });
}

// Services to requests.

std::shared_ptr<platform::URLSessionConfiguration> Session::sessionConfiguration() const {
  return session_->configuration();
}

void Session::startRequestIfNeeded(const std::shared_ptr<Request>& request) {
  rootQueue_->async([self = shared_from_this(), request] {
    // A request already on its way to a task is not performed twice: it
    // counts as active from here on, before its perform block has run.
    if (self->requestTaskMap_.taskForRequest(request) || self->activeRequests_.contains(request)) return;
    self->activeRequests_.insert(request);
    self->perform(request);
  });
}

void Session::cleanup(const std::shared_ptr<Request>& request) { activeRequests_.erase(request); }

std::shared_ptr<RequestAdapter> Session::adapter(const std::shared_ptr<Request>& request) const {
  const auto own = request->interceptor();
  if (own && interceptor_) return Interceptor::make(Interceptor::Adapters{interceptor_, own}, {}, {});
  if (own) return own;
  return interceptor_;
}

std::shared_ptr<RequestRetrier> Session::retrier(const std::shared_ptr<Request>& request) const {
  const auto own = request->interceptor();
  if (own && interceptor_) return Interceptor::make({}, Interceptor::Retriers{interceptor_, own}, {});
  if (own) return own;
  return interceptor_;
}

void Session::retryResult(const std::shared_ptr<Request>& request, const WNError& error,
                          std::move_only_function<void(RetryResult)> completion) {
  const auto retrier = this->retrier(request);
  if (!retrier) {
    rootQueue_->async([completion = std::move(completion)]() mutable { completion(RetryResult::doNotRetry()); });
    return;
  }
  auto answer = [root = rootQueue_, error, completion = std::move(completion)](RetryResult result) mutable {
    root->async([result = std::move(result), error, completion = std::move(completion)]() mutable {
      if (const auto* refusal = std::get_if<RetryResult::DoNotRetryWithError>(&result.value())) {
        completion(RetryResult::doNotRetryWithError(
            std::make_shared<WNError>(WNError::requestRetryFailed(refusal->error, error.clone()))));
      } else {
        completion(std::move(result));
      }
    });
  };
  retrier->retry(request, shared_from_this(), error.clone(), std::move(answer));
}

void Session::retryRequest(const std::shared_ptr<Request>& request, std::optional<double> delay) {
  rootQueue_->async([self = shared_from_this(), request, delay] {
    auto retry = [self, request] {
      if (request->isCancelled()) return;
      request->prepareForRetry();
      self->perform(request);
    };
    if (delay) {
      self->rootQueue_->asyncAfter(*delay, std::move(retry));
    } else {
      retry();
    }
  });
}

// Services to the delegate.

std::shared_ptr<Request> Session::requestForTask(const std::shared_ptr<platform::URLSessionTask>& task) {
  platform::dispatchPrecondition(*rootQueue_);
  return requestTaskMap_.requestForTask(task);
}

void Session::didCompleteTask(const std::shared_ptr<platform::URLSessionTask>& task,
                              std::move_only_function<void()> completion) {
  platform::dispatchPrecondition(*rootQueue_);
  if (requestTaskMap_.completionReceivedForTask(task)) {
    completion();
  } else {
    waitingCompletions_.insert_or_assign(task, std::move(completion));
  }
}

void Session::didGatherMetricsForTask(const std::shared_ptr<platform::URLSessionTask>& task) {
  platform::dispatchPrecondition(*rootQueue_);
  if (!requestTaskMap_.metricsGatheredForTask(task)) return;
  if (auto waiting = waitingCompletions_.extract(task)) waiting.mapped()();
}

std::optional<platform::URLCredential> Session::credentialForChallenge(
    const std::shared_ptr<platform::URLSessionTask>& task, const platform::URLProtectionSpace& space) {
  platform::dispatchPrecondition(*rootQueue_);
  if (const auto request = requestTaskMap_.requestForTask(task)) {
    if (auto credential = request->credential()) return credential;
  }
  const auto storage = session_->configuration()->urlCredentialStorage();
  return storage ? storage->defaultCredential(space) : std::nullopt;
}

void Session::cancelRequestsForSessionInvalidation(const platform::AnyError& error) {
  platform::dispatchPrecondition(*rootQueue_);
  for (const auto& request : requestTaskMap_.requests()) request->finish(WNError::sessionInvalidated(error));
}

}  // namespace wendanet
