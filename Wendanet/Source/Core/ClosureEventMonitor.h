#pragma once

#include <functional>
#include <memory>

#include "Platform/Dispatch/DispatchQueue.h"
#include "Wendanet/Source/Core/EventMonitor.h"

namespace wendanet {

namespace detail {
template <class Event>
struct ClosureOf;
template <class... Parameters>
struct ClosureOf<void (EventMonitor::*)(Parameters...)> {
  using type = std::function<void(Parameters...)>;
};
}  // namespace detail

// A closure taking exactly the arguments of the event.
template <auto Event>
using EventClosure = typename detail::ClosureOf<decltype(Event)>::type;

// A monitor for code that wants a few events without a monitor type of its
// own: each event calls its closure, when one is set, with the event's
// arguments. The three events that carry a serializer's value have no
// closure. Closures carry no lock: set them before the monitor is added,
// or on its queue.
class ClosureEventMonitor : public EventMonitor {
 public:
  struct Closures {
    EventClosure<&EventMonitor::sessionDidBecomeInvalidWithError> sessionDidBecomeInvalidWithError;
    EventClosure<&EventMonitor::taskDidReceiveChallenge> taskDidReceiveChallenge;
    EventClosure<&EventMonitor::taskDidSendBodyData> taskDidSendBodyData;
    EventClosure<&EventMonitor::taskNeedNewBodyStream> taskNeedNewBodyStream;
    EventClosure<&EventMonitor::taskWillPerformHTTPRedirection> taskWillPerformHTTPRedirection;
    EventClosure<&EventMonitor::taskDidFinishCollectingMetrics> taskDidFinishCollectingMetrics;
    EventClosure<&EventMonitor::taskDidComplete> taskDidComplete;
    EventClosure<&EventMonitor::taskIsWaitingForConnectivity> taskIsWaitingForConnectivity;
    EventClosure<&EventMonitor::dataTaskDidReceiveResponse> dataTaskDidReceiveResponse;
    EventClosure<&EventMonitor::dataTaskDidReceiveData> dataTaskDidReceiveData;
    EventClosure<&EventMonitor::dataTaskWillCacheResponse> dataTaskWillCacheResponse;
    EventClosure<&EventMonitor::downloadTaskDidFinishDownloadingToURL> downloadTaskDidFinishDownloadingToURL;
    EventClosure<&EventMonitor::downloadTaskDidWriteData> downloadTaskDidWriteData;
    EventClosure<&EventMonitor::downloadTaskDidResumeAtOffset> downloadTaskDidResumeAtOffset;
    EventClosure<&EventMonitor::requestDidCreateInitialURLRequest> requestDidCreateInitialURLRequest;
    EventClosure<&EventMonitor::requestDidFailToCreateURLRequestWithError> requestDidFailToCreateURLRequestWithError;
    EventClosure<&EventMonitor::requestDidAdaptInitialRequestToAdaptedRequest>
        requestDidAdaptInitialRequestToAdaptedRequest;
    EventClosure<&EventMonitor::requestDidFailToAdaptURLRequestWithError> requestDidFailToAdaptURLRequestWithError;
    EventClosure<&EventMonitor::requestDidCreateURLRequest> requestDidCreateURLRequest;
    EventClosure<&EventMonitor::requestDidCreateTask> requestDidCreateTask;
    EventClosure<&EventMonitor::requestDidGatherMetrics> requestDidGatherMetrics;
    EventClosure<&EventMonitor::requestDidFailTaskEarlyWithError> requestDidFailTaskEarlyWithError;
    EventClosure<&EventMonitor::requestDidCompleteTaskWithError> requestDidCompleteTaskWithError;
    EventClosure<&EventMonitor::requestIsRetrying> requestIsRetrying;
    EventClosure<&EventMonitor::requestDidFinish> requestDidFinish;
    EventClosure<&EventMonitor::requestDidResume> requestDidResume;
    EventClosure<&EventMonitor::requestDidResumeTask> requestDidResumeTask;
    EventClosure<&EventMonitor::requestDidSuspend> requestDidSuspend;
    EventClosure<&EventMonitor::requestDidSuspendTask> requestDidSuspendTask;
    EventClosure<&EventMonitor::requestDidCancel> requestDidCancel;
    EventClosure<&EventMonitor::requestDidCancelTask> requestDidCancelTask;
    EventClosure<&EventMonitor::requestDidValidateRequestResponseDataWithResult>
        requestDidValidateRequestResponseDataWithResult;
    EventClosure<&EventMonitor::requestDidParseResponse> requestDidParseResponse;
    EventClosure<&EventMonitor::requestDidValidateRequestResponseWithResult>
        requestDidValidateRequestResponseWithResult;
    EventClosure<&EventMonitor::requestDidCreateUploadable> requestDidCreateUploadable;
    EventClosure<&EventMonitor::requestDidFailToCreateUploadableWithError> requestDidFailToCreateUploadableWithError;
    EventClosure<&EventMonitor::requestDidProvideInputStream> requestDidProvideInputStream;
    EventClosure<&EventMonitor::requestDidFinishDownloadingUsingTaskWithResult>
        requestDidFinishDownloadingUsingTaskWithResult;
    EventClosure<&EventMonitor::requestDidCreateDestinationURL> requestDidCreateDestinationURL;
    EventClosure<&EventMonitor::requestDidValidateRequestResponseFileURLWithResult>
        requestDidValidateRequestResponseFileURLWithResult;
    EventClosure<&EventMonitor::requestDidParseDownloadResponse> requestDidParseDownloadResponse;
  };

  static std::shared_ptr<ClosureEventMonitor> make(
      std::shared_ptr<platform::DispatchQueue> queue = platform::DispatchQueue::main());

  // Every closure starts unset.
  Closures closures;

  std::shared_ptr<platform::DispatchQueue> queue() const override;

  void sessionDidBecomeInvalidWithError(const std::shared_ptr<platform::URLSession>& session,
                                        const platform::AnyError& error) override;
  void taskDidReceiveChallenge(const std::shared_ptr<platform::URLSession>& session,
                               const std::shared_ptr<platform::URLSessionTask>& task,
                               const std::shared_ptr<const platform::URLAuthenticationChallenge>& challenge) override;
  void taskDidSendBodyData(const std::shared_ptr<platform::URLSession>& session,
                           const std::shared_ptr<platform::URLSessionTask>& task, std::int64_t bytesSent,
                           std::int64_t totalBytesSent, std::int64_t totalBytesExpectedToSend) override;
  void taskNeedNewBodyStream(const std::shared_ptr<platform::URLSession>& session,
                             const std::shared_ptr<platform::URLSessionTask>& task) override;
  void taskWillPerformHTTPRedirection(const std::shared_ptr<platform::URLSession>& session,
                                      const std::shared_ptr<platform::URLSessionTask>& task,
                                      const std::shared_ptr<const platform::HTTPURLResponse>& response,
                                      const platform::URLRequest& newRequest) override;
  void taskDidFinishCollectingMetrics(const std::shared_ptr<platform::URLSession>& session,
                                      const std::shared_ptr<platform::URLSessionTask>& task,
                                      const std::shared_ptr<const platform::URLSessionTaskMetrics>& metrics) override;
  void taskDidComplete(const std::shared_ptr<platform::URLSession>& session,
                       const std::shared_ptr<platform::URLSessionTask>& task, const platform::AnyError& error) override;
  void taskIsWaitingForConnectivity(const std::shared_ptr<platform::URLSession>& session,
                                    const std::shared_ptr<platform::URLSessionTask>& task) override;
  void dataTaskDidReceiveResponse(const std::shared_ptr<platform::URLSession>& session,
                                  const std::shared_ptr<platform::URLSessionDataTask>& dataTask,
                                  const std::shared_ptr<const platform::URLResponse>& response) override;
  void dataTaskDidReceiveData(const std::shared_ptr<platform::URLSession>& session,
                              const std::shared_ptr<platform::URLSessionDataTask>& dataTask,
                              const platform::Data& data) override;
  void dataTaskWillCacheResponse(const std::shared_ptr<platform::URLSession>& session,
                                 const std::shared_ptr<platform::URLSessionDataTask>& dataTask,
                                 const std::shared_ptr<const platform::CachedURLResponse>& proposedResponse) override;
  void downloadTaskDidResumeAtOffset(const std::shared_ptr<platform::URLSession>& session,
                                     const std::shared_ptr<platform::URLSessionDownloadTask>& downloadTask,
                                     std::int64_t fileOffset, std::int64_t expectedTotalBytes) override;
  void downloadTaskDidWriteData(const std::shared_ptr<platform::URLSession>& session,
                                const std::shared_ptr<platform::URLSessionDownloadTask>& downloadTask,
                                std::int64_t bytesWritten, std::int64_t totalBytesWritten,
                                std::int64_t totalBytesExpectedToWrite) override;
  void downloadTaskDidFinishDownloadingToURL(const std::shared_ptr<platform::URLSession>& session,
                                             const std::shared_ptr<platform::URLSessionDownloadTask>& downloadTask,
                                             const platform::URL& location) override;
  void requestDidCreateInitialURLRequest(const std::shared_ptr<Request>& request,
                                         const platform::URLRequest& urlRequest) override;
  void requestDidFailToCreateURLRequestWithError(const std::shared_ptr<Request>& request,
                                                 const WNError& error) override;
  void requestDidAdaptInitialRequestToAdaptedRequest(const std::shared_ptr<Request>& request,
                                                     const platform::URLRequest& initialRequest,
                                                     const platform::URLRequest& adaptedRequest) override;
  void requestDidFailToAdaptURLRequestWithError(const std::shared_ptr<Request>& request,
                                                const platform::URLRequest& urlRequest, const WNError& error) override;
  void requestDidCreateURLRequest(const std::shared_ptr<Request>& request,
                                  const platform::URLRequest& urlRequest) override;
  void requestDidCreateTask(const std::shared_ptr<Request>& request,
                            const std::shared_ptr<platform::URLSessionTask>& task) override;
  void requestDidGatherMetrics(const std::shared_ptr<Request>& request,
                               const std::shared_ptr<const platform::URLSessionTaskMetrics>& metrics) override;
  void requestDidFailTaskEarlyWithError(const std::shared_ptr<Request>& request,
                                        const std::shared_ptr<platform::URLSessionTask>& task,
                                        const WNError& error) override;
  void requestDidCompleteTaskWithError(const std::shared_ptr<Request>& request,
                                       const std::shared_ptr<platform::URLSessionTask>& task,
                                       const std::optional<WNError>& error) override;
  void requestIsRetrying(const std::shared_ptr<Request>& request) override;
  void requestDidFinish(const std::shared_ptr<Request>& request) override;
  void requestDidResume(const std::shared_ptr<Request>& request) override;
  void requestDidResumeTask(const std::shared_ptr<Request>& request,
                            const std::shared_ptr<platform::URLSessionTask>& task) override;
  void requestDidSuspend(const std::shared_ptr<Request>& request) override;
  void requestDidSuspendTask(const std::shared_ptr<Request>& request,
                             const std::shared_ptr<platform::URLSessionTask>& task) override;
  void requestDidCancel(const std::shared_ptr<Request>& request) override;
  void requestDidCancelTask(const std::shared_ptr<Request>& request,
                            const std::shared_ptr<platform::URLSessionTask>& task) override;
  void requestDidValidateRequestResponseDataWithResult(const std::shared_ptr<DataRequest>& request,
                                                       const std::optional<platform::URLRequest>& urlRequest,
                                                       const std::shared_ptr<const platform::HTTPURLResponse>& response,
                                                       const std::optional<platform::Data>& data,
                                                       const ValidationResult& result) override;
  void requestDidParseResponse(const std::shared_ptr<DataRequest>& request,
                               const DataResponse<std::optional<platform::Data>>& response) override;
  void requestDidValidateRequestResponseWithResult(const std::shared_ptr<DataStreamRequest>& request,
                                                   const std::optional<platform::URLRequest>& urlRequest,
                                                   const std::shared_ptr<const platform::HTTPURLResponse>& response,
                                                   const ValidationResult& result) override;
  void requestDidCreateUploadable(const std::shared_ptr<UploadRequest>& request, const Uploadable& uploadable) override;
  void requestDidFailToCreateUploadableWithError(const std::shared_ptr<UploadRequest>& request,
                                                 const WNError& error) override;
  void requestDidProvideInputStream(const std::shared_ptr<UploadRequest>& request,
                                    const std::shared_ptr<platform::InputStream>& stream) override;
  void requestDidFinishDownloadingUsingTaskWithResult(const std::shared_ptr<DownloadRequest>& request,
                                                      const std::shared_ptr<platform::URLSessionTask>& task,
                                                      const Result<platform::URL>& result) override;
  void requestDidCreateDestinationURL(const std::shared_ptr<DownloadRequest>& request,
                                      const platform::URL& url) override;
  void requestDidValidateRequestResponseFileURLWithResult(
      const std::shared_ptr<DownloadRequest>& request, const std::optional<platform::URLRequest>& urlRequest,
      const std::shared_ptr<const platform::HTTPURLResponse>& response, const std::optional<platform::URL>& fileURL,
      const ValidationResult& result) override;
  void requestDidParseDownloadResponse(const std::shared_ptr<DownloadRequest>& request,
                                       const DownloadResponse<std::optional<platform::URL>>& response) override;

 protected:
  explicit ClosureEventMonitor(std::shared_ptr<platform::DispatchQueue> queue);

 private:
  const std::shared_ptr<platform::DispatchQueue> queue_;
};

}  // namespace wendanet
