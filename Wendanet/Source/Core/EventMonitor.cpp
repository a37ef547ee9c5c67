#include "Wendanet/Source/Core/EventMonitor.h"

namespace wendanet {

std::shared_ptr<platform::DispatchQueue> EventMonitor::queue() const { return platform::DispatchQueue::main(); }

void EventMonitor::sessionDidBecomeInvalidWithError(const std::shared_ptr<platform::URLSession>&,
                                                    const platform::AnyError&) {}
void EventMonitor::taskDidReceiveChallenge(const std::shared_ptr<platform::URLSession>&,
                                           const std::shared_ptr<platform::URLSessionTask>&,
                                           const std::shared_ptr<const platform::URLAuthenticationChallenge>&) {}
void EventMonitor::taskDidSendBodyData(const std::shared_ptr<platform::URLSession>&,
                                       const std::shared_ptr<platform::URLSessionTask>&, std::int64_t, std::int64_t,
                                       std::int64_t) {}
void EventMonitor::taskNeedNewBodyStream(const std::shared_ptr<platform::URLSession>&,
                                         const std::shared_ptr<platform::URLSessionTask>&) {}
void EventMonitor::taskWillPerformHTTPRedirection(const std::shared_ptr<platform::URLSession>&,
                                                  const std::shared_ptr<platform::URLSessionTask>&,
                                                  const std::shared_ptr<const platform::HTTPURLResponse>&,
                                                  const platform::URLRequest&) {}
void EventMonitor::taskDidFinishCollectingMetrics(const std::shared_ptr<platform::URLSession>&,
                                                  const std::shared_ptr<platform::URLSessionTask>&,
                                                  const std::shared_ptr<const platform::URLSessionTaskMetrics>&) {}
void EventMonitor::taskDidComplete(const std::shared_ptr<platform::URLSession>&,
                                   const std::shared_ptr<platform::URLSessionTask>&, const platform::AnyError&) {}
void EventMonitor::taskIsWaitingForConnectivity(const std::shared_ptr<platform::URLSession>&,
                                                const std::shared_ptr<platform::URLSessionTask>&) {}
void EventMonitor::dataTaskDidReceiveResponse(const std::shared_ptr<platform::URLSession>&,
                                              const std::shared_ptr<platform::URLSessionDataTask>&,
                                              const std::shared_ptr<const platform::URLResponse>&) {}
void EventMonitor::dataTaskDidReceiveData(const std::shared_ptr<platform::URLSession>&,
                                          const std::shared_ptr<platform::URLSessionDataTask>&, const platform::Data&) {
}
void EventMonitor::dataTaskWillCacheResponse(const std::shared_ptr<platform::URLSession>&,
                                             const std::shared_ptr<platform::URLSessionDataTask>&,
                                             const std::shared_ptr<const platform::CachedURLResponse>&) {}
void EventMonitor::downloadTaskDidResumeAtOffset(const std::shared_ptr<platform::URLSession>&,
                                                 const std::shared_ptr<platform::URLSessionDownloadTask>&, std::int64_t,
                                                 std::int64_t) {}
void EventMonitor::downloadTaskDidWriteData(const std::shared_ptr<platform::URLSession>&,
                                            const std::shared_ptr<platform::URLSessionDownloadTask>&, std::int64_t,
                                            std::int64_t, std::int64_t) {}
void EventMonitor::downloadTaskDidFinishDownloadingToURL(const std::shared_ptr<platform::URLSession>&,
                                                         const std::shared_ptr<platform::URLSessionDownloadTask>&,
                                                         const platform::URL&) {}
void EventMonitor::requestDidCreateInitialURLRequest(const std::shared_ptr<Request>&, const platform::URLRequest&) {}
void EventMonitor::requestDidFailToCreateURLRequestWithError(const std::shared_ptr<Request>&, const WNError&) {}
void EventMonitor::requestDidAdaptInitialRequestToAdaptedRequest(const std::shared_ptr<Request>&,
                                                                 const platform::URLRequest&,
                                                                 const platform::URLRequest&) {}
void EventMonitor::requestDidFailToAdaptURLRequestWithError(const std::shared_ptr<Request>&,
                                                            const platform::URLRequest&, const WNError&) {}
void EventMonitor::requestDidCreateURLRequest(const std::shared_ptr<Request>&, const platform::URLRequest&) {}
void EventMonitor::requestDidCreateTask(const std::shared_ptr<Request>&,
                                        const std::shared_ptr<platform::URLSessionTask>&) {}
void EventMonitor::requestDidGatherMetrics(const std::shared_ptr<Request>&,
                                           const std::shared_ptr<const platform::URLSessionTaskMetrics>&) {}
void EventMonitor::requestDidFailTaskEarlyWithError(const std::shared_ptr<Request>&,
                                                    const std::shared_ptr<platform::URLSessionTask>&, const WNError&) {}
void EventMonitor::requestDidCompleteTaskWithError(const std::shared_ptr<Request>&,
                                                   const std::shared_ptr<platform::URLSessionTask>&,
                                                   const std::optional<WNError>&) {}
void EventMonitor::requestIsRetrying(const std::shared_ptr<Request>&) {}
void EventMonitor::requestDidFinish(const std::shared_ptr<Request>&) {}
void EventMonitor::requestDidResume(const std::shared_ptr<Request>&) {}
void EventMonitor::requestDidResumeTask(const std::shared_ptr<Request>&,
                                        const std::shared_ptr<platform::URLSessionTask>&) {}
void EventMonitor::requestDidSuspend(const std::shared_ptr<Request>&) {}
void EventMonitor::requestDidSuspendTask(const std::shared_ptr<Request>&,
                                         const std::shared_ptr<platform::URLSessionTask>&) {}
void EventMonitor::requestDidCancel(const std::shared_ptr<Request>&) {}
void EventMonitor::requestDidCancelTask(const std::shared_ptr<Request>&,
                                        const std::shared_ptr<platform::URLSessionTask>&) {}
void EventMonitor::requestDidValidateRequestResponseDataWithResult(
    const std::shared_ptr<DataRequest>&, const std::optional<platform::URLRequest>&,
    const std::shared_ptr<const platform::HTTPURLResponse>&, const std::optional<platform::Data>&,
    const ValidationResult&) {}
void EventMonitor::requestDidParseResponse(const std::shared_ptr<DataRequest>&,
                                           const DataResponse<std::optional<platform::Data>>&) {}
void EventMonitor::requestDidParseSerializedResponse(const std::shared_ptr<DataRequest>&,
                                                     const DataResponse<AnyValue>&) {}
void EventMonitor::requestDidValidateRequestResponseWithResult(const std::shared_ptr<DataStreamRequest>&,
                                                               const std::optional<platform::URLRequest>&,
                                                               const std::shared_ptr<const platform::HTTPURLResponse>&,
                                                               const ValidationResult&) {}
void EventMonitor::requestDidParseStream(const std::shared_ptr<DataStreamRequest>&, const Result<AnyValue>&) {}
void EventMonitor::requestDidCreateUploadable(const std::shared_ptr<UploadRequest>&, const Uploadable&) {}
void EventMonitor::requestDidFailToCreateUploadableWithError(const std::shared_ptr<UploadRequest>&, const WNError&) {}
void EventMonitor::requestDidProvideInputStream(const std::shared_ptr<UploadRequest>&,
                                                const std::shared_ptr<platform::InputStream>&) {}
void EventMonitor::requestDidFinishDownloadingUsingTaskWithResult(const std::shared_ptr<DownloadRequest>&,
                                                                  const std::shared_ptr<platform::URLSessionTask>&,
                                                                  const Result<platform::URL>&) {}
void EventMonitor::requestDidCreateDestinationURL(const std::shared_ptr<DownloadRequest>&, const platform::URL&) {}
void EventMonitor::requestDidValidateRequestResponseFileURLWithResult(
    const std::shared_ptr<DownloadRequest>&, const std::optional<platform::URLRequest>&,
    const std::shared_ptr<const platform::HTTPURLResponse>&, const std::optional<platform::URL>&,
    const ValidationResult&) {}
void EventMonitor::requestDidParseDownloadResponse(const std::shared_ptr<DownloadRequest>&,
                                                   const DownloadResponse<std::optional<platform::URL>>&) {}
void EventMonitor::requestDidParseSerializedDownloadResponse(const std::shared_ptr<DownloadRequest>&,
                                                             const DownloadResponse<AnyValue>&) {}

}  // namespace wendanet
