#pragma once

#include <concepts>
#include <functional>
#include <memory>
#include <string>

#include "Platform/Concurrency/Task.h"
#include "Platform/Foundation/HTTPURLResponse.h"
#include "Platform/Foundation/Progress.h"
#include "Platform/Foundation/URLRequest.h"
#include "Platform/URLLoading/URLSessionTask.h"
#include "Wendanet/Source/Async/StreamOf.h"
#include "Wendanet/Source/Core/DataRequest.h"
#include "Wendanet/Source/Core/DataStreamRequest.h"
#include "Wendanet/Source/Core/Request.h"

namespace wendanet {

// A request's handler slots as streams. Iterating one installs its handler
// on the request's underlying queue, replacing whatever handler of that
// kind was there, and the stream ends when the request is cleaned up, or at
// once when it has already finished or been cancelled. The streams do not
// keep the request alive: one iterated after the request is gone ends at
// once. Leaving the loop neither cancels nor tells the request.
StreamOf<std::shared_ptr<platform::Progress>> uploadProgressStream(const std::shared_ptr<Request>& request,
                                                                   platform::StreamBufferingPolicy bufferingPolicy);
StreamOf<std::shared_ptr<platform::Progress>> downloadProgressStream(const std::shared_ptr<Request>& request,
                                                                     platform::StreamBufferingPolicy bufferingPolicy);
// The latest URL request (or task) first, when there is one, then each new one.
StreamOf<platform::URLRequest> urlRequestStream(const std::shared_ptr<Request>& request,
                                                platform::StreamBufferingPolicy bufferingPolicy);
StreamOf<std::shared_ptr<platform::URLSessionTask>> urlSessionTaskStream(
    const std::shared_ptr<Request>& request, platform::StreamBufferingPolicy bufferingPolicy);
// At most one text per iteration.
StreamOf<std::string> cURLDescriptionStream(const std::shared_ptr<Request>& request,
                                            platform::StreamBufferingPolicy bufferingPolicy);

using HTTPResponsePointer = std::shared_ptr<const platform::HTTPURLResponse>;

namespace detail {

// Finished or cancelled: it makes no more events.
bool hasEnded(const Request& request);

// Runs `finish` on the request's underlying queue, behind the events queued
// there already, once the request is cleaned up, or at once when it has
// finished or been cancelled meanwhile. A cancelled request may already be
// past its clean-up, which would never run the handler.
void finishWithRequest(Request& request, std::function<void()> finish);

// The shared builder: each iteration registers through `registerHandler`,
// then ends its stream with the request. Handlers yield from blocks queued
// on the underlying queue, and the last of them (the final progress of a
// quick download) may still be queued when the request is cleaned up: the
// end comes behind them, so that none is lost. The stream of a request that
// has already ended is ended before the registration: what the registration
// hands over from the past (the last URL request, task or cURL text) is
// queued, and so arrives after the end and is dropped, instead of racing it.
template <class Element>
StreamOf<Element> makeEventStream(
    const std::shared_ptr<Request>& request, platform::StreamBufferingPolicy bufferingPolicy,
    std::function<void(Request&, typename StreamOf<Element>::Continuation)> registerHandler) {
  return StreamOf<Element>(
      bufferingPolicy, nullptr,
      [weakRequest = std::weak_ptr<Request>(request),
       registerHandler = std::move(registerHandler)](typename StreamOf<Element>::Continuation continuation) {
        const auto request = weakRequest.lock();
        const bool ended = !request || hasEnded(*request);
        if (ended) continuation.finish();
        if (request) registerHandler(*request, continuation);
        if (!ended) finishWithRequest(*request, [continuation] { continuation.finish(); });
      });
}

}  // namespace detail

template <class Kind>
concept HTTPResponseAnswering = std::same_as<Kind, DataRequest> || std::same_as<Kind, DataStreamRequest>;

// Every HTTP response the request receives, each allowed to go on.
template <HTTPResponseAnswering Kind>
StreamOf<HTTPResponsePointer> httpResponseStream(const std::shared_ptr<Kind>& request,
                                                 platform::StreamBufferingPolicy bufferingPolicy) {
  return detail::makeEventStream<HTTPResponsePointer>(
      request, bufferingPolicy, [](Request& base, StreamOf<HTTPResponsePointer>::Continuation continuation) {
        auto& kind = static_cast<Kind&>(base);
        kind.onHTTPResponse(kind.underlyingQueue(),
                            [continuation](const HTTPResponsePointer& response) { continuation.yield(response); });
      });
}

using AsyncDispositionHandler =
    std::function<platform::Task<Request::ResponseDisposition>(const HTTPResponsePointer& response)>;
using AsyncResponseHandler = std::function<platform::Task<void>(const HTTPResponsePointer& response)>;

namespace detail {
// Starts a task that awaits `handler` and answers with its disposition; a
// handler that fails answers `cancel`, so the request never waits forever.
void answerInTask(const AsyncDispositionHandler& handler, const HTTPResponsePointer& response,
                  Request::DispositionCompletion completion);
AsyncDispositionHandler allowingAfter(AsyncResponseHandler handler);
}  // namespace detail

// The HTTP-response handler as an asynchronous function, replacing any
// other; the request waits for its answer without blocking its queue.
template <HTTPResponseAnswering Kind>
Kind& onHTTPResponseAsync(Kind& request, AsyncDispositionHandler handler) {
  return request.onHTTPResponseWithDisposition(
      request.underlyingQueue(),
      [handler = std::move(handler)](const HTTPResponsePointer& response, Request::DispositionCompletion completion) {
        detail::answerInTask(handler, response, std::move(completion));
      });
}
// The same, allowing the response once `handler` is done.
template <HTTPResponseAnswering Kind>
Kind& onHTTPResponseAsyncAllowing(Kind& request, AsyncResponseHandler handler) {
  return onHTTPResponseAsync(request, detail::allowingAfter(std::move(handler)));
}

}  // namespace wendanet
