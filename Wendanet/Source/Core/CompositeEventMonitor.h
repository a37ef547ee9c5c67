#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "Platform/Dispatch/DispatchQueue.h"
#include "Wendanet/Source/Core/EventMonitor.h"
#include "Wendanet/Source/Core/Protected.h"

namespace wendanet {

// Hands every event it receives to each of its monitors, in list order, as
// a block on the queue that monitor names at that moment. The whole hand-out
// of one event happens under one lock, so every monitor sees all events in
// the same order; nothing runs inside the raiser's call, and the raiser
// never waits. The arguments are copied once per event, and not at all when
// there are no monitors.
class CompositeEventMonitor final : public EventMonitor {
 public:
  static std::shared_ptr<CompositeEventMonitor> make(std::shared_ptr<platform::DispatchQueue> queue,
                                                     std::vector<std::shared_ptr<EventMonitor>> monitors);

  // The queue this composite itself is handed its events on when it is
  // another composite's member; its own fan-out never uses it.
  std::shared_ptr<platform::DispatchQueue> queue() const override;
  std::vector<std::shared_ptr<EventMonitor>> monitors() const;

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
  void requestDidParseSerializedResponse(const std::shared_ptr<DataRequest>& request,
                                         const DataResponse<AnyValue>& response) override;
  void requestDidValidateRequestResponseWithResult(const std::shared_ptr<DataStreamRequest>& request,
                                                   const std::optional<platform::URLRequest>& urlRequest,
                                                   const std::shared_ptr<const platform::HTTPURLResponse>& response,
                                                   const ValidationResult& result) override;
  void requestDidParseStream(const std::shared_ptr<DataStreamRequest>& request,
                             const Result<AnyValue>& result) override;
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
  void requestDidParseSerializedDownloadResponse(const std::shared_ptr<DownloadRequest>& request,
                                                 const DownloadResponse<AnyValue>& response) override;

 private:
  using Event = std::function<void(EventMonitor&)>;

  CompositeEventMonitor(std::shared_ptr<platform::DispatchQueue> queue,
                        std::vector<std::shared_ptr<EventMonitor>> monitors);

  // Captures the arguments once and raises `event` with them on every
  // monitor.
  template <class... Parameters, class... Arguments>
  void forward(void (EventMonitor::*event)(Parameters...), const Arguments&... arguments);
  void performEvent(std::shared_ptr<const Event> event);

  const std::shared_ptr<platform::DispatchQueue> queue_;
  // The list never changes, so whether it is empty is known without the lock.
  const bool hasMonitors_;
  Protected<std::vector<std::shared_ptr<EventMonitor>>> monitors_;
};

}  // namespace wendanet
