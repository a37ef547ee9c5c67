#include "Platform/URLLoading/URLSessionDelegate.h"

namespace platform {

void URLSessionDelegate::didBecomeInvalidWithError(SessionRef, const AnyError&) {}

void URLSessionDelegate::didReceiveChallenge(SessionRef, const std::shared_ptr<URLSessionTask>&,
                                             const URLAuthenticationChallenge&,
                                             ChallengeCompletionHandler completionHandler) {
  completionHandler(URLSessionAuthChallengeDisposition::performDefaultHandling, std::nullopt);
}

void URLSessionDelegate::didSendBodyData(SessionRef, const std::shared_ptr<URLSessionTask>&, std::int64_t, std::int64_t,
                                         std::int64_t) {}

void URLSessionDelegate::needNewBodyStream(SessionRef, const std::shared_ptr<URLSessionTask>&,
                                           BodyStreamCompletionHandler completionHandler) {
  completionHandler(nullptr);
}

void URLSessionDelegate::willPerformHTTPRedirection(SessionRef, const std::shared_ptr<URLSessionTask>&,
                                                    const std::shared_ptr<HTTPURLResponse>&,
                                                    const URLRequest& newRequest,
                                                    RedirectCompletionHandler completionHandler) {
  completionHandler(newRequest);
}

void URLSessionDelegate::didFinishCollectingMetrics(SessionRef, const std::shared_ptr<URLSessionTask>&,
                                                    const std::shared_ptr<const URLSessionTaskMetrics>&) {}

void URLSessionDelegate::didCompleteWithError(SessionRef, const std::shared_ptr<URLSessionTask>&, const AnyError&) {}

void URLSessionDelegate::taskIsWaitingForConnectivity(SessionRef, const std::shared_ptr<URLSessionTask>&) {}

void URLSessionDelegate::didReceiveResponse(SessionRef, const std::shared_ptr<URLSessionDataTask>&,
                                            const std::shared_ptr<URLResponse>&,
                                            ResponseCompletionHandler completionHandler) {
  completionHandler(URLSessionResponseDisposition::allow);
}

void URLSessionDelegate::didReceiveData(SessionRef, const std::shared_ptr<URLSessionDataTask>&, const Data&) {}

void URLSessionDelegate::willCacheResponse(SessionRef, const std::shared_ptr<URLSessionDataTask>&,
                                           const std::shared_ptr<CachedURLResponse>& proposedResponse,
                                           CacheCompletionHandler completionHandler) {
  completionHandler(proposedResponse);
}

void URLSessionDelegate::didResumeAtOffset(SessionRef, const std::shared_ptr<URLSessionDownloadTask>&, std::int64_t,
                                           std::int64_t) {}

void URLSessionDelegate::didWriteData(SessionRef, const std::shared_ptr<URLSessionDownloadTask>&, std::int64_t,
                                      std::int64_t, std::int64_t) {}

void URLSessionDelegate::didFinishDownloadingToURL(SessionRef, const std::shared_ptr<URLSessionDownloadTask>&,
                                                   const URL&) {}

void URLSessionDelegate::didOpenWithProtocol(SessionRef, const std::shared_ptr<URLSessionWebSocketTask>&,
                                             const std::optional<std::string>&) {}

void URLSessionDelegate::didCloseWithCode(SessionRef, const std::shared_ptr<URLSessionWebSocketTask>&,
                                          URLSessionWebSocketCloseCode, const std::optional<Data>&) {}

}  // namespace platform
