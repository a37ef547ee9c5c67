#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Files/FileManager.h"
#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/URL.h"
#include "Platform/Streams/InputStream.h"
#include "Platform/URLLoading/URLSession.h"
#include "Platform/URLLoading/URLSessionConfiguration.h"
#include "Wendanet/Source/Support/CachedResponseHandler.h"
#include "Wendanet/Source/Support/CompositeEventMonitor.h"
#include "Wendanet/Source/Core/DataRequest.h"
#include "Wendanet/Source/Core/DataStreamRequest.h"
#include "Wendanet/Source/Core/DownloadRequest.h"
#include "Wendanet/Source/Support/EventMonitor.h"
#include "Wendanet/Source/Support/RedirectHandler.h"
#include "Wendanet/Source/Core/RequestDelegate.h"
#include "Wendanet/Source/Support/RequestInterceptor.h"
#include "Wendanet/Source/Core/RequestTaskMap.h"
#include "Wendanet/Source/Core/SessionDelegate.h"
#include "Wendanet/Source/Core/SessionRequestValues.h"
#include "Wendanet/Source/Core/SessionStateProvider.h"
#include "Wendanet/Source/Core/URLEncoding.h"
#include "Wendanet/Source/Support/URLEncodedFormParameterEncoder.h"
#include "Wendanet/Source/Core/UploadRequest.h"
#include "Wendanet/Source/Core/WebSocketRequest.h"
#include "Wendanet/Source/Support/MultipartFormData.h"
#include "Wendanet/Source/Support/ServerTrustManager.h"

namespace wendanet {

// Whether a factory performs its new request at once (eager) or leaves
// that to the request's first resume (lazy).
enum class SessionRequestSetup { lazy, eager };

// A new list of one WendanetNotifications.
std::vector<std::shared_ptr<EventMonitor>> defaultSessionMonitors();

// Everything a session is built with besides its URL session, delegate
// and root queue; the defaults are the shared session's.
struct SessionSettings {
  bool startRequestsImmediately = true;
  SessionRequestSetup requestSetup = SessionRequestSetup::lazy;
  // Absent: a serial queue targeting the root queue is made.
  std::shared_ptr<platform::DispatchQueue> requestQueue = nullptr;
  std::shared_ptr<platform::DispatchQueue> serializationQueue = nullptr;
  std::shared_ptr<RequestInterceptor> interceptor = nullptr;
  std::shared_ptr<ServerTrustManager> serverTrustManager = nullptr;
  std::shared_ptr<RedirectHandler> redirectHandler = nullptr;
  std::shared_ptr<CachedResponseHandler> cachedResponseHandler = nullptr;
  std::vector<std::shared_ptr<EventMonitor>> eventMonitors = defaultSessionMonitors();
};

// The entry point of the HTTP layer: one URL session, the delegate that
// hears its callbacks, and the queues every request runs on. The serial
// root queue owns the session's mutable state (the task map, the active
// requests and the completions waiting for their task's metrics); nothing
// locks them, and every operation that touches them runs there or checks
// that it does. Requests hold the session weakly, the session holds the
// requests it performs until their clean-up.
class Session : public RequestDelegate,
                public SessionStateProvider,
                public std::enable_shared_from_this<Session> {
 public:
  class Passkey {
    friend class Session;
    Passkey() = default;
  };

  using RequestSetup = SessionRequestSetup;

  using RequestConvertible = wendanet::RequestConvertible;
  template <platform::Encodable Parameters>
  using RequestEncodableConvertible = wendanet::RequestEncodableConvertible<Parameters>;
  using ParameterlessRequestConvertible = wendanet::ParameterlessRequestConvertible;
  using Upload = wendanet::Upload;
  using URLRef = std::shared_ptr<const URLConvertible>;
  using ConvertibleRef = std::shared_ptr<const URLRequestConvertible>;
  using Destination = DownloadRequest::Destination;
  using MultipartBuilder = std::function<void(MultipartFormData&)>;

  static constexpr std::string_view defaultRootQueueLabel = "org.wendanet.session.rootQueue";

  using Settings = SessionSettings;

  // Over a URL session made by the caller, whose delegate queue must run on
  // `rootQueue`; a background configuration or any other queue stops the
  // process.
  static std::shared_ptr<Session> make(std::shared_ptr<platform::URLSession> session,
                                       std::shared_ptr<SessionDelegate> delegate,
                                       std::shared_ptr<platform::DispatchQueue> rootQueue, Settings settings = {});
  // Makes the URL session from `configuration` (the library's default one
  // when null), with a new delegate when none is given. The root queue is a
  // new serial queue with `rootQueue`'s label targeting it (the main queue
  // is used itself); without one, it is labelled
  // "org.wendanet.session.rootQueue".
  static std::shared_ptr<Session> makeWithConfiguration(
      std::shared_ptr<platform::URLSessionConfiguration> configuration = nullptr,
      std::shared_ptr<SessionDelegate> delegate = nullptr, std::shared_ptr<platform::DispatchQueue> rootQueue = nullptr,
      Settings settings = {});
  // The process-wide shared session, made with every default on first use.
  static const std::shared_ptr<Session>& defaultSession();

  Session(Passkey, std::shared_ptr<platform::URLSession> session, std::shared_ptr<SessionDelegate> delegate,
          std::shared_ptr<platform::DispatchQueue> rootQueue, Settings settings);
  // Finishes the requests still paired with a task (sessionDeinitialized,
  // on the root queue) and cancels the URL session.
  ~Session() override;
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  const std::shared_ptr<platform::URLSession>& session() const { return session_; }
  const std::shared_ptr<SessionDelegate>& delegate() const { return delegate_; }
  const std::shared_ptr<platform::DispatchQueue>& rootQueue() const { return rootQueue_; }
  bool startRequestsImmediately() const { return startRequestsImmediately_; }
  RequestSetup requestSetup() const { return requestSetup_; }
  const std::shared_ptr<platform::DispatchQueue>& requestQueue() const { return requestQueue_; }
  const std::shared_ptr<platform::DispatchQueue>& serializationQueue() const { return serializationQueue_; }
  const std::shared_ptr<RequestInterceptor>& interceptor() const { return interceptor_; }
  const std::shared_ptr<CompositeEventMonitor>& eventMonitor() const { return eventMonitor_; }
  // Never part of `eventMonitor` and never sent an event.
  const std::vector<std::shared_ptr<EventMonitor>>& defaultEventMonitors() const { return defaultEventMonitors_; }

  // Calls `action` on the root queue with the requests active then.
  void withAllRequests(std::move_only_function<void(const RequestSet&)> action);
  // Asks every active request to cancel, then calls `completion` on `queue`
  // (the main queue when null); it does not wait for them to finish.
  void cancelAllRequests(std::shared_ptr<platform::DispatchQueue> queue = nullptr,
                         std::move_only_function<void()> completion = nullptr);

  // Data requests.
  virtual std::shared_ptr<DataRequest> requestWithParameters(
      URLRef url, HTTPMethod method = HTTPMethod::get(), std::optional<Parameters> parameters = std::nullopt,
      std::shared_ptr<const ParameterEncoding> encoding = nullptr, std::optional<HTTPHeaders> headers = std::nullopt,
      std::shared_ptr<RequestInterceptor> interceptor = nullptr,
      std::optional<bool> shouldAutomaticallyResume = std::nullopt, RequestModifier requestModifier = nullptr);
  template <platform::Encodable Parameters>
  std::shared_ptr<DataRequest> requestWithEncodableParameters(
      URLRef url, HTTPMethod method, std::optional<Parameters> parameters,
      std::shared_ptr<const ParameterEncoder> encoder = nullptr, std::optional<HTTPHeaders> headers = std::nullopt,
      std::shared_ptr<RequestInterceptor> interceptor = nullptr,
      std::optional<bool> shouldAutomaticallyResume = std::nullopt, RequestModifier requestModifier = nullptr) {
    return requestWithURLRequest(
        std::make_shared<RequestEncodableConvertible<Parameters>>(std::move(url), std::move(method),
                                                                  std::move(parameters), orDefault(std::move(encoder)),
                                                                  std::move(headers), std::move(requestModifier)),
        std::move(interceptor), shouldAutomaticallyResume);
  }
  virtual std::shared_ptr<DataRequest> requestWithURLRequest(
      ConvertibleRef convertible, std::shared_ptr<RequestInterceptor> interceptor = nullptr,
      std::optional<bool> shouldAutomaticallyResume = std::nullopt);

  // Streamed responses.
  template <platform::Encodable Parameters>
  std::shared_ptr<DataStreamRequest> streamRequestWithEncodableParameters(
      URLRef url, HTTPMethod method, std::optional<Parameters> parameters,
      std::shared_ptr<const ParameterEncoder> encoder = nullptr, std::optional<HTTPHeaders> headers = std::nullopt,
      bool automaticallyCancelOnStreamError = false, std::shared_ptr<RequestInterceptor> interceptor = nullptr,
      std::optional<bool> shouldAutomaticallyResume = std::nullopt, RequestModifier requestModifier = nullptr) {
    return streamRequestWithURLRequest(
        std::make_shared<RequestEncodableConvertible<Parameters>>(std::move(url), std::move(method),
                                                                  std::move(parameters), orDefault(std::move(encoder)),
                                                                  std::move(headers), std::move(requestModifier)),
        automaticallyCancelOnStreamError, std::move(interceptor), shouldAutomaticallyResume);
  }
  virtual std::shared_ptr<DataStreamRequest> streamRequestWithoutParameters(
      URLRef url, HTTPMethod method = HTTPMethod::get(), std::optional<HTTPHeaders> headers = std::nullopt,
      bool automaticallyCancelOnStreamError = false, std::shared_ptr<RequestInterceptor> interceptor = nullptr,
      std::optional<bool> shouldAutomaticallyResume = std::nullopt, RequestModifier requestModifier = nullptr);
  virtual std::shared_ptr<DataStreamRequest> streamRequestWithURLRequest(
      ConvertibleRef convertible, bool automaticallyCancelOnStreamError = false,
      std::shared_ptr<RequestInterceptor> interceptor = nullptr,
      std::optional<bool> shouldAutomaticallyResume = std::nullopt);

  // WebSocket connections; made from a URL, the method is always "GET".
  virtual std::shared_ptr<WebSocketRequest> webSocketRequestWithDefaultEncoder(
      URLRef url, WebSocketRequest::Configuration configuration = WebSocketRequest::Configuration::defaultValue(),
      std::optional<HTTPHeaders> headers = std::nullopt, std::shared_ptr<RequestInterceptor> interceptor = nullptr,
      std::optional<bool> shouldAutomaticallyResume = std::nullopt, RequestModifier requestModifier = nullptr);
  template <platform::Encodable Parameters>
  std::shared_ptr<WebSocketRequest> webSocketRequestWithEncodableParameters(
      URLRef url, WebSocketRequest::Configuration configuration, std::optional<Parameters> parameters,
      std::shared_ptr<const ParameterEncoder> encoder = nullptr, std::optional<HTTPHeaders> headers = std::nullopt,
      std::shared_ptr<RequestInterceptor> interceptor = nullptr,
      std::optional<bool> shouldAutomaticallyResume = std::nullopt, RequestModifier requestModifier = nullptr) {
    return webSocketRequestWithURLRequest(
        std::make_shared<RequestEncodableConvertible<Parameters>>(std::move(url), HTTPMethod::get(),
                                                                  std::move(parameters), orDefault(std::move(encoder)),
                                                                  std::move(headers), std::move(requestModifier)),
        std::move(configuration), std::move(interceptor), shouldAutomaticallyResume);
  }
  virtual std::shared_ptr<WebSocketRequest> webSocketRequestWithURLRequest(
      ConvertibleRef convertible,
      WebSocketRequest::Configuration configuration = WebSocketRequest::Configuration::defaultValue(),
      std::shared_ptr<RequestInterceptor> interceptor = nullptr,
      std::optional<bool> shouldAutomaticallyResume = std::nullopt);

  // Downloads; without a destination the file lands next to its temporary
  // file, named "Wendanet_" and the temporary file's name.
  virtual std::shared_ptr<DownloadRequest> downloadWithParameters(
      URLRef url, HTTPMethod method = HTTPMethod::get(), std::optional<Parameters> parameters = std::nullopt,
      std::shared_ptr<const ParameterEncoding> encoding = nullptr, std::optional<HTTPHeaders> headers = std::nullopt,
      std::shared_ptr<RequestInterceptor> interceptor = nullptr,
      std::optional<bool> shouldAutomaticallyResume = std::nullopt, RequestModifier requestModifier = nullptr,
      Destination destination = nullptr);
  template <platform::Encodable Parameters>
  std::shared_ptr<DownloadRequest> downloadWithEncodableParameters(
      URLRef url, HTTPMethod method, std::optional<Parameters> parameters,
      std::shared_ptr<const ParameterEncoder> encoder = nullptr, std::optional<HTTPHeaders> headers = std::nullopt,
      std::shared_ptr<RequestInterceptor> interceptor = nullptr,
      std::optional<bool> shouldAutomaticallyResume = std::nullopt, RequestModifier requestModifier = nullptr,
      Destination destination = nullptr) {
    return downloadWithURLRequest(
        std::make_shared<RequestEncodableConvertible<Parameters>>(std::move(url), std::move(method),
                                                                  std::move(parameters), orDefault(std::move(encoder)),
                                                                  std::move(headers), std::move(requestModifier)),
        std::move(interceptor), shouldAutomaticallyResume, std::move(destination));
  }
  virtual std::shared_ptr<DownloadRequest> downloadWithURLRequest(
      ConvertibleRef convertible, std::shared_ptr<RequestInterceptor> interceptor = nullptr,
      std::optional<bool> shouldAutomaticallyResume = std::nullopt, Destination destination = nullptr);
  virtual std::shared_ptr<DownloadRequest> downloadResumingWithData(
      platform::Data resumeData, std::shared_ptr<RequestInterceptor> interceptor = nullptr,
      std::optional<bool> shouldAutomaticallyResume = std::nullopt, Destination destination = nullptr);

  // Uploads.
  virtual std::shared_ptr<UploadRequest> uploadDataToURL(
      platform::Data data, URLRef url, HTTPMethod method = HTTPMethod::post(),
      std::optional<HTTPHeaders> headers = std::nullopt, std::shared_ptr<RequestInterceptor> interceptor = nullptr,
      std::optional<bool> shouldAutomaticallyResume = std::nullopt,
      std::shared_ptr<platform::FileManager> fileManager = platform::FileManager::defaultManager(),
      RequestModifier requestModifier = nullptr);
  virtual std::shared_ptr<UploadRequest> uploadDataWithURLRequest(
      platform::Data data, ConvertibleRef convertible, std::shared_ptr<RequestInterceptor> interceptor = nullptr,
      std::optional<bool> shouldAutomaticallyResume = std::nullopt,
      std::shared_ptr<platform::FileManager> fileManager = platform::FileManager::defaultManager());
  virtual std::shared_ptr<UploadRequest> uploadFileToURL(
      platform::URL fileURL, URLRef url, HTTPMethod method = HTTPMethod::post(),
      std::optional<HTTPHeaders> headers = std::nullopt, std::shared_ptr<RequestInterceptor> interceptor = nullptr,
      std::optional<bool> shouldAutomaticallyResume = std::nullopt,
      std::shared_ptr<platform::FileManager> fileManager = platform::FileManager::defaultManager(),
      RequestModifier requestModifier = nullptr);
  virtual std::shared_ptr<UploadRequest> uploadFileWithURLRequest(
      platform::URL fileURL, ConvertibleRef convertible, std::shared_ptr<RequestInterceptor> interceptor = nullptr,
      std::optional<bool> shouldAutomaticallyResume = std::nullopt,
      std::shared_ptr<platform::FileManager> fileManager = platform::FileManager::defaultManager());
  virtual std::shared_ptr<UploadRequest> uploadStreamToURL(
      std::shared_ptr<platform::InputStream> stream, URLRef url, HTTPMethod method = HTTPMethod::post(),
      std::optional<HTTPHeaders> headers = std::nullopt, std::shared_ptr<RequestInterceptor> interceptor = nullptr,
      std::shared_ptr<platform::FileManager> fileManager = platform::FileManager::defaultManager(),
      RequestModifier requestModifier = nullptr);
  virtual std::shared_ptr<UploadRequest> uploadStreamWithURLRequest(
      std::shared_ptr<platform::InputStream> stream, ConvertibleRef convertible,
      std::shared_ptr<RequestInterceptor> interceptor = nullptr,
      std::optional<bool> shouldAutomaticallyResume = std::nullopt,
      std::shared_ptr<platform::FileManager> fileManager = platform::FileManager::defaultManager());
  // The builder runs at once, on the caller's thread; the body is encoded
  // when the request is performed, in memory below `encodingMemoryThreshold`
  // bytes and through a temporary file from there on.
  virtual std::shared_ptr<UploadRequest> uploadMultipartClosureToURL(
      MultipartBuilder builder, URLRef url,
      std::uint64_t encodingMemoryThreshold = MultipartFormData::encodingMemoryThreshold,
      HTTPMethod method = HTTPMethod::post(), std::optional<HTTPHeaders> headers = std::nullopt,
      std::shared_ptr<RequestInterceptor> interceptor = nullptr,
      std::shared_ptr<platform::FileManager> fileManager = platform::FileManager::defaultManager(),
      RequestModifier requestModifier = nullptr);
  virtual std::shared_ptr<UploadRequest> uploadMultipartClosureWithURLRequest(
      MultipartBuilder builder, ConvertibleRef convertible,
      std::uint64_t encodingMemoryThreshold = MultipartFormData::encodingMemoryThreshold,
      std::shared_ptr<RequestInterceptor> interceptor = nullptr,
      std::shared_ptr<platform::FileManager> fileManager = platform::FileManager::defaultManager());
  virtual std::shared_ptr<UploadRequest> uploadMultipartFormDataToURL(
      std::shared_ptr<MultipartFormData> multipartFormData, URLRef url,
      std::uint64_t encodingMemoryThreshold = MultipartFormData::encodingMemoryThreshold,
      HTTPMethod method = HTTPMethod::post(), std::optional<HTTPHeaders> headers = std::nullopt,
      std::shared_ptr<RequestInterceptor> interceptor = nullptr,
      std::optional<bool> shouldAutomaticallyResume = std::nullopt,
      std::shared_ptr<platform::FileManager> fileManager = platform::FileManager::defaultManager(),
      RequestModifier requestModifier = nullptr);
  virtual std::shared_ptr<UploadRequest> uploadMultipartFormDataWithURLRequest(
      std::shared_ptr<MultipartFormData> multipartFormData, ConvertibleRef convertible,
      std::uint64_t encodingMemoryThreshold = MultipartFormData::encodingMemoryThreshold,
      std::shared_ptr<RequestInterceptor> interceptor = nullptr,
      std::optional<bool> shouldAutomaticallyResume = std::nullopt,
      std::shared_ptr<platform::FileManager> fileManager = platform::FileManager::defaultManager());

  static DownloadRequest::DestinationChoice defaultDownloadDestination(
      const platform::URL& temporaryURL, const std::shared_ptr<const platform::HTTPURLResponse>& response);

  // The execution pipeline: from the request's value to a URL task brought
  // into line with the request's state. `perform` returns at once.
  virtual void perform(const std::shared_ptr<Request>& request);
  virtual void performDownloadRequest(const std::shared_ptr<DownloadRequest>& request);
  virtual void didCreateURLRequest(const platform::URLRequest& urlRequest, const std::shared_ptr<Request>& request);
  virtual void didReceiveResumeData(const platform::Data& resumeData, const std::shared_ptr<DownloadRequest>& request);

  // The session's interceptor and the request's, the session's first.
  virtual std::shared_ptr<RequestAdapter> adapter(const std::shared_ptr<Request>& request) const;
  virtual std::shared_ptr<RequestRetrier> retrier(const std::shared_ptr<Request>& request) const;

  // RequestDelegate.
  std::shared_ptr<platform::URLSessionConfiguration> sessionConfiguration() const override;
  bool startImmediately() const override { return startRequestsImmediately_; }
  void startRequestIfNeeded(const std::shared_ptr<Request>& request) override;
  void cleanup(const std::shared_ptr<Request>& request) override;
  void retryResult(const std::shared_ptr<Request>& request, const WNError& error,
                   std::move_only_function<void(RetryResult)> completion) override;
  void retryRequest(const std::shared_ptr<Request>& request, std::optional<double> delay) override;

  // SessionStateProvider.
  std::shared_ptr<ServerTrustManager> serverTrustManager() const override { return serverTrustManager_; }
  std::shared_ptr<RedirectHandler> redirectHandler() const override { return redirectHandler_; }
  std::shared_ptr<CachedResponseHandler> cachedResponseHandler() const override { return cachedResponseHandler_; }
  std::shared_ptr<Request> requestForTask(const std::shared_ptr<platform::URLSessionTask>& task) override;
  void didGatherMetricsForTask(const std::shared_ptr<platform::URLSessionTask>& task) override;
  void didCompleteTask(const std::shared_ptr<platform::URLSessionTask>& task,
                       std::move_only_function<void()> completion) override;
  std::optional<platform::URLCredential> credentialForChallenge(const std::shared_ptr<platform::URLSessionTask>& task,
                                                                const platform::URLProtectionSpace& space) override;
  void cancelRequestsForSessionInvalidation(const platform::AnyError& error) override;

 protected:
  // What every request made here starts with.
  Request::BaseFields baseFields(std::shared_ptr<RequestInterceptor> interceptor,
                                 std::optional<bool> shouldAutomaticallyResume);
  // Performs the new request at once with eager set-up, and returns it.
  template <class Kind>
  std::shared_ptr<Kind> setUp(std::shared_ptr<Kind> request) {
    if (requestSetup_ == RequestSetup::eager) perform(request);
    return request;
  }
  // The shared construction step of every upload factory.
  std::shared_ptr<UploadRequest> uploadWithConvertible(std::shared_ptr<const UploadConvertible> upload,
                                                       std::shared_ptr<RequestInterceptor> interceptor,
                                                       std::optional<bool> shouldAutomaticallyResume,
                                                       std::shared_ptr<platform::FileManager> fileManager);

 private:
  using TaskCheck = std::function<bool()>;

  static std::shared_ptr<const ParameterEncoder> orDefault(std::shared_ptr<const ParameterEncoder> encoder);
  static std::shared_ptr<const ParameterEncoding> orDefault(std::shared_ptr<const ParameterEncoding> encoding);

  void performByKind(const std::shared_ptr<Request>& request);
  void performSetupOperations(const std::shared_ptr<Request>& request, const ConvertibleRef& convertible,
                              TaskCheck check);
  void handleAdaptationResult(AdaptResult result, const std::shared_ptr<Request>& request,
                              const platform::URLRequest& initialRequest, const TaskCheck& check);
  bool prepareUploadable(const std::shared_ptr<UploadRequest>& request);
  // Maps the new task, tells the request and brings the task into line
  // with the request's state.
  void adoptTask(const std::shared_ptr<platform::URLSessionTask>& task, const std::shared_ptr<Request>& request);
  void updateStatesForTask(const std::shared_ptr<platform::URLSessionTask>& task,
                           const std::shared_ptr<Request>& request);
  // Runs `event` on the request as a block of its own on the root queue.
  void onRootQueue(const std::shared_ptr<Request>& request, std::move_only_function<void(Request&)> event);
  void finishRequestsForDeinit();

  const std::shared_ptr<platform::URLSession> session_;
  const std::shared_ptr<SessionDelegate> delegate_;
  const std::shared_ptr<platform::DispatchQueue> rootQueue_;
  const bool startRequestsImmediately_;
  const RequestSetup requestSetup_;
  const std::shared_ptr<platform::DispatchQueue> requestQueue_;
  const std::shared_ptr<platform::DispatchQueue> serializationQueue_;
  const std::shared_ptr<RequestInterceptor> interceptor_;
  const std::shared_ptr<ServerTrustManager> serverTrustManager_;
  const std::shared_ptr<RedirectHandler> redirectHandler_;
  const std::shared_ptr<CachedResponseHandler> cachedResponseHandler_;
  const std::shared_ptr<CompositeEventMonitor> eventMonitor_;
  const std::vector<std::shared_ptr<EventMonitor>> defaultEventMonitors_ = defaultSessionMonitors();

  // Root queue only.
  RequestTaskMap requestTaskMap_;
  RequestSet activeRequests_;
  std::unordered_map<std::shared_ptr<platform::URLSessionTask>, std::move_only_function<void()>> waitingCompletions_;
};

// The shared default session, made on first use and kept for the life of
// the process.
const std::shared_ptr<Session>& WN();

}  // namespace wendanet
