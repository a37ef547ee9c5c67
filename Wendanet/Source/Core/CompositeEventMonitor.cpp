#include "Wendanet/Source/Core/CompositeEventMonitor.h"

#include <tuple>
#include <type_traits>
#include <utility>

namespace wendanet {

std::shared_ptr<CompositeEventMonitor> CompositeEventMonitor::make(
    std::shared_ptr<platform::DispatchQueue> queue, std::vector<std::shared_ptr<EventMonitor>> monitors) {
  return std::shared_ptr<CompositeEventMonitor>(new CompositeEventMonitor(std::move(queue), std::move(monitors)));
}

CompositeEventMonitor::CompositeEventMonitor(std::shared_ptr<platform::DispatchQueue> queue,
                                             std::vector<std::shared_ptr<EventMonitor>> monitors)
    : queue_(std::move(queue)), hasMonitors_(!monitors.empty()), monitors_(std::move(monitors)) {}

std::shared_ptr<platform::DispatchQueue> CompositeEventMonitor::queue() const { return queue_; }

std::vector<std::shared_ptr<EventMonitor>> CompositeEventMonitor::monitors() const {
  return monitors_.read([](const std::vector<std::shared_ptr<EventMonitor>>& monitors) { return monitors; });
}

template <class... Parameters, class... Arguments>
void CompositeEventMonitor::forward(void (EventMonitor::*event)(Parameters...), const Arguments&... arguments) {
  if (!hasMonitors_) return;
  performEvent(std::make_shared<const Event>(
      [event, captured = std::tuple<std::decay_t<Parameters>...>(arguments...)](EventMonitor& monitor) {
        std::apply([&](const auto&... values) { (monitor.*event)(values...); }, captured);
      }));
}

void CompositeEventMonitor::performEvent(std::shared_ptr<const Event> event) {
  // `write` gives the list in place, without a copy; nothing changes it.
  monitors_.write([&](const std::vector<std::shared_ptr<EventMonitor>>& monitors) {
    for (const auto& monitor : monitors) {
      auto queue = monitor->queue();
      if (!queue) queue = platform::DispatchQueue::main();
      queue->async([monitor, event] { (*event)(*monitor); });
    }
  });
}

void CompositeEventMonitor::sessionDidBecomeInvalidWithError(const std::shared_ptr<platform::URLSession>& session,
                                                             const platform::AnyError& error) {
  forward(&EventMonitor::sessionDidBecomeInvalidWithError, session, error);
}

void CompositeEventMonitor::taskDidReceiveChallenge(
    const std::shared_ptr<platform::URLSession>& session, const std::shared_ptr<platform::URLSessionTask>& task,
    const std::shared_ptr<const platform::URLAuthenticationChallenge>& challenge) {
  forward(&EventMonitor::taskDidReceiveChallenge, session, task, challenge);
}

void CompositeEventMonitor::taskDidSendBodyData(const std::shared_ptr<platform::URLSession>& session,
                                                const std::shared_ptr<platform::URLSessionTask>& task,
                                                std::int64_t bytesSent, std::int64_t totalBytesSent,
                                                std::int64_t totalBytesExpectedToSend) {
  forward(&EventMonitor::taskDidSendBodyData, session, task, bytesSent, totalBytesSent, totalBytesExpectedToSend);
}

void CompositeEventMonitor::taskNeedNewBodyStream(const std::shared_ptr<platform::URLSession>& session,
                                                  const std::shared_ptr<platform::URLSessionTask>& task) {
  forward(&EventMonitor::taskNeedNewBodyStream, session, task);
}

void CompositeEventMonitor::taskWillPerformHTTPRedirection(
    const std::shared_ptr<platform::URLSession>& session, const std::shared_ptr<platform::URLSessionTask>& task,
    const std::shared_ptr<const platform::HTTPURLResponse>& response, const platform::URLRequest& newRequest) {
  forward(&EventMonitor::taskWillPerformHTTPRedirection, session, task, response, newRequest);
}

void CompositeEventMonitor::taskDidFinishCollectingMetrics(
    const std::shared_ptr<platform::URLSession>& session, const std::shared_ptr<platform::URLSessionTask>& task,
    const std::shared_ptr<const platform::URLSessionTaskMetrics>& metrics) {
  forward(&EventMonitor::taskDidFinishCollectingMetrics, session, task, metrics);
}

void CompositeEventMonitor::taskDidComplete(const std::shared_ptr<platform::URLSession>& session,
                                            const std::shared_ptr<platform::URLSessionTask>& task,
                                            const platform::AnyError& error) {
  forward(&EventMonitor::taskDidComplete, session, task, error);
}

void CompositeEventMonitor::taskIsWaitingForConnectivity(const std::shared_ptr<platform::URLSession>& session,
                                                         const std::shared_ptr<platform::URLSessionTask>& task) {
  forward(&EventMonitor::taskIsWaitingForConnectivity, session, task);
}

void CompositeEventMonitor::dataTaskDidReceiveResponse(const std::shared_ptr<platform::URLSession>& session,
                                                       const std::shared_ptr<platform::URLSessionDataTask>& dataTask,
                                                       const std::shared_ptr<const platform::URLResponse>& response) {
  forward(&EventMonitor::dataTaskDidReceiveResponse, session, dataTask, response);
}

void CompositeEventMonitor::dataTaskDidReceiveData(const std::shared_ptr<platform::URLSession>& session,
                                                   const std::shared_ptr<platform::URLSessionDataTask>& dataTask,
                                                   const platform::Data& data) {
  forward(&EventMonitor::dataTaskDidReceiveData, session, dataTask, data);
}

void CompositeEventMonitor::dataTaskWillCacheResponse(
    const std::shared_ptr<platform::URLSession>& session, const std::shared_ptr<platform::URLSessionDataTask>& dataTask,
    const std::shared_ptr<const platform::CachedURLResponse>& proposedResponse) {
  forward(&EventMonitor::dataTaskWillCacheResponse, session, dataTask, proposedResponse);
}

void CompositeEventMonitor::downloadTaskDidResumeAtOffset(
    const std::shared_ptr<platform::URLSession>& session,
    const std::shared_ptr<platform::URLSessionDownloadTask>& downloadTask, std::int64_t fileOffset,
    std::int64_t expectedTotalBytes) {
  forward(&EventMonitor::downloadTaskDidResumeAtOffset, session, downloadTask, fileOffset, expectedTotalBytes);
}

void CompositeEventMonitor::downloadTaskDidWriteData(
    const std::shared_ptr<platform::URLSession>& session,
    const std::shared_ptr<platform::URLSessionDownloadTask>& downloadTask, std::int64_t bytesWritten,
    std::int64_t totalBytesWritten, std::int64_t totalBytesExpectedToWrite) {
  forward(&EventMonitor::downloadTaskDidWriteData, session, downloadTask, bytesWritten, totalBytesWritten,
          totalBytesExpectedToWrite);
}

void CompositeEventMonitor::downloadTaskDidFinishDownloadingToURL(
    const std::shared_ptr<platform::URLSession>& session,
    const std::shared_ptr<platform::URLSessionDownloadTask>& downloadTask, const platform::URL& location) {
  forward(&EventMonitor::downloadTaskDidFinishDownloadingToURL, session, downloadTask, location);
}

void CompositeEventMonitor::requestDidCreateInitialURLRequest(const std::shared_ptr<Request>& request,
                                                              const platform::URLRequest& urlRequest) {
  forward(&EventMonitor::requestDidCreateInitialURLRequest, request, urlRequest);
}

void CompositeEventMonitor::requestDidFailToCreateURLRequestWithError(const std::shared_ptr<Request>& request,
                                                                      const WNError& error) {
  forward(&EventMonitor::requestDidFailToCreateURLRequestWithError, request, error);
}

void CompositeEventMonitor::requestDidAdaptInitialRequestToAdaptedRequest(const std::shared_ptr<Request>& request,
                                                                          const platform::URLRequest& initialRequest,
                                                                          const platform::URLRequest& adaptedRequest) {
  forward(&EventMonitor::requestDidAdaptInitialRequestToAdaptedRequest, request, initialRequest, adaptedRequest);
}

void CompositeEventMonitor::requestDidFailToAdaptURLRequestWithError(const std::shared_ptr<Request>& request,
                                                                     const platform::URLRequest& urlRequest,
                                                                     const WNError& error) {
  forward(&EventMonitor::requestDidFailToAdaptURLRequestWithError, request, urlRequest, error);
}

void CompositeEventMonitor::requestDidCreateURLRequest(const std::shared_ptr<Request>& request,
                                                       const platform::URLRequest& urlRequest) {
  forward(&EventMonitor::requestDidCreateURLRequest, request, urlRequest);
}

void CompositeEventMonitor::requestDidCreateTask(const std::shared_ptr<Request>& request,
                                                 const std::shared_ptr<platform::URLSessionTask>& task) {
  forward(&EventMonitor::requestDidCreateTask, request, task);
}

void CompositeEventMonitor::requestDidGatherMetrics(
    const std::shared_ptr<Request>& request, const std::shared_ptr<const platform::URLSessionTaskMetrics>& metrics) {
  forward(&EventMonitor::requestDidGatherMetrics, request, metrics);
}

void CompositeEventMonitor::requestDidFailTaskEarlyWithError(const std::shared_ptr<Request>& request,
                                                             const std::shared_ptr<platform::URLSessionTask>& task,
                                                             const WNError& error) {
  forward(&EventMonitor::requestDidFailTaskEarlyWithError, request, task, error);
}

void CompositeEventMonitor::requestDidCompleteTaskWithError(const std::shared_ptr<Request>& request,
                                                            const std::shared_ptr<platform::URLSessionTask>& task,
                                                            const std::optional<WNError>& error) {
  forward(&EventMonitor::requestDidCompleteTaskWithError, request, task, error);
}

void CompositeEventMonitor::requestIsRetrying(const std::shared_ptr<Request>& request) {
  forward(&EventMonitor::requestIsRetrying, request);
}

void CompositeEventMonitor::requestDidFinish(const std::shared_ptr<Request>& request) {
  forward(&EventMonitor::requestDidFinish, request);
}

void CompositeEventMonitor::requestDidResume(const std::shared_ptr<Request>& request) {
  forward(&EventMonitor::requestDidResume, request);
}

void CompositeEventMonitor::requestDidResumeTask(const std::shared_ptr<Request>& request,
                                                 const std::shared_ptr<platform::URLSessionTask>& task) {
  forward(&EventMonitor::requestDidResumeTask, request, task);
}

void CompositeEventMonitor::requestDidSuspend(const std::shared_ptr<Request>& request) {
  forward(&EventMonitor::requestDidSuspend, request);
}

void CompositeEventMonitor::requestDidSuspendTask(const std::shared_ptr<Request>& request,
                                                  const std::shared_ptr<platform::URLSessionTask>& task) {
  forward(&EventMonitor::requestDidSuspendTask, request, task);
}

void CompositeEventMonitor::requestDidCancel(const std::shared_ptr<Request>& request) {
  forward(&EventMonitor::requestDidCancel, request);
}

void CompositeEventMonitor::requestDidCancelTask(const std::shared_ptr<Request>& request,
                                                 const std::shared_ptr<platform::URLSessionTask>& task) {
  forward(&EventMonitor::requestDidCancelTask, request, task);
}

void CompositeEventMonitor::requestDidValidateRequestResponseDataWithResult(
    const std::shared_ptr<DataRequest>& request, const std::optional<platform::URLRequest>& urlRequest,
    const std::shared_ptr<const platform::HTTPURLResponse>& response, const std::optional<platform::Data>& data,
    const ValidationResult& result) {
  forward(&EventMonitor::requestDidValidateRequestResponseDataWithResult, request, urlRequest, response, data, result);
}

void CompositeEventMonitor::requestDidParseResponse(const std::shared_ptr<DataRequest>& request,
                                                    const DataResponse<std::optional<platform::Data>>& response) {
  forward(&EventMonitor::requestDidParseResponse, request, response);
}

void CompositeEventMonitor::requestDidParseSerializedResponse(const std::shared_ptr<DataRequest>& request,
                                                              const DataResponse<AnyValue>& response) {
  forward(&EventMonitor::requestDidParseSerializedResponse, request, response);
}

void CompositeEventMonitor::requestDidValidateRequestResponseWithResult(
    const std::shared_ptr<DataStreamRequest>& request, const std::optional<platform::URLRequest>& urlRequest,
    const std::shared_ptr<const platform::HTTPURLResponse>& response, const ValidationResult& result) {
  forward(&EventMonitor::requestDidValidateRequestResponseWithResult, request, urlRequest, response, result);
}

void CompositeEventMonitor::requestDidParseStream(const std::shared_ptr<DataStreamRequest>& request,
                                                  const Result<AnyValue>& result) {
  forward(&EventMonitor::requestDidParseStream, request, result);
}

void CompositeEventMonitor::requestDidCreateUploadable(const std::shared_ptr<UploadRequest>& request,
                                                       const Uploadable& uploadable) {
  forward(&EventMonitor::requestDidCreateUploadable, request, uploadable);
}

void CompositeEventMonitor::requestDidFailToCreateUploadableWithError(const std::shared_ptr<UploadRequest>& request,
                                                                      const WNError& error) {
  forward(&EventMonitor::requestDidFailToCreateUploadableWithError, request, error);
}

void CompositeEventMonitor::requestDidProvideInputStream(const std::shared_ptr<UploadRequest>& request,
                                                         const std::shared_ptr<platform::InputStream>& stream) {
  forward(&EventMonitor::requestDidProvideInputStream, request, stream);
}

void CompositeEventMonitor::requestDidFinishDownloadingUsingTaskWithResult(
    const std::shared_ptr<DownloadRequest>& request, const std::shared_ptr<platform::URLSessionTask>& task,
    const Result<platform::URL>& result) {
  forward(&EventMonitor::requestDidFinishDownloadingUsingTaskWithResult, request, task, result);
}

void CompositeEventMonitor::requestDidCreateDestinationURL(const std::shared_ptr<DownloadRequest>& request,
                                                           const platform::URL& url) {
  forward(&EventMonitor::requestDidCreateDestinationURL, request, url);
}

void CompositeEventMonitor::requestDidValidateRequestResponseFileURLWithResult(
    const std::shared_ptr<DownloadRequest>& request, const std::optional<platform::URLRequest>& urlRequest,
    const std::shared_ptr<const platform::HTTPURLResponse>& response, const std::optional<platform::URL>& fileURL,
    const ValidationResult& result) {
  forward(&EventMonitor::requestDidValidateRequestResponseFileURLWithResult, request, urlRequest, response, fileURL,
          result);
}

void CompositeEventMonitor::requestDidParseDownloadResponse(
    const std::shared_ptr<DownloadRequest>& request, const DownloadResponse<std::optional<platform::URL>>& response) {
  forward(&EventMonitor::requestDidParseDownloadResponse, request, response);
}

void CompositeEventMonitor::requestDidParseSerializedDownloadResponse(const std::shared_ptr<DownloadRequest>& request,
                                                                      const DownloadResponse<AnyValue>& response) {
  forward(&EventMonitor::requestDidParseSerializedDownloadResponse, request, response);
}
}  // namespace wendanet
