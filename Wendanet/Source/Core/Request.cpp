#include "Wendanet/Source/Core/Request.h"

#include <utility>
#include <variant>

#include "Platform/Fatal.h"
#include "Wendanet/Source/Core/TaggedUnion.h"
#include "Wendanet/Source/Core/WNErrorCasts.h"

namespace wendanet {

std::shared_ptr<Request> Request::make(BaseFields fields) {
  return std::shared_ptr<Request>(new Request(std::move(fields)));
}

Request::Request(BaseFields fields)
    : mutableState_([&] {
        MutableState state;
        state.eventMonitor = std::move(fields.eventMonitor);
        state.interceptor = std::move(fields.interceptor);
        return state;
      }()),
      id_(fields.id),
      underlyingQueue_(std::move(fields.underlyingQueue)),
      serializationQueue_(std::move(fields.serializationQueue)),
      shouldAutomaticallyResume_(fields.shouldAutomaticallyResume),
      delegate_(std::move(fields.delegate)),
      uploadProgress_(platform::Progress::make(0)),
      downloadProgress_(platform::Progress::make(0)) {}

void Request::enqueue(std::move_only_function<void(Request&)> work) {
  underlyingQueue_->async([self = shared_from_this(), work = std::move(work)]() mutable { work(*self); });
}

// State, read under the lock.

std::shared_ptr<EventMonitor> Request::eventMonitor() const { return read(&MutableState::eventMonitor); }
std::shared_ptr<RequestInterceptor> Request::interceptor() const { return read(&MutableState::interceptor); }
Request::State Request::state() const { return read(&MutableState::state); }

std::optional<Request::QueuedHandler<Request::ProgressHandler>> Request::uploadProgressHandler() const {
  return read(&MutableState::uploadProgressHandler);
}

std::optional<Request::QueuedHandler<Request::ProgressHandler>> Request::downloadProgressHandler() const {
  return read(&MutableState::downloadProgressHandler);
}

std::shared_ptr<RedirectHandler> Request::redirectHandler() const { return read(&MutableState::redirectHandler); }

std::shared_ptr<CachedResponseHandler> Request::cachedResponseHandler() const {
  return read(&MutableState::cachedResponseHandler);
}

std::optional<platform::URLCredential> Request::credential() const { return read(&MutableState::credential); }
std::vector<platform::URLRequest> Request::requests() const { return read(&MutableState::requests); }

std::optional<platform::URLRequest> Request::firstRequest() const {
  return mutableState_.write([](const MutableState& state) -> std::optional<platform::URLRequest> {
    if (state.requests.empty()) return std::nullopt;
    return state.requests.front();
  });
}

std::optional<platform::URLRequest> Request::lastRequest() const {
  return mutableState_.write([](const MutableState& state) -> std::optional<platform::URLRequest> {
    if (state.requests.empty()) return std::nullopt;
    return state.requests.back();
  });
}

std::vector<platform::URLRequest> Request::performedRequests() const {
  std::vector<platform::URLRequest> performed;
  for (const auto& task : tasks()) {
    if (auto current = task->currentRequest()) performed.push_back(*std::move(current));
  }
  return performed;
}

std::shared_ptr<const platform::HTTPURLResponse> Request::response() const {
  const auto task = lastTask();
  return task ? std::dynamic_pointer_cast<const platform::HTTPURLResponse>(task->response()) : nullptr;
}

std::vector<std::shared_ptr<platform::URLSessionTask>> Request::tasks() const { return read(&MutableState::tasks); }

std::shared_ptr<platform::URLSessionTask> Request::firstTask() const {
  return mutableState_.write(
      [](const MutableState& state) { return state.tasks.empty() ? nullptr : state.tasks.front(); });
}

std::shared_ptr<platform::URLSessionTask> Request::lastTask() const {
  return mutableState_.write(
      [](const MutableState& state) { return state.tasks.empty() ? nullptr : state.tasks.back(); });
}

std::vector<std::shared_ptr<const platform::URLSessionTaskMetrics>> Request::allMetrics() const {
  return read(&MutableState::metrics);
}

std::shared_ptr<const platform::URLSessionTaskMetrics> Request::firstMetrics() const {
  return mutableState_.write(
      [](const MutableState& state) { return state.metrics.empty() ? nullptr : state.metrics.front(); });
}

std::shared_ptr<const platform::URLSessionTaskMetrics> Request::lastMetrics() const {
  return mutableState_.write(
      [](const MutableState& state) { return state.metrics.empty() ? nullptr : state.metrics.back(); });
}

std::int64_t Request::retryCount() const { return read(&MutableState::retryCount); }
std::optional<WNError> Request::error() const { return read(&MutableState::error); }

// Lifecycle.

void Request::didCreateInitialURLRequest(const platform::URLRequest& urlRequest) {
  platform::dispatchPrecondition(*underlyingQueue_);
  mutableState_.write([&](MutableState& state) { state.requests.push_back(urlRequest); });
  report(&EventMonitor::requestDidCreateInitialURLRequest, urlRequest);
}

void Request::didFailToCreateURLRequest(const WNError& error) {
  platform::dispatchPrecondition(*underlyingQueue_);
  mutableState_.write([&](MutableState& state) { state.error = error; });
  report(&EventMonitor::requestDidFailToCreateURLRequestWithError, error);
  deliverPendingCURLText();
  retryOrFinish(error);
}

void Request::didAdaptInitialRequest(const platform::URLRequest& initialRequest,
                                     const platform::URLRequest& adaptedRequest) {
  platform::dispatchPrecondition(*underlyingQueue_);
  mutableState_.write([&](MutableState& state) { state.requests.push_back(adaptedRequest); });
  report(&EventMonitor::requestDidAdaptInitialRequestToAdaptedRequest, initialRequest, adaptedRequest);
}

void Request::didFailToAdaptURLRequest(const platform::URLRequest& urlRequest, const WNError& error) {
  platform::dispatchPrecondition(*underlyingQueue_);
  mutableState_.write([&](MutableState& state) { state.error = error; });
  report(&EventMonitor::requestDidFailToAdaptURLRequestWithError, urlRequest, error);
  deliverPendingCURLText();
  retryOrFinish(error);
}

void Request::didCreateURLRequest(const platform::URLRequest& urlRequest) {
  platform::dispatchPrecondition(*underlyingQueue_);
  mutableState_.write([&](MutableState& state) {
    if (const auto& stored = state.urlRequestHandler) {
      stored->queue->async([handler = stored->handler, urlRequest] { handler(urlRequest); });
    }
  });
  report(&EventMonitor::requestDidCreateURLRequest, urlRequest);
  deliverPendingCURLText();
}

void Request::didCreateTask(const std::shared_ptr<platform::URLSessionTask>& task) {
  platform::dispatchPrecondition(*underlyingQueue_);
  mutableState_.write([&](MutableState& state) {
    state.tasks.push_back(task);
    if (const auto& stored = state.urlSessionTaskHandler) {
      stored->queue->async([handler = stored->handler, task] { handler(task); });
    }
  });
  report(&EventMonitor::requestDidCreateTask, task);
}

void Request::didResume() {
  platform::dispatchPrecondition(*underlyingQueue_);
  report(&EventMonitor::requestDidResume);
}

void Request::didResumeTask(const std::shared_ptr<platform::URLSessionTask>& task) {
  platform::dispatchPrecondition(*underlyingQueue_);
  report(&EventMonitor::requestDidResumeTask, task);
}

void Request::didSuspend() {
  platform::dispatchPrecondition(*underlyingQueue_);
  report(&EventMonitor::requestDidSuspend);
}

void Request::didSuspendTask(const std::shared_ptr<platform::URLSessionTask>& task) {
  platform::dispatchPrecondition(*underlyingQueue_);
  report(&EventMonitor::requestDidSuspendTask, task);
}

void Request::didCancel() {
  platform::dispatchPrecondition(*underlyingQueue_);
  mutableState_.write([](MutableState& state) {
    if (!state.error) state.error = WNError::explicitlyCancelled();
  });
  report(&EventMonitor::requestDidCancel);
}

void Request::didCancelTask(const std::shared_ptr<platform::URLSessionTask>& task) {
  platform::dispatchPrecondition(*underlyingQueue_);
  report(&EventMonitor::requestDidCancelTask, task);
}

void Request::didGatherMetrics(std::shared_ptr<const platform::URLSessionTaskMetrics> metrics) {
  platform::dispatchPrecondition(*underlyingQueue_);
  mutableState_.write([&](MutableState& state) { state.metrics.push_back(metrics); });
  report(&EventMonitor::requestDidGatherMetrics, metrics);
}

void Request::didFailTaskEarly(const std::shared_ptr<platform::URLSessionTask>& task, const WNError& error) {
  platform::dispatchPrecondition(*underlyingQueue_);
  mutableState_.write([&](MutableState& state) { state.error = error; });
  report(&EventMonitor::requestDidFailTaskEarlyWithError, task, error);
}

void Request::didCompleteTask(const std::shared_ptr<platform::URLSessionTask>& task,
                              const std::optional<WNError>& error) {
  platform::dispatchPrecondition(*underlyingQueue_);
  mutableState_.write([&](MutableState& state) {
    if (!state.error) state.error = error;
  });
  const auto validators = validators_.write([](const std::vector<Validator>& stored) { return stored; });
  for (const auto& validator : validators) validator();
  report(&EventMonitor::requestDidCompleteTaskWithError, task, error);
  retryOrFinish(this->error());
}

// Retry and finish.

void Request::prepareForRetry() {
  platform::dispatchPrecondition(*underlyingQueue_);
  mutableState_.write([](MutableState& state) {
    ++state.retryCount;
    state.isRetryPending = false;
  });
  reset();
  report(&EventMonitor::requestIsRetrying);
}

void Request::retryOrFinish(const std::optional<WNError>& error) {
  platform::dispatchPrecondition(*underlyingQueue_);
  const auto delegate = this->delegate();
  if (isCancelled() || !error || !delegate) {
    finish();
    return;
  }
  delegate->retryResult(shared_from_this(), *error, [self = shared_from_this()](RetryResult result) {
    std::visit(Overloaded{
                   [&](const RetryResult::Retry&) { self->retryThroughDelegate(std::nullopt); },
                   [&](const RetryResult::RetryWithDelay& retry) { self->retryThroughDelegate(retry.seconds); },
                   [&](const RetryResult::DoNotRetry&) { self->finish(); },
                   [&](const RetryResult::DoNotRetryWithError& answer) {
                     self->finish(castToWNErrorOrFail(answer.error,
                                                      [] { return "Received retryError was not already WNError"; }));
                   },
               },
               result.value());
  });
}

void Request::retryThroughDelegate(std::optional<double> delay) {
  const auto delegate = this->delegate();
  // The delegate skips a cancelled request, so its retry would never come.
  const bool handedOver = mutableState_.write([&](MutableState& state) {
    state.isRetryPending = delegate && state.state != State::cancelled;
    return state.isRetryPending;
  });
  if (handedOver) {
    delegate->retryRequest(shared_from_this(), delay);
  } else {
    abandonRetry();
  }
}

void Request::abandonRetry() {
  enum class Step { continuePipeline, leaveToCancel, finish };
  const Step step = mutableState_.write([](MutableState& state) {
    state.isRetryPending = false;
    state.serializerInFlight.reset();
    if (state.isFinishing) return Step::continuePipeline;
    // The finish that cancelling queued takes the request to its end.
    return state.state == State::cancelled ? Step::leaveToCancel : Step::finish;
  });
  if (step == Step::continuePipeline) processNextResponseSerializer();
  if (step == Step::finish) finish();
}

void Request::finish(const std::optional<WNError>& error) {
  platform::dispatchPrecondition(*underlyingQueue_);
  enum class Step { none, startPipeline, continuePipeline };
  const Step step = mutableState_.write([&](MutableState& state) {
    Step next = Step::startPipeline;
    if (state.isFinishing) {
      // Cancelled while a serializer's retry was pending: the delegate skips
      // a cancelled request, so that retry will never come, and the
      // pipeline goes on where the retry stopped it.
      if (state.state != State::cancelled || !state.isRetryPending) return Step::none;
      next = Step::continuePipeline;
      state.serializerInFlight.reset();
    }
    state.isFinishing = true;
    state.isRetryPending = false;
    if (error) state.error = error;
    return next;
  });
  if (step == Step::none) return;
  processNextResponseSerializer();
  if (step == Step::startPipeline) report(&EventMonitor::requestDidFinish);
}

// The serializer pipeline.

void Request::appendResponseSerializer(ResponseSerializer serializer) {
  mutableState_.write([&](MutableState& state) {
    state.responseSerializers.push_back(std::make_shared<const ResponseSerializer>(std::move(serializer)));
    if (state.state == State::finished) state.state = State::resumed;
    if (state.responseSerializerProcessingFinished) {
      enqueue([](Request& self) { self.processNextResponseSerializer(); });
    }
    if (state.state == State::initialized || state.state == State::suspended) {
      enqueue([](Request& self) { self.autoResumeIfNeeded(); });
    }
  });
}

void Request::appendResponseSerializerCompletion(Completion completion) {
  mutableState_.write(
      [&](MutableState& state) { state.responseSerializerCompletions.push_back(std::move(completion)); });
}

void Request::processNextResponseSerializer() {
  std::shared_ptr<const ResponseSerializer> next;
  std::optional<std::vector<Completion>> completions;
  mutableState_.write([&](MutableState& state) {
    const std::size_t index = state.responseSerializerCompletions.size();
    if (index < state.responseSerializers.size()) {
      if (state.serializerInFlight == index) return;
      state.serializerInFlight = index;
      next = state.responseSerializers[index];
      return;
    }
    completions = std::exchange(state.responseSerializerCompletions, {});
    state.responseSerializers.clear();
    state.serializerInFlight.reset();
    if (state.state < State::cancelled) state.state = State::finished;
    state.responseSerializerProcessingFinished = true;
    state.isFinishing = false;
  });
  // The running serializer keeps its request alive: a handler added after
  // the request's clean-up has nobody else holding the request for it.
  if (next) serializationQueue_->async([self = shared_from_this(), next = std::move(next)] { (*next)(); });
  if (!completions) return;
  for (auto& completion : *completions) completion();
  cleanup();
}

void Request::reset() {
  for (const auto& progress : {uploadProgress_, downloadProgress_}) {
    progress->setTotalUnitCount(0);
    progress->setCompletedUnitCount(0);
  }
  mutableState_.write([](MutableState& state) {
    state.error.reset();
    state.isFinishing = false;
    state.responseSerializerCompletions.clear();
    state.serializerInFlight.reset();
  });
}

void Request::updateUploadProgress(std::int64_t totalBytesSent, std::int64_t totalBytesExpectedToSend) {
  uploadProgress_->setTotalUnitCount(totalBytesExpectedToSend);
  uploadProgress_->setCompletedUnitCount(totalBytesSent);
  notifyProgressHandler(&MutableState::uploadProgressHandler, uploadProgress_);
}

void Request::notifyDownloadProgressHandler() {
  notifyProgressHandler(&MutableState::downloadProgressHandler, downloadProgress_);
}

void Request::notifyProgressHandler(std::optional<QueuedHandler<ProgressHandler>> MutableState::*handler,
                                    const std::shared_ptr<platform::Progress>& progress) {
  // An empty handler counts as none: setting one removes the handler.
  const auto stored = read(handler);
  if (!stored || !stored->handler) return;
  stored->queue->async([self = shared_from_this(), handler, progress] {
    const auto current = self->read(handler);
    if (current && current->handler) current->handler(*progress);
  });
}

void Request::cleanup() {
  auto handlers = mutableState_.write([](MutableState& state) { return std::exchange(state.finishHandlers, {}); });
  for (auto& handler : handlers) handler();
  if (const auto delegate = this->delegate()) delegate->cleanup(shared_from_this());
}

bool Request::appendFinishHandlerUnlessFinished(Completion handler) {
  return mutableState_.write([&](MutableState& state) {
    if (state.state == State::finished) return true;
    state.finishHandlers.push_back(std::move(handler));
    return false;
  });
}

void Request::autoResumeIfNeeded() {
  const auto delegate = this->delegate();
  const bool shouldResume = shouldAutomaticallyResume_.value_or(delegate && delegate->startImmediately());
  if (shouldResume) resume();
}

void Request::deliverPendingCURLText() {
  mutableState_.write([&](MutableState& state) {
    if (!state.cURLHandler) return;
    state.cURLHandler->queue->async([self = shared_from_this(), handler = std::move(state.cURLHandler->handler)] {
      handler(self->makeCURLCommand());
    });
    state.cURLHandler.reset();
  });
}

// Answering the HTTP response.

void Request::retryOrDeliverSerializationFailure(const WNError& error,
                                                 std::move_only_function<void(std::optional<WNError>)> deliver) {
  const auto delegate = this->delegate();
  if (isCancelled() || !delegate) return deliver(std::nullopt);
  delegate->retryResult(
      shared_from_this(), error,
      [self = shared_from_this(), deliver = std::make_shared<decltype(deliver)>(std::move(deliver))](
          RetryResult answer) {
        std::visit(Overloaded{
                       [&](const RetryResult::Retry&) { self->retryThroughDelegate(std::nullopt); },
                       [&](const RetryResult::RetryWithDelay& retry) { self->retryThroughDelegate(retry.seconds); },
                       [&](const RetryResult::DoNotRetry&) { (*deliver)(std::nullopt); },
                       [&](const RetryResult::DoNotRetryWithError& refusal) {
                         (*deliver)(castToWNErrorOrFail(refusal.error,
                                                        [] { return "Received retryError was not already WNError"; }));
                       },
                   },
                   answer.value());
      });
}

void Request::recordValidationResult(const ValidationResult& result) {
  if (result) return;
  const WNError error = castToWNErrorOrDefault(result.error(), [&] {
    return WNError::responseValidationFailed(ResponseValidationFailureReason::customValidationFailed(result.error()));
  });
  mutableState_.write([&](MutableState& state) { state.error = error; });
}

Request::HTTPResponseDispositionHandler Request::allowingAfter(HTTPResponseHandler handler) {
  return [handler = std::move(handler)](const auto& response, const DispositionCompletion& completion) {
    handler(response);
    completion(ResponseDisposition::allow);
  };
}

void Request::answerResponse(const std::optional<QueuedHandler<HTTPResponseDispositionHandler>>& handler,
                             const std::shared_ptr<const platform::HTTPURLResponse>& response,
                             platform::ResponseCompletionHandler completion) {
  if (!handler) {
    underlyingQueue_->async(
        [completion = std::move(completion)] { completion(platform::URLSessionResponseDisposition::allow); });
    return;
  }
  handler->queue->async(
      [self = shared_from_this(), answer = handler->handler, response, completion = std::move(completion)] {
        answer(response, [self, completion](ResponseDisposition disposition) {
          if (disposition == ResponseDisposition::cancel) {
            self->mutableState_.write([](MutableState& state) {
              state.state = State::cancelled;
              if (!state.error) state.error = WNError::explicitlyCancelled();
            });
          }
          const auto platformAnswer = disposition == ResponseDisposition::allow
                                          ? platform::URLSessionResponseDisposition::allow
                                          : platform::URLSessionResponseDisposition::cancel;
          self->underlyingQueue_->async([completion, platformAnswer] { completion(platformAnswer); });
        });
      });
}

std::shared_ptr<platform::URLSessionTask> Request::createTask(const platform::URLRequest&,
                                                              const std::shared_ptr<platform::URLSession>&) {
  platform::fatal("Subclasses must override.");
}

}  // namespace wendanet
