#include "Wendanet/Source/Core/ClosureEventMonitor.h"

#include <utility>

namespace wendanet {

namespace {

// Calls a copy, so that a closure may replace or clear itself while it runs.
template <class Closure, class... Arguments>
void callIfSet(const Closure& closure, const Arguments&... arguments) {
  if (!closure) return;
  const Closure copy = closure;
  copy(arguments...);
}

}  // namespace

std::shared_ptr<ClosureEventMonitor> ClosureEventMonitor::make(std::shared_ptr<platform::DispatchQueue> queue) {
  return std::shared_ptr<ClosureEventMonitor>(new ClosureEventMonitor(std::move(queue)));
}

ClosureEventMonitor::ClosureEventMonitor(std::shared_ptr<platform::DispatchQueue> queue) : queue_(std::move(queue)) {}

std::shared_ptr<platform::DispatchQueue> ClosureEventMonitor::queue() const { return queue_; }

void ClosureEventMonitor::sessionDidBecomeInvalidWithError(const std::shared_ptr<platform::URLSession>& session,
                                                           const platform::AnyError& error) {
  callIfSet(closures.sessionDidBecomeInvalidWithError, session, error);
}

void ClosureEventMonitor::taskDidReceiveChallenge(
    const std::shared_ptr<platform::URLSession>& session, const std::shared_ptr<platform::URLSessionTask>& task,
    const std::shared_ptr<const platform::URLAuthenticationChallenge>& challenge) {
  callIfSet(closures.taskDidReceiveChallenge, session, task, challenge);
}

void ClosureEventMonitor::taskDidSendBodyData(const std::shared_ptr<platform::URLSession>& session,
                                              const std::shared_ptr<platform::URLSessionTask>& task,
                                              std::int64_t bytesSent, std::int64_t totalBytesSent,
                                              std::int64_t totalBytesExpectedToSend) {
  callIfSet(closures.taskDidSendBodyData, session, task, bytesSent, totalBytesSent, totalBytesExpectedToSend);
}

void ClosureEventMonitor::taskNeedNewBodyStream(const std::shared_ptr<platform::URLSession>& session,
                                                const std::shared_ptr<platform::URLSessionTask>& task) {
  callIfSet(closures.taskNeedNewBodyStream, session, task);
}

void ClosureEventMonitor::taskWillPerformHTTPRedirection(
    const std::shared_ptr<platform::URLSession>& session, const std::shared_ptr<platform::URLSessionTask>& task,
    const std::shared_ptr<const platform::HTTPURLResponse>& response, const platform::URLRequest& newRequest) {
  callIfSet(closures.taskWillPerformHTTPRedirection, session, task, response, newRequest);
}

void ClosureEventMonitor::taskDidFinishCollectingMetrics(
    const std::shared_ptr<platform::URLSession>& session, const std::shared_ptr<platform::URLSessionTask>& task,
    const std::shared_ptr<const platform::URLSessionTaskMetrics>& metrics) {
  callIfSet(closures.taskDidFinishCollectingMetrics, session, task, metrics);
}

void ClosureEventMonitor::taskDidComplete(const std::shared_ptr<platform::URLSession>& session,
                                          const std::shared_ptr<platform::URLSessionTask>& task,
                                          const platform::AnyError& error) {
  callIfSet(closures.taskDidComplete, session, task, error);
}

void ClosureEventMonitor::taskIsWaitingForConnectivity(const std::shared_ptr<platform::URLSession>& session,
                                                       const std::shared_ptr<platform::URLSessionTask>& task) {
  callIfSet(closures.taskIsWaitingForConnectivity, session, task);
}

void ClosureEventMonitor::dataTaskDidReceiveResponse(const std::shared_ptr<platform::URLSession>& session,
                                                     const std::shared_ptr<platform::URLSessionDataTask>& dataTask,
                                                     const std::shared_ptr<const platform::URLResponse>& response) {
  callIfSet(closures.dataTaskDidReceiveResponse, session, dataTask, response);
}

void ClosureEventMonitor::dataTaskDidReceiveData(const std::shared_ptr<platform::URLSession>& session,
                                                 const std::shared_ptr<platform::URLSessionDataTask>& dataTask,
                                                 const platform::Data& data) {
  callIfSet(closures.dataTaskDidReceiveData, session, dataTask, data);
}

void ClosureEventMonitor::dataTaskWillCacheResponse(
    const std::shared_ptr<platform::URLSession>& session, const std::shared_ptr<platform::URLSessionDataTask>& dataTask,
    const std::shared_ptr<const platform::CachedURLResponse>& proposedResponse) {
  callIfSet(closures.dataTaskWillCacheResponse, session, dataTask, proposedResponse);
}

void ClosureEventMonitor::downloadTaskDidResumeAtOffset(
    const std::shared_ptr<platform::URLSession>& session,
    const std::shared_ptr<platform::URLSessionDownloadTask>& downloadTask, std::int64_t fileOffset,
    std::int64_t expectedTotalBytes) {
  callIfSet(closures.downloadTaskDidResumeAtOffset, session, downloadTask, fileOffset, expectedTotalBytes);
}

void ClosureEventMonitor::downloadTaskDidWriteData(
    const std::shared_ptr<platform::URLSession>& session,
    const std::shared_ptr<platform::URLSessionDownloadTask>& downloadTask, std::int64_t bytesWritten,
    std::int64_t totalBytesWritten, std::int64_t totalBytesExpectedToWrite) {
  callIfSet(closures.downloadTaskDidWriteData, session, downloadTask, bytesWritten, totalBytesWritten,
            totalBytesExpectedToWrite);
}

void ClosureEventMonitor::downloadTaskDidFinishDownloadingToURL(
    const std::shared_ptr<platform::URLSession>& session,
    const std::shared_ptr<platform::URLSessionDownloadTask>& downloadTask, const platform::URL& location) {
  callIfSet(closures.downloadTaskDidFinishDownloadingToURL, session, downloadTask, location);
}

void ClosureEventMonitor::requestDidCreateInitialURLRequest(const std::shared_ptr<Request>& request,
                                                            const platform::URLRequest& urlRequest) {
  callIfSet(closures.requestDidCreateInitialURLRequest, request, urlRequest);
}

void ClosureEventMonitor::requestDidFailToCreateURLRequestWithError(const std::shared_ptr<Request>& request,
                                                                    const WNError& error) {
  callIfSet(closures.requestDidFailToCreateURLRequestWithError, request, error);
}

void ClosureEventMonitor::requestDidAdaptInitialRequestToAdaptedRequest(const std::shared_ptr<Request>& request,
                                                                        const platform::URLRequest& initialRequest,
                                                                        const platform::URLRequest& adaptedRequest) {
  callIfSet(closures.requestDidAdaptInitialRequestToAdaptedRequest, request, initialRequest, adaptedRequest);
}

void ClosureEventMonitor::requestDidFailToAdaptURLRequestWithError(const std::shared_ptr<Request>& request,
                                                                   const platform::URLRequest& urlRequest,
                                                                   const WNError& error) {
  callIfSet(closures.requestDidFailToAdaptURLRequestWithError, request, urlRequest, error);
}

void ClosureEventMonitor::requestDidCreateURLRequest(const std::shared_ptr<Request>& request,
                                                     const platform::URLRequest& urlRequest) {
  callIfSet(closures.requestDidCreateURLRequest, request, urlRequest);
}

void ClosureEventMonitor::requestDidCreateTask(const std::shared_ptr<Request>& request,
                                               const std::shared_ptr<platform::URLSessionTask>& task) {
  callIfSet(closures.requestDidCreateTask, request, task);
}

void ClosureEventMonitor::requestDidGatherMetrics(
    const std::shared_ptr<Request>& request, const std::shared_ptr<const platform::URLSessionTaskMetrics>& metrics) {
  callIfSet(closures.requestDidGatherMetrics, request, metrics);
}

void ClosureEventMonitor::requestDidFailTaskEarlyWithError(const std::shared_ptr<Request>& request,
                                                           const std::shared_ptr<platform::URLSessionTask>& task,
                                                           const WNError& error) {
  callIfSet(closures.requestDidFailTaskEarlyWithError, request, task, error);
}

void ClosureEventMonitor::requestDidCompleteTaskWithError(const std::shared_ptr<Request>& request,
                                                          const std::shared_ptr<platform::URLSessionTask>& task,
                                                          const std::optional<WNError>& error) {
  callIfSet(closures.requestDidCompleteTaskWithError, request, task, error);
}

void ClosureEventMonitor::requestIsRetrying(const std::shared_ptr<Request>& request) {
  callIfSet(closures.requestIsRetrying, request);
}

void ClosureEventMonitor::requestDidFinish(const std::shared_ptr<Request>& request) {
  callIfSet(closures.requestDidFinish, request);
}

void ClosureEventMonitor::requestDidResume(const std::shared_ptr<Request>& request) {
  callIfSet(closures.requestDidResume, request);
}

void ClosureEventMonitor::requestDidResumeTask(const std::shared_ptr<Request>& request,
                                               const std::shared_ptr<platform::URLSessionTask>& task) {
  callIfSet(closures.requestDidResumeTask, request, task);
}

void ClosureEventMonitor::requestDidSuspend(const std::shared_ptr<Request>& request) {
  callIfSet(closures.requestDidSuspend, request);
}

void ClosureEventMonitor::requestDidSuspendTask(const std::shared_ptr<Request>& request,
                                                const std::shared_ptr<platform::URLSessionTask>& task) {
  callIfSet(closures.requestDidSuspendTask, request, task);
}

void ClosureEventMonitor::requestDidCancel(const std::shared_ptr<Request>& request) {
  callIfSet(closures.requestDidCancel, request);
}

void ClosureEventMonitor::requestDidCancelTask(const std::shared_ptr<Request>& request,
                                               const std::shared_ptr<platform::URLSessionTask>& task) {
  callIfSet(closures.requestDidCancelTask, request, task);
}

void ClosureEventMonitor::requestDidValidateRequestResponseDataWithResult(
    const std::shared_ptr<DataRequest>& request, const std::optional<platform::URLRequest>& urlRequest,
    const std::shared_ptr<const platform::HTTPURLResponse>& response, const std::optional<platform::Data>& data,
    const ValidationResult& result) {
  callIfSet(closures.requestDidValidateRequestResponseDataWithResult, request, urlRequest, response, data, result);
}

void ClosureEventMonitor::requestDidParseResponse(const std::shared_ptr<DataRequest>& request,
                                                  const DataResponse<std::optional<platform::Data>>& response) {
  callIfSet(closures.requestDidParseResponse, request, response);
}

void ClosureEventMonitor::requestDidValidateRequestResponseWithResult(
    const std::shared_ptr<DataStreamRequest>& request, const std::optional<platform::URLRequest>& urlRequest,
    const std::shared_ptr<const platform::HTTPURLResponse>& response, const ValidationResult& result) {
  callIfSet(closures.requestDidValidateRequestResponseWithResult, request, urlRequest, response, result);
}

void ClosureEventMonitor::requestDidCreateUploadable(const std::shared_ptr<UploadRequest>& request,
                                                     const Uploadable& uploadable) {
  callIfSet(closures.requestDidCreateUploadable, request, uploadable);
}

void ClosureEventMonitor::requestDidFailToCreateUploadableWithError(const std::shared_ptr<UploadRequest>& request,
                                                                    const WNError& error) {
  callIfSet(closures.requestDidFailToCreateUploadableWithError, request, error);
}

void ClosureEventMonitor::requestDidProvideInputStream(const std::shared_ptr<UploadRequest>& request,
                                                       const std::shared_ptr<platform::InputStream>& stream) {
  callIfSet(closures.requestDidProvideInputStream, request, stream);
}

void ClosureEventMonitor::requestDidFinishDownloadingUsingTaskWithResult(
    const std::shared_ptr<DownloadRequest>& request, const std::shared_ptr<platform::URLSessionTask>& task,
    const Result<platform::URL>& result) {
  callIfSet(closures.requestDidFinishDownloadingUsingTaskWithResult, request, task, result);
}

void ClosureEventMonitor::requestDidCreateDestinationURL(const std::shared_ptr<DownloadRequest>& request,
                                                         const platform::URL& url) {
  callIfSet(closures.requestDidCreateDestinationURL, request, url);
}

void ClosureEventMonitor::requestDidValidateRequestResponseFileURLWithResult(
    const std::shared_ptr<DownloadRequest>& request, const std::optional<platform::URLRequest>& urlRequest,
    const std::shared_ptr<const platform::HTTPURLResponse>& response, const std::optional<platform::URL>& fileURL,
    const ValidationResult& result) {
  callIfSet(closures.requestDidValidateRequestResponseFileURLWithResult, request, urlRequest, response, fileURL,
            result);
}

void ClosureEventMonitor::requestDidParseDownloadResponse(
    const std::shared_ptr<DownloadRequest>& request, const DownloadResponse<std::optional<platform::URL>>& response) {
  callIfSet(closures.requestDidParseDownloadResponse, request, response);
}
}  // namespace wendanet
