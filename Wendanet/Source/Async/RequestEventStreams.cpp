#include "Wendanet/Source/Async/RequestEventStreams.h"

#include <exception>

namespace wendanet {

namespace detail {

bool hasEnded(const Request& request) { return request.isFinished() || request.isCancelled(); }

void finishWithRequest(Request& request, std::function<void()> finish) {
  auto queued = [queue = request.underlyingQueue(), finish = std::move(finish)] { queue->async(finish); };
  if (request.appendFinishHandlerUnlessFinished(queued) || request.isCancelled()) queued();
}

namespace {

platform::Task<void> answer(AsyncDispositionHandler handler, HTTPResponsePointer response,
                            Request::DispositionCompletion completion) {
  auto disposition = Request::ResponseDisposition::cancel;
  try {
    const auto answering = handler(response);
    disposition = co_await answering;
  } catch (...) {
    // The handler's failure is its answer: the response does not go on.
  }
  completion(disposition);
}

platform::Task<Request::ResponseDisposition> allowAfter(AsyncResponseHandler handler, HTTPResponsePointer response) {
  const auto handling = handler(response);
  co_await handling;
  co_return Request::ResponseDisposition::allow;
}

}  // namespace

void answerInTask(const AsyncDispositionHandler& handler, const HTTPResponsePointer& response,
                  Request::DispositionCompletion completion) {
  (void)answer(handler, response, std::move(completion));
}

AsyncDispositionHandler allowingAfter(AsyncResponseHandler handler) {
  return [handler = std::move(handler)](const HTTPResponsePointer& response) { return allowAfter(handler, response); };
}

}  // namespace detail

namespace {

template <class Element>
using Continuation = typename StreamOf<Element>::Continuation;

using ProgressPointer = std::shared_ptr<platform::Progress>;

StreamOf<ProgressPointer> progressStream(
    const std::shared_ptr<Request>& request, platform::StreamBufferingPolicy bufferingPolicy,
    Request& (Request::*setHandler)(std::shared_ptr<platform::DispatchQueue>, Request::ProgressHandler),
    const ProgressPointer& (Request::*progress)() const) {
  return detail::makeEventStream<ProgressPointer>(
      request, bufferingPolicy, [setHandler, progress](Request& request, Continuation<ProgressPointer> continuation) {
        (request.*setHandler)(request.underlyingQueue(),
                              [continuation, progress = (request.*progress)()](const platform::Progress&) {
                                continuation.yield(progress);
                              });
      });
}

}  // namespace

StreamOf<ProgressPointer> uploadProgressStream(const std::shared_ptr<Request>& request,
                                               platform::StreamBufferingPolicy bufferingPolicy) {
  return progressStream(request, bufferingPolicy, &Request::setUploadProgressHandler, &Request::uploadProgress);
}

StreamOf<ProgressPointer> downloadProgressStream(const std::shared_ptr<Request>& request,
                                                 platform::StreamBufferingPolicy bufferingPolicy) {
  return progressStream(request, bufferingPolicy, &Request::setDownloadProgressHandler, &Request::downloadProgress);
}

StreamOf<platform::URLRequest> urlRequestStream(const std::shared_ptr<Request>& request,
                                                platform::StreamBufferingPolicy bufferingPolicy) {
  return detail::makeEventStream<platform::URLRequest>(
      request, bufferingPolicy, [](Request& request, Continuation<platform::URLRequest> continuation) {
        request.onURLRequestCreation(request.underlyingQueue(), [continuation](const platform::URLRequest& urlRequest) {
          continuation.yield(urlRequest);
        });
      });
}

StreamOf<std::shared_ptr<platform::URLSessionTask>> urlSessionTaskStream(
    const std::shared_ptr<Request>& request, platform::StreamBufferingPolicy bufferingPolicy) {
  using TaskPointer = std::shared_ptr<platform::URLSessionTask>;
  return detail::makeEventStream<TaskPointer>(
      request, bufferingPolicy, [](Request& request, Continuation<TaskPointer> continuation) {
        request.onURLSessionTaskCreation(request.underlyingQueue(),
                                         [continuation](const TaskPointer& task) { continuation.yield(task); });
      });
}

StreamOf<std::string> cURLDescriptionStream(const std::shared_ptr<Request>& request,
                                            platform::StreamBufferingPolicy bufferingPolicy) {
  return detail::makeEventStream<std::string>(
      request, bufferingPolicy, [](Request& request, Continuation<std::string> continuation) {
        request.cURLDescriptionOnQueue(request.underlyingQueue(),
                                       [continuation](const std::string& text) { continuation.yield(text); });
      });
}

}  // namespace wendanet
