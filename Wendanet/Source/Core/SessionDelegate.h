#pragma once

#include <memory>

#include "Platform/Files/FileManager.h"
#include "Platform/URLLoading/URLSessionDelegate.h"
#include "Wendanet/Source/Support/EventMonitor.h"
#include "Wendanet/Source/Core/Protected.h"
#include "Wendanet/Source/Core/SessionStateProvider.h"

namespace wendanet {

// Hears every callback of a session's URL session, tells the session's
// monitor, and hands the event to the request that owns the task, found
// through the session. It keeps no state of its own between callbacks; the
// session is held weakly, and once it is gone every callback answers with
// the URL loading system's pass-through answer.
class SessionDelegate : public platform::URLSessionDelegate {
 public:
  class Passkey {
    friend class SessionDelegate;
    Passkey() = default;
  };

  // Over the platform's default file manager when none is given.
  static std::shared_ptr<SessionDelegate> make(std::shared_ptr<platform::FileManager> fileManager = nullptr);
  SessionDelegate(Passkey, std::shared_ptr<platform::FileManager> fileManager);

  const std::shared_ptr<platform::FileManager>& fileManager() const { return fileManager_; }
  // Set by the session at the end of its construction, the monitor first.
  std::shared_ptr<SessionStateProvider> stateProvider() const;
  void setStateProvider(std::weak_ptr<SessionStateProvider> stateProvider);
  std::shared_ptr<EventMonitor> eventMonitor() const;
  void setEventMonitor(std::shared_ptr<EventMonitor> eventMonitor);

  void didBecomeInvalidWithError(SessionRef session, const platform::AnyError& error) override;
  void didReceiveChallenge(SessionRef session, const std::shared_ptr<platform::URLSessionTask>& task,
                           const platform::URLAuthenticationChallenge& challenge,
                           platform::ChallengeCompletionHandler completionHandler) override;
  void didSendBodyData(SessionRef session, const std::shared_ptr<platform::URLSessionTask>& task,
                       std::int64_t bytesSent, std::int64_t totalBytesSent,
                       std::int64_t totalBytesExpectedToSend) override;
  void needNewBodyStream(SessionRef session, const std::shared_ptr<platform::URLSessionTask>& task,
                         platform::BodyStreamCompletionHandler completionHandler) override;
  void willPerformHTTPRedirection(SessionRef session, const std::shared_ptr<platform::URLSessionTask>& task,
                                  const std::shared_ptr<platform::HTTPURLResponse>& response,
                                  const platform::URLRequest& newRequest,
                                  platform::RedirectCompletionHandler completionHandler) override;
  void didFinishCollectingMetrics(SessionRef session, const std::shared_ptr<platform::URLSessionTask>& task,
                                  const std::shared_ptr<const platform::URLSessionTaskMetrics>& metrics) override;
  void didCompleteWithError(SessionRef session, const std::shared_ptr<platform::URLSessionTask>& task,
                            const platform::AnyError& error) override;
  void taskIsWaitingForConnectivity(SessionRef session, const std::shared_ptr<platform::URLSessionTask>& task) override;
  void didReceiveResponse(SessionRef session, const std::shared_ptr<platform::URLSessionDataTask>& task,
                          const std::shared_ptr<platform::URLResponse>& response,
                          platform::ResponseCompletionHandler completionHandler) override;
  void didReceiveData(SessionRef session, const std::shared_ptr<platform::URLSessionDataTask>& task,
                      const platform::Data& data) override;
  void willCacheResponse(SessionRef session, const std::shared_ptr<platform::URLSessionDataTask>& task,
                         const std::shared_ptr<platform::CachedURLResponse>& proposedResponse,
                         platform::CacheCompletionHandler completionHandler) override;
  void didResumeAtOffset(SessionRef session, const std::shared_ptr<platform::URLSessionDownloadTask>& task,
                         std::int64_t fileOffset, std::int64_t expectedTotalBytes) override;
  void didWriteData(SessionRef session, const std::shared_ptr<platform::URLSessionDownloadTask>& task,
                    std::int64_t bytesWritten, std::int64_t totalBytesWritten,
                    std::int64_t totalBytesExpectedToWrite) override;
  void didFinishDownloadingToURL(SessionRef session, const std::shared_ptr<platform::URLSessionDownloadTask>& task,
                                 const platform::URL& location) override;
  void didOpenWithProtocol(SessionRef session, const std::shared_ptr<platform::URLSessionWebSocketTask>& task,
                           const std::optional<std::string>& protocol) override;
  void didCloseWithCode(SessionRef session, const std::shared_ptr<platform::URLSessionWebSocketTask>& task,
                        platform::URLSessionWebSocketCloseCode closeCode,
                        const std::optional<platform::Data>& reason) override;

 private:
  struct ChallengeDecision {
    platform::URLSessionAuthChallengeDisposition disposition;
    std::optional<platform::URLCredential> credential;
    std::optional<WNError> error;
  };

  // Tells the monitor, when there is one.
  template <class... Parameters, class... Arguments>
  void report(void (EventMonitor::*event)(Parameters...), Arguments&&... arguments) const {
    if (const auto monitor = eventMonitor()) ((*monitor).*event)(std::forward<Arguments>(arguments)...);
  }
  // The task's request when it is of kind `Kind` (a class derived from it
  // only when `exact` is false); null otherwise, or with the session gone.
  template <class Kind>
  std::shared_ptr<Kind> request(const std::shared_ptr<platform::URLSessionTask>& task, bool exact = true) const;
  ChallengeDecision credentialDecision(const std::shared_ptr<platform::URLSessionTask>& task,
                                       const platform::URLAuthenticationChallenge& challenge) const;
  ChallengeDecision serverTrustDecision(const platform::URLAuthenticationChallenge& challenge) const;

  const std::shared_ptr<platform::FileManager> fileManager_;
  struct Links {
    std::weak_ptr<SessionStateProvider> stateProvider;
    std::shared_ptr<EventMonitor> eventMonitor;
  };
  mutable Protected<Links> links_;
};

}  // namespace wendanet
