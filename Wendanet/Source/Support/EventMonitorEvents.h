#pragma once

// Every event an EventMonitor can receive, each listed once, so that the
// monitor, the composite and the closure monitor cannot drift apart: adding
// an event is one entry here. Each entry reads
//   EVENT(name, (parameter list), (argument names))
// and the includer supplies what an entry becomes. Events whose value type
// the serializer chooses are VALUE_EVENT entries, so that an includer may
// treat them apart. The types named here come from EventMonitor.h.
#define WENDANET_EVENT_MONITOR_EVENTS(EVENT, VALUE_EVENT)                                                              \
  /* URL session and task events. */                                                                                   \
  EVENT(sessionDidBecomeInvalidWithError,                                                                              \
        (const std::shared_ptr<platform::URLSession>& session, const platform::AnyError& error), (session, error))     \
  EVENT(taskDidReceiveChallenge,                                                                                       \
        (const std::shared_ptr<platform::URLSession>& session, const std::shared_ptr<platform::URLSessionTask>& task,  \
         const std::shared_ptr<const platform::URLAuthenticationChallenge>& challenge),                                \
        (session, task, challenge))                                                                                    \
  EVENT(taskDidSendBodyData,                                                                                           \
        (const std::shared_ptr<platform::URLSession>& session, const std::shared_ptr<platform::URLSessionTask>& task,  \
         std::int64_t bytesSent, std::int64_t totalBytesSent, std::int64_t totalBytesExpectedToSend),                  \
        (session, task, bytesSent, totalBytesSent, totalBytesExpectedToSend))                                          \
  EVENT(taskNeedNewBodyStream,                                                                                         \
        (const std::shared_ptr<platform::URLSession>& session, const std::shared_ptr<platform::URLSessionTask>& task), \
        (session, task))                                                                                               \
  EVENT(taskWillPerformHTTPRedirection,                                                                                \
        (const std::shared_ptr<platform::URLSession>& session, const std::shared_ptr<platform::URLSessionTask>& task,  \
         const std::shared_ptr<const platform::HTTPURLResponse>& response, const platform::URLRequest& newRequest),    \
        (session, task, response, newRequest))                                                                         \
  EVENT(taskDidFinishCollectingMetrics,                                                                                \
        (const std::shared_ptr<platform::URLSession>& session, const std::shared_ptr<platform::URLSessionTask>& task,  \
         const std::shared_ptr<const platform::URLSessionTaskMetrics>& metrics),                                       \
        (session, task, metrics))                                                                                      \
  EVENT(taskDidComplete,                                                                                               \
        (const std::shared_ptr<platform::URLSession>& session, const std::shared_ptr<platform::URLSessionTask>& task,  \
         const platform::AnyError& error),                                                                             \
        (session, task, error))                                                                                        \
  EVENT(taskIsWaitingForConnectivity,                                                                                  \
        (const std::shared_ptr<platform::URLSession>& session, const std::shared_ptr<platform::URLSessionTask>& task), \
        (session, task))                                                                                               \
  EVENT(dataTaskDidReceiveResponse,                                                                                    \
        (const std::shared_ptr<platform::URLSession>& session,                                                         \
         const std::shared_ptr<platform::URLSessionDataTask>& dataTask,                                                \
         const std::shared_ptr<const platform::URLResponse>& response),                                                \
        (session, dataTask, response))                                                                                 \
  EVENT(dataTaskDidReceiveData,                                                                                        \
        (const std::shared_ptr<platform::URLSession>& session,                                                         \
         const std::shared_ptr<platform::URLSessionDataTask>& dataTask, const platform::Data& data),                   \
        (session, dataTask, data))                                                                                     \
  EVENT(dataTaskWillCacheResponse,                                                                                     \
        (const std::shared_ptr<platform::URLSession>& session,                                                         \
         const std::shared_ptr<platform::URLSessionDataTask>& dataTask,                                                \
         const std::shared_ptr<const platform::CachedURLResponse>& proposedResponse),                                  \
        (session, dataTask, proposedResponse))                                                                         \
  EVENT(downloadTaskDidResumeAtOffset,                                                                                 \
        (const std::shared_ptr<platform::URLSession>& session,                                                         \
         const std::shared_ptr<platform::URLSessionDownloadTask>& downloadTask, std::int64_t fileOffset,               \
         std::int64_t expectedTotalBytes),                                                                             \
        (session, downloadTask, fileOffset, expectedTotalBytes))                                                       \
  EVENT(downloadTaskDidWriteData,                                                                                      \
        (const std::shared_ptr<platform::URLSession>& session,                                                         \
         const std::shared_ptr<platform::URLSessionDownloadTask>& downloadTask, std::int64_t bytesWritten,             \
         std::int64_t totalBytesWritten, std::int64_t totalBytesExpectedToWrite),                                      \
        (session, downloadTask, bytesWritten, totalBytesWritten, totalBytesExpectedToWrite))                           \
  EVENT(downloadTaskDidFinishDownloadingToURL,                                                                         \
        (const std::shared_ptr<platform::URLSession>& session,                                                         \
         const std::shared_ptr<platform::URLSessionDownloadTask>& downloadTask, const platform::URL& location),        \
        (session, downloadTask, location))                                                                             \
  /* Request events. */                                                                                                \
  EVENT(requestDidCreateInitialURLRequest,                                                                             \
        (const std::shared_ptr<Request>& request, const platform::URLRequest& urlRequest), (request, urlRequest))      \
  EVENT(requestDidFailToCreateURLRequestWithError, (const std::shared_ptr<Request>& request, const WNError& error),    \
        (request, error))                                                                                              \
  EVENT(requestDidAdaptInitialRequestToAdaptedRequest,                                                                 \
        (const std::shared_ptr<Request>& request, const platform::URLRequest& initialRequest,                          \
         const platform::URLRequest& adaptedRequest),                                                                  \
        (request, initialRequest, adaptedRequest))                                                                     \
  EVENT(requestDidFailToAdaptURLRequestWithError,                                                                      \
        (const std::shared_ptr<Request>& request, const platform::URLRequest& urlRequest, const WNError& error),       \
        (request, urlRequest, error))                                                                                  \
  EVENT(requestDidCreateURLRequest, (const std::shared_ptr<Request>& request, const platform::URLRequest& urlRequest), \
        (request, urlRequest))                                                                                         \
  EVENT(requestDidCreateTask,                                                                                          \
        (const std::shared_ptr<Request>& request, const std::shared_ptr<platform::URLSessionTask>& task),              \
        (request, task))                                                                                               \
  EVENT(requestDidGatherMetrics,                                                                                       \
        (const std::shared_ptr<Request>& request,                                                                      \
         const std::shared_ptr<const platform::URLSessionTaskMetrics>& metrics),                                       \
        (request, metrics))                                                                                            \
  EVENT(requestDidFailTaskEarlyWithError,                                                                              \
        (const std::shared_ptr<Request>& request, const std::shared_ptr<platform::URLSessionTask>& task,               \
         const WNError& error),                                                                                        \
        (request, task, error))                                                                                        \
  EVENT(requestDidCompleteTaskWithError,                                                                               \
        (const std::shared_ptr<Request>& request, const std::shared_ptr<platform::URLSessionTask>& task,               \
         const std::optional<WNError>& error),                                                                         \
        (request, task, error))                                                                                        \
  EVENT(requestIsRetrying, (const std::shared_ptr<Request>& request), (request))                                       \
  EVENT(requestDidFinish, (const std::shared_ptr<Request>& request), (request))                                        \
  EVENT(requestDidResume, (const std::shared_ptr<Request>& request), (request))                                        \
  EVENT(requestDidResumeTask,                                                                                          \
        (const std::shared_ptr<Request>& request, const std::shared_ptr<platform::URLSessionTask>& task),              \
        (request, task))                                                                                               \
  EVENT(requestDidSuspend, (const std::shared_ptr<Request>& request), (request))                                       \
  EVENT(requestDidSuspendTask,                                                                                         \
        (const std::shared_ptr<Request>& request, const std::shared_ptr<platform::URLSessionTask>& task),              \
        (request, task))                                                                                               \
  EVENT(requestDidCancel, (const std::shared_ptr<Request>& request), (request))                                        \
  EVENT(requestDidCancelTask,                                                                                          \
        (const std::shared_ptr<Request>& request, const std::shared_ptr<platform::URLSessionTask>& task),              \
        (request, task))                                                                                               \
  /* Data request events. */                                                                                           \
  EVENT(requestDidValidateRequestResponseDataWithResult,                                                               \
        (const std::shared_ptr<DataRequest>& request, const std::optional<platform::URLRequest>& urlRequest,           \
         const std::shared_ptr<const platform::HTTPURLResponse>& response, const std::optional<platform::Data>& data,  \
         const ValidationResult& result),                                                                              \
        (request, urlRequest, response, data, result))                                                                 \
  EVENT(requestDidParseResponse,                                                                                       \
        (const std::shared_ptr<DataRequest>& request, const DataResponse<std::optional<platform::Data>>& response),    \
        (request, response))                                                                                           \
  VALUE_EVENT(requestDidParseSerializedResponse,                                                                       \
              (const std::shared_ptr<DataRequest>& request, const DataResponse<AnyValue>& response),                   \
              (request, response))                                                                                     \
  /* Stream request events. */                                                                                         \
  EVENT(requestDidValidateRequestResponseWithResult,                                                                   \
        (const std::shared_ptr<DataStreamRequest>& request, const std::optional<platform::URLRequest>& urlRequest,     \
         const std::shared_ptr<const platform::HTTPURLResponse>& response, const ValidationResult& result),            \
        (request, urlRequest, response, result))                                                                       \
  VALUE_EVENT(requestDidParseStream,                                                                                   \
              (const std::shared_ptr<DataStreamRequest>& request, const Result<AnyValue>& result), (request, result))  \
  /* Upload request events. */                                                                                         \
  EVENT(requestDidCreateUploadable, (const std::shared_ptr<UploadRequest>& request, const Uploadable& uploadable),     \
        (request, uploadable))                                                                                         \
  EVENT(requestDidFailToCreateUploadableWithError,                                                                     \
        (const std::shared_ptr<UploadRequest>& request, const WNError& error), (request, error))                       \
  EVENT(requestDidProvideInputStream,                                                                                  \
        (const std::shared_ptr<UploadRequest>& request, const std::shared_ptr<platform::InputStream>& stream),         \
        (request, stream))                                                                                             \
  /* Download request events. */                                                                                       \
  EVENT(requestDidFinishDownloadingUsingTaskWithResult,                                                                \
        (const std::shared_ptr<DownloadRequest>& request, const std::shared_ptr<platform::URLSessionTask>& task,       \
         const Result<platform::URL>& result),                                                                         \
        (request, task, result))                                                                                       \
  EVENT(requestDidCreateDestinationURL, (const std::shared_ptr<DownloadRequest>& request, const platform::URL& url),   \
        (request, url))                                                                                                \
  EVENT(requestDidValidateRequestResponseFileURLWithResult,                                                            \
        (const std::shared_ptr<DownloadRequest>& request, const std::optional<platform::URLRequest>& urlRequest,       \
         const std::shared_ptr<const platform::HTTPURLResponse>& response,                                             \
         const std::optional<platform::URL>& fileURL, const ValidationResult& result),                                 \
        (request, urlRequest, response, fileURL, result))                                                              \
  EVENT(requestDidParseDownloadResponse,                                                                               \
        (const std::shared_ptr<DownloadRequest>& request,                                                              \
         const DownloadResponse<std::optional<platform::URL>>& response),                                              \
        (request, response))                                                                                           \
  VALUE_EVENT(requestDidParseSerializedDownloadResponse,                                                               \
              (const std::shared_ptr<DownloadRequest>& request, const DownloadResponse<AnyValue>& response),           \
              (request, response))

// An entry's argument names without their parentheses, for a call.
#define WENDANET_EVENT_ARGUMENTS(...) __VA_ARGS__
// An entry that becomes nothing, for an includer that leaves some events out.
#define WENDANET_SKIP_EVENT(name, parameters, arguments)
