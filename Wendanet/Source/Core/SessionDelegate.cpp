#include "Wendanet/Source/Core/SessionDelegate.h"

#include <typeinfo>

#include "Wendanet/Source/Core/DataRequest.h"
#include "Wendanet/Source/Core/DataStreamRequest.h"
#include "Wendanet/Source/Core/DownloadRequest.h"
#include "Wendanet/Source/Core/UploadRequest.h"
#include "Wendanet/Source/Core/WNErrorCasts.h"
#include "Wendanet/Source/Core/WebSocketRequest.h"
#include "Wendanet/Source/Support/ServerTrustManager.h"

namespace wendanet {

using Disposition = platform::URLSessionAuthChallengeDisposition;
using platform::URLProtectionSpace;

std::shared_ptr<SessionDelegate> SessionDelegate::make(std::shared_ptr<platform::FileManager> fileManager) {
  return std::make_shared<SessionDelegate>(
      Passkey(), fileManager ? std::move(fileManager) : platform::FileManager::defaultManager());
}

SessionDelegate::SessionDelegate(Passkey, std::shared_ptr<platform::FileManager> fileManager)
    : fileManager_(std::move(fileManager)) {}

std::shared_ptr<SessionStateProvider> SessionDelegate::stateProvider() const {
  return links_.write([](const Links& links) { return links.stateProvider.lock(); });
}

void SessionDelegate::setStateProvider(std::weak_ptr<SessionStateProvider> stateProvider) {
  links_.write([&](Links& links) { links.stateProvider = std::move(stateProvider); });
}

std::shared_ptr<EventMonitor> SessionDelegate::eventMonitor() const {
  return links_.write([](const Links& links) { return links.eventMonitor; });
}

void SessionDelegate::setEventMonitor(std::shared_ptr<EventMonitor> eventMonitor) {
  links_.write([&](Links& links) { links.eventMonitor = std::move(eventMonitor); });
}

template <class Kind>
std::shared_ptr<Kind> SessionDelegate::request(const std::shared_ptr<platform::URLSessionTask>& task,
                                               bool exact) const {
  const auto provider = stateProvider();
  if (!provider) return nullptr;
  const auto request = provider->requestForTask(task);
  if (!request) return nullptr;
  if (exact && typeid(*request) != typeid(Kind)) return nullptr;
  return std::dynamic_pointer_cast<Kind>(request);
}

// Session.

void SessionDelegate::didBecomeInvalidWithError(SessionRef session, const platform::AnyError& error) {
  report(&EventMonitor::sessionDidBecomeInvalidWithError, session, error);
  if (const auto provider = stateProvider()) provider->cancelRequestsForSessionInvalidation(error);
}

// Challenges.

void SessionDelegate::didReceiveChallenge(SessionRef session, const std::shared_ptr<platform::URLSessionTask>& task,
                                          const platform::URLAuthenticationChallenge& challenge,
                                          platform::ChallengeCompletionHandler completionHandler) {
  report(&EventMonitor::taskDidReceiveChallenge, session, task,
         std::make_shared<const platform::URLAuthenticationChallenge>(challenge));
  const auto& method = challenge.protectionSpace.authenticationMethod;
  ChallengeDecision decision{Disposition::performDefaultHandling, std::nullopt, std::nullopt};
  if (method == URLProtectionSpace::authenticationMethodHTTPBasic ||
      method == URLProtectionSpace::authenticationMethodHTTPDigest ||
      method == URLProtectionSpace::authenticationMethodNTLM ||
      method == URLProtectionSpace::authenticationMethodNegotiate ||
      method == URLProtectionSpace::authenticationMethodClientCertificate) {
    decision = credentialDecision(task, challenge);
  } else if (method == URLProtectionSpace::authenticationMethodServerTrust) {
    decision = serverTrustDecision(challenge);
  }
  if (decision.error) {
    if (const auto failed = request<Request>(task, false)) failed->didFailTaskEarly(task, *decision.error);
  }
  completionHandler(decision.disposition, decision.credential);
}

SessionDelegate::ChallengeDecision SessionDelegate::credentialDecision(
    const std::shared_ptr<platform::URLSessionTask>& task, const platform::URLAuthenticationChallenge& challenge) const {
  if (challenge.previousFailureCount > 0) return {Disposition::rejectProtectionSpace, std::nullopt, std::nullopt};
  const auto provider = stateProvider();
  if (!provider) return {Disposition::performDefaultHandling, std::nullopt, std::nullopt};
  if (auto credential = provider->credentialForChallenge(task, challenge.protectionSpace)) {
    return {Disposition::useCredential, std::move(credential), std::nullopt};
  }
  return {Disposition::performDefaultHandling, std::nullopt, std::nullopt};
}

SessionDelegate::ChallengeDecision SessionDelegate::serverTrustDecision(
    const platform::URLAuthenticationChallenge& challenge) const {
  const ChallengeDecision platformDecides{Disposition::performDefaultHandling, std::nullopt, std::nullopt};
  const auto& space = challenge.protectionSpace;
  if (!space.serverTrust) return platformDecides;
  const auto provider = stateProvider();
  const auto manager = provider ? provider->serverTrustManager() : nullptr;
  if (!manager) return platformDecides;
  try {
    const auto evaluator = manager->serverTrustEvaluator(space.host);
    if (!evaluator) return platformDecides;
    evaluator->evaluate(space.serverTrust, space.host);
    platform::URLCredential credential;
    credential.serverTrust = space.serverTrust;
    return {Disposition::useCredential, std::move(credential), std::nullopt};
  } catch (const platform::Error& error) {
    return {Disposition::cancelAuthenticationChallenge, std::nullopt, castToWNErrorOrDefault(error, [&] {
              return WNError::serverTrustEvaluationFailed(
                  ServerTrustFailureReason::customEvaluationFailed(error.clone()));
            })};
  }
}

// Tasks.

void SessionDelegate::didSendBodyData(SessionRef session, const std::shared_ptr<platform::URLSessionTask>& task,
                                      std::int64_t bytesSent, std::int64_t totalBytesSent,
                                      std::int64_t totalBytesExpectedToSend) {
  report(&EventMonitor::taskDidSendBodyData, session, task, bytesSent, totalBytesSent, totalBytesExpectedToSend);
  if (const auto sending = request<Request>(task, false)) {
    sending->updateUploadProgress(totalBytesSent, totalBytesExpectedToSend);
  }
}

void SessionDelegate::needNewBodyStream(SessionRef session, const std::shared_ptr<platform::URLSessionTask>& task,
                                        platform::BodyStreamCompletionHandler completionHandler) {
  report(&EventMonitor::taskNeedNewBodyStream, session, task);
  const auto upload = request<UploadRequest>(task);
  completionHandler(upload ? upload->inputStream() : nullptr);
}

void SessionDelegate::willPerformHTTPRedirection(SessionRef session,
                                                 const std::shared_ptr<platform::URLSessionTask>& task,
                                                 const std::shared_ptr<platform::HTTPURLResponse>& response,
                                                 const platform::URLRequest& newRequest,
                                                 platform::RedirectCompletionHandler completionHandler) {
  report(&EventMonitor::taskWillPerformHTTPRedirection, session, task,
         std::shared_ptr<const platform::HTTPURLResponse>(response), newRequest);
  const auto redirected = request<Request>(task, false);
  auto handler = redirected ? redirected->redirectHandler() : nullptr;
  if (!handler) {
    const auto provider = stateProvider();
    handler = provider ? provider->redirectHandler() : nullptr;
  }
  if (!handler) return completionHandler(newRequest);
  handler->decideRedirect(task, newRequest, response, std::move(completionHandler));
}

void SessionDelegate::didFinishCollectingMetrics(SessionRef session,
                                                 const std::shared_ptr<platform::URLSessionTask>& task,
                                                 const std::shared_ptr<const platform::URLSessionTaskMetrics>& metrics) {
  report(&EventMonitor::taskDidFinishCollectingMetrics, session, task, metrics);
  if (const auto measured = request<Request>(task, false)) measured->didGatherMetrics(metrics);
  if (const auto provider = stateProvider()) provider->didGatherMetricsForTask(task);
}

void SessionDelegate::didCompleteWithError(SessionRef session, const std::shared_ptr<platform::URLSessionTask>& task,
                                           const platform::AnyError& error) {
  report(&EventMonitor::taskDidComplete, session, task, error);
  const auto provider = stateProvider();
  if (!provider) return;
  provider->didCompleteTask(task, [completed = provider->requestForTask(task), task, error] {
    if (!completed) return;
    std::optional<WNError> failure;
    if (error) failure = castToWNErrorOrDefault(error, [&] { return WNError::sessionTaskFailed(error); });
    completed->didCompleteTask(task, failure);
  });
}

void SessionDelegate::taskIsWaitingForConnectivity(SessionRef session,
                                                   const std::shared_ptr<platform::URLSessionTask>& task) {
  report(&EventMonitor::taskIsWaitingForConnectivity, session, task);
}

// Data tasks.

void SessionDelegate::didReceiveResponse(SessionRef session, const std::shared_ptr<platform::URLSessionDataTask>& task,
                                         const std::shared_ptr<platform::URLResponse>& response,
                                         platform::ResponseCompletionHandler completionHandler) {
  report(&EventMonitor::dataTaskDidReceiveResponse, session, task, std::shared_ptr<const platform::URLResponse>(response));
  const auto httpResponse = std::dynamic_pointer_cast<const platform::HTTPURLResponse>(response);
  if (httpResponse) {
    if (const auto data = request<DataRequest>(task, false)) {
      return data->didReceiveResponse(httpResponse, std::move(completionHandler));
    }
    if (const auto stream = request<DataStreamRequest>(task)) {
      return stream->didReceiveResponse(httpResponse, std::move(completionHandler));
    }
  }
  completionHandler(platform::URLSessionResponseDisposition::allow);
}

void SessionDelegate::didReceiveData(SessionRef session, const std::shared_ptr<platform::URLSessionDataTask>& task,
                                     const platform::Data& data) {
  report(&EventMonitor::dataTaskDidReceiveData, session, task, data);
  if (const auto gathering = request<DataRequest>(task, false)) return gathering->didReceiveData(data);
  if (const auto stream = request<DataStreamRequest>(task)) stream->didReceiveData(data);
}

void SessionDelegate::willCacheResponse(SessionRef session, const std::shared_ptr<platform::URLSessionDataTask>& task,
                                        const std::shared_ptr<platform::CachedURLResponse>& proposedResponse,
                                        platform::CacheCompletionHandler completionHandler) {
  report(&EventMonitor::dataTaskWillCacheResponse, session, task,
         std::shared_ptr<const platform::CachedURLResponse>(proposedResponse));
  const auto cached = request<Request>(task, false);
  auto handler = cached ? cached->cachedResponseHandler() : nullptr;
  if (!handler) {
    const auto provider = stateProvider();
    handler = provider ? provider->cachedResponseHandler() : nullptr;
  }
  if (!handler) return completionHandler(proposedResponse);
  handler->decideCachedResponse(task, proposedResponse,
                                [completionHandler](std::shared_ptr<const platform::CachedURLResponse> response) {
                                  completionHandler(std::const_pointer_cast<platform::CachedURLResponse>(response));
                                });
}

// Download tasks.

void SessionDelegate::didResumeAtOffset(SessionRef session,
                                        const std::shared_ptr<platform::URLSessionDownloadTask>& task,
                                        std::int64_t fileOffset, std::int64_t expectedTotalBytes) {
  report(&EventMonitor::downloadTaskDidResumeAtOffset, session, task, fileOffset, expectedTotalBytes);
  if (const auto download = request<DownloadRequest>(task)) {
    download->updateDownloadProgress(fileOffset, expectedTotalBytes);
  }
}

void SessionDelegate::didWriteData(SessionRef session, const std::shared_ptr<platform::URLSessionDownloadTask>& task,
                                   std::int64_t bytesWritten, std::int64_t totalBytesWritten,
                                   std::int64_t totalBytesExpectedToWrite) {
  report(&EventMonitor::downloadTaskDidWriteData, session, task, bytesWritten, totalBytesWritten,
         totalBytesExpectedToWrite);
  if (const auto download = request<DownloadRequest>(task)) {
    download->updateDownloadProgress(bytesWritten, totalBytesExpectedToWrite);
  }
}

void SessionDelegate::didFinishDownloadingToURL(SessionRef session,
                                                const std::shared_ptr<platform::URLSessionDownloadTask>& task,
                                                const platform::URL& location) {
  report(&EventMonitor::downloadTaskDidFinishDownloadingToURL, session, task, location);
  if (const auto download = request<DownloadRequest>(task)) download->moveDownloadedFile(task, location, *fileManager_);
}

// WebSocket tasks.

void SessionDelegate::didOpenWithProtocol(SessionRef, const std::shared_ptr<platform::URLSessionWebSocketTask>& task,
                                          const std::optional<std::string>& protocol) {
  if (const auto socket = request<WebSocketRequest>(task)) socket->didConnect(protocol);
}

void SessionDelegate::didCloseWithCode(SessionRef, const std::shared_ptr<platform::URLSessionWebSocketTask>& task,
                                       platform::URLSessionWebSocketCloseCode closeCode,
                                       const std::optional<platform::Data>& reason) {
  const auto socket = request<WebSocketRequest>(task);
  if (!socket) return;
  socket->didDisconnect(closeCode, reason && !reason->empty() ? reason : std::nullopt);
}

}  // namespace wendanet
