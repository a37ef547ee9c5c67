#pragma once

#include <cstdint>
#include <expected>
#include <memory>
#include <optional>

#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/HTTPURLResponse.h"
#include "Platform/Foundation/URL.h"
#include "Platform/Foundation/URLRequest.h"
#include "Platform/Foundation/URLResponse.h"
#include "Platform/Streams/InputStream.h"
#include "Wendanet/Source/Core/AnyValue.h"
#include "Wendanet/Source/Core/DataResponse.h"
#include "Wendanet/Source/Core/DownloadResponse.h"
#include "Wendanet/Source/Core/URLLoadingDeclarations.h"
#include "Wendanet/Source/Core/Uploadable.h"
#include "Wendanet/Source/Core/WNError.h"

namespace wendanet {

class Request;
class DataRequest;
class DataStreamRequest;
class DownloadRequest;
class UploadRequest;

// What a validator concluded: nothing, or the error it failed with.
using ValidationResult = std::expected<void, platform::AnyError>;

// An observer of every notable step of URL sessions, tasks and requests.
// Each event does nothing unless overridden, returns nothing and is never
// waited for: monitors watch, they cannot steer. Events whose value type
// the serializer chooses carry it as an AnyValue.
//
// Optional errors are null pointers when absent.
class EventMonitor {
 public:
  virtual ~EventMonitor() = default;

  // Where the monitor wants its events; the main queue unless overridden.
  virtual std::shared_ptr<platform::DispatchQueue> queue() const;

  // URL session and task events.
  virtual void sessionDidBecomeInvalidWithError(const std::shared_ptr<platform::URLSession>& session,
                                                const platform::AnyError& error);
  virtual void taskDidReceiveChallenge(const std::shared_ptr<platform::URLSession>& session,
                                       const std::shared_ptr<platform::URLSessionTask>& task,
                                       const std::shared_ptr<const platform::URLAuthenticationChallenge>& challenge);
  virtual void taskDidSendBodyData(const std::shared_ptr<platform::URLSession>& session,
                                   const std::shared_ptr<platform::URLSessionTask>& task, std::int64_t bytesSent,
                                   std::int64_t totalBytesSent, std::int64_t totalBytesExpectedToSend);
  virtual void taskNeedNewBodyStream(const std::shared_ptr<platform::URLSession>& session,
                                     const std::shared_ptr<platform::URLSessionTask>& task);
  virtual void taskWillPerformHTTPRedirection(const std::shared_ptr<platform::URLSession>& session,
                                              const std::shared_ptr<platform::URLSessionTask>& task,
                                              const std::shared_ptr<const platform::HTTPURLResponse>& response,
                                              const platform::URLRequest& newRequest);
  virtual void taskDidFinishCollectingMetrics(const std::shared_ptr<platform::URLSession>& session,
                                              const std::shared_ptr<platform::URLSessionTask>& task,
                                              const std::shared_ptr<const platform::URLSessionTaskMetrics>& metrics);
  virtual void taskDidComplete(const std::shared_ptr<platform::URLSession>& session,
                               const std::shared_ptr<platform::URLSessionTask>& task, const platform::AnyError& error);
  virtual void taskIsWaitingForConnectivity(const std::shared_ptr<platform::URLSession>& session,
                                            const std::shared_ptr<platform::URLSessionTask>& task);
  virtual void dataTaskDidReceiveResponse(const std::shared_ptr<platform::URLSession>& session,
                                          const std::shared_ptr<platform::URLSessionDataTask>& dataTask,
                                          const std::shared_ptr<const platform::URLResponse>& response);
  virtual void dataTaskDidReceiveData(const std::shared_ptr<platform::URLSession>& session,
                                      const std::shared_ptr<platform::URLSessionDataTask>& dataTask,
                                      const platform::Data& data);
  virtual void dataTaskWillCacheResponse(const std::shared_ptr<platform::URLSession>& session,
                                         const std::shared_ptr<platform::URLSessionDataTask>& dataTask,
                                         const std::shared_ptr<const platform::CachedURLResponse>& proposedResponse);
  virtual void downloadTaskDidResumeAtOffset(const std::shared_ptr<platform::URLSession>& session,
                                             const std::shared_ptr<platform::URLSessionDownloadTask>& downloadTask,
                                             std::int64_t fileOffset, std::int64_t expectedTotalBytes);
  virtual void downloadTaskDidWriteData(const std::shared_ptr<platform::URLSession>& session,
                                        const std::shared_ptr<platform::URLSessionDownloadTask>& downloadTask,
                                        std::int64_t bytesWritten, std::int64_t totalBytesWritten,
                                        std::int64_t totalBytesExpectedToWrite);
  virtual void downloadTaskDidFinishDownloadingToURL(
      const std::shared_ptr<platform::URLSession>& session,
      const std::shared_ptr<platform::URLSessionDownloadTask>& downloadTask, const platform::URL& location);

  // Request events.
  virtual void requestDidCreateInitialURLRequest(const std::shared_ptr<Request>& request,
                                                 const platform::URLRequest& urlRequest);
  virtual void requestDidFailToCreateURLRequestWithError(const std::shared_ptr<Request>& request, const WNError& error);
  virtual void requestDidAdaptInitialRequestToAdaptedRequest(const std::shared_ptr<Request>& request,
                                                             const platform::URLRequest& initialRequest,
                                                             const platform::URLRequest& adaptedRequest);
  virtual void requestDidFailToAdaptURLRequestWithError(const std::shared_ptr<Request>& request,
                                                        const platform::URLRequest& urlRequest, const WNError& error);
  virtual void requestDidCreateURLRequest(const std::shared_ptr<Request>& request,
                                          const platform::URLRequest& urlRequest);
  virtual void requestDidCreateTask(const std::shared_ptr<Request>& request,
                                    const std::shared_ptr<platform::URLSessionTask>& task);
  virtual void requestDidGatherMetrics(const std::shared_ptr<Request>& request,
                                       const std::shared_ptr<const platform::URLSessionTaskMetrics>& metrics);
  virtual void requestDidFailTaskEarlyWithError(const std::shared_ptr<Request>& request,
                                                const std::shared_ptr<platform::URLSessionTask>& task,
                                                const WNError& error);
  virtual void requestDidCompleteTaskWithError(const std::shared_ptr<Request>& request,
                                               const std::shared_ptr<platform::URLSessionTask>& task,
                                               const std::optional<WNError>& error);
  virtual void requestIsRetrying(const std::shared_ptr<Request>& request);
  virtual void requestDidFinish(const std::shared_ptr<Request>& request);
  virtual void requestDidResume(const std::shared_ptr<Request>& request);
  virtual void requestDidResumeTask(const std::shared_ptr<Request>& request,
                                    const std::shared_ptr<platform::URLSessionTask>& task);
  virtual void requestDidSuspend(const std::shared_ptr<Request>& request);
  virtual void requestDidSuspendTask(const std::shared_ptr<Request>& request,
                                     const std::shared_ptr<platform::URLSessionTask>& task);
  virtual void requestDidCancel(const std::shared_ptr<Request>& request);
  virtual void requestDidCancelTask(const std::shared_ptr<Request>& request,
                                    const std::shared_ptr<platform::URLSessionTask>& task);

  // Data request events.
  virtual void requestDidValidateRequestResponseDataWithResult(
      const std::shared_ptr<DataRequest>& request, const std::optional<platform::URLRequest>& urlRequest,
      const std::shared_ptr<const platform::HTTPURLResponse>& response, const std::optional<platform::Data>& data,
      const ValidationResult& result);
  virtual void requestDidParseResponse(const std::shared_ptr<DataRequest>& request,
                                       const DataResponse<std::optional<platform::Data>>& response);
  virtual void requestDidParseSerializedResponse(const std::shared_ptr<DataRequest>& request,
                                                 const DataResponse<AnyValue>& response);

  // Stream request events.
  virtual void requestDidValidateRequestResponseWithResult(
      const std::shared_ptr<DataStreamRequest>& request, const std::optional<platform::URLRequest>& urlRequest,
      const std::shared_ptr<const platform::HTTPURLResponse>& response, const ValidationResult& result);
  virtual void requestDidParseStream(const std::shared_ptr<DataStreamRequest>& request, const Result<AnyValue>& result);

  // Upload request events.
  virtual void requestDidCreateUploadable(const std::shared_ptr<UploadRequest>& request, const Uploadable& uploadable);
  virtual void requestDidFailToCreateUploadableWithError(const std::shared_ptr<UploadRequest>& request,
                                                         const WNError& error);
  virtual void requestDidProvideInputStream(const std::shared_ptr<UploadRequest>& request,
                                            const std::shared_ptr<platform::InputStream>& stream);

  // Download request events.
  virtual void requestDidFinishDownloadingUsingTaskWithResult(const std::shared_ptr<DownloadRequest>& request,
                                                              const std::shared_ptr<platform::URLSessionTask>& task,
                                                              const Result<platform::URL>& result);
  virtual void requestDidCreateDestinationURL(const std::shared_ptr<DownloadRequest>& request,
                                              const platform::URL& url);
  virtual void requestDidValidateRequestResponseFileURLWithResult(
      const std::shared_ptr<DownloadRequest>& request, const std::optional<platform::URLRequest>& urlRequest,
      const std::shared_ptr<const platform::HTTPURLResponse>& response, const std::optional<platform::URL>& fileURL,
      const ValidationResult& result);
  virtual void requestDidParseDownloadResponse(const std::shared_ptr<DownloadRequest>& request,
                                               const DownloadResponse<std::optional<platform::URL>>& response);
  virtual void requestDidParseSerializedDownloadResponse(const std::shared_ptr<DownloadRequest>& request,
                                                         const DownloadResponse<AnyValue>& response);
};

}  // namespace wendanet
