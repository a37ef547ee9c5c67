#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/HTTPURLResponse.h"
#include "Platform/Foundation/URL.h"
#include "Platform/Foundation/URLRequest.h"
#include "Platform/Foundation/URLResponse.h"
#include "Platform/URLLoading/CachedURLResponse.h"
#include "Platform/URLLoading/URLAuthenticationChallenge.h"
#include "Platform/URLLoading/URLCredential.h"
#include "Platform/URLLoading/URLSessionTaskMetrics.h"
#include "Platform/URLLoading/URLSessionWebSocketCloseCode.h"

namespace platform {

class InputStream;
class URLSession;
class URLSessionTask;
class URLSessionDataTask;
class URLSessionDownloadTask;
class URLSessionWebSocketTask;

// The platform's raw values.
enum class URLSessionResponseDisposition : int { cancel = 0, allow = 1 };
enum class URLSessionAuthChallengeDisposition : int {
  useCredential = 0,
  performDefaultHandling = 1,
  cancelAuthenticationChallenge = 2,
  rejectProtectionSpace = 3,
};

// Answers a delegate owes. Each may be called later and from any thread;
// only the first call counts. A handler dropped without being called
// answers for the delegate: cancel for a response or a challenge, no
// stream, no redirect, nothing to cache.
using ResponseCompletionHandler = std::function<void(URLSessionResponseDisposition)>;
using ChallengeCompletionHandler =
    std::function<void(URLSessionAuthChallengeDisposition, std::optional<URLCredential>)>;
using RedirectCompletionHandler = std::function<void(std::optional<URLRequest>)>;
using BodyStreamCompletionHandler = std::function<void(std::shared_ptr<InputStream>)>;
using CacheCompletionHandler = std::function<void(std::shared_ptr<CachedURLResponse>)>;

// What a URL session tells about itself and its tasks. Every callback runs
// as an operation of the session's delegate queue, one at a time, in the
// order things happened. The bodies here are what happens for a callback a
// delegate leaves alone.
//
// For every task that was resumed or cancelled, `didFinishCollectingMetrics`
// and then `didCompleteWithError` come exactly once, as its last callbacks.
class URLSessionDelegate {
 public:
  using SessionRef = const std::shared_ptr<URLSession>&;

  virtual ~URLSessionDelegate() = default;

  // Session. Comes after every task has completed; the session lets go of
  // its delegate afterwards.
  virtual void didBecomeInvalidWithError(SessionRef session, const AnyError& error);

  // Tasks of every kind.
  virtual void didReceiveChallenge(SessionRef session, const std::shared_ptr<URLSessionTask>& task,
                                   const URLAuthenticationChallenge& challenge,
                                   ChallengeCompletionHandler completionHandler);
  // `totalBytesExpectedToSend` is -1 when the body is a stream.
  virtual void didSendBodyData(SessionRef session, const std::shared_ptr<URLSessionTask>& task, std::int64_t bytesSent,
                               std::int64_t totalBytesSent, std::int64_t totalBytesExpectedToSend);
  // Asked for the body of a task made from a streamed request, and whenever
  // a body already read from a stream must be sent again. No stream fails
  // the task with URLError -1021.
  virtual void needNewBodyStream(SessionRef session, const std::shared_ptr<URLSessionTask>& task,
                                 BodyStreamCompletionHandler completionHandler);
  // The request to follow instead of the proposed one, or none to deliver
  // the redirect response itself.
  virtual void willPerformHTTPRedirection(SessionRef session, const std::shared_ptr<URLSessionTask>& task,
                                          const std::shared_ptr<HTTPURLResponse>& response,
                                          const URLRequest& newRequest, RedirectCompletionHandler completionHandler);
  virtual void didFinishCollectingMetrics(SessionRef session, const std::shared_ptr<URLSessionTask>& task,
                                          const std::shared_ptr<const URLSessionTaskMetrics>& metrics);
  // `error` is null for a task that succeeded.
  virtual void didCompleteWithError(SessionRef session, const std::shared_ptr<URLSessionTask>& task,
                                    const AnyError& error);
  virtual void taskIsWaitingForConnectivity(SessionRef session, const std::shared_ptr<URLSessionTask>& task);

  // Data and upload tasks. No body byte arrives before the response is
  // answered with allow; cancel ends the task with URLError -999.
  virtual void didReceiveResponse(SessionRef session, const std::shared_ptr<URLSessionDataTask>& task,
                                  const std::shared_ptr<URLResponse>& response,
                                  ResponseCompletionHandler completionHandler);
  virtual void didReceiveData(SessionRef session, const std::shared_ptr<URLSessionDataTask>& task, const Data& data);
  // The response to store, or none.
  virtual void willCacheResponse(SessionRef session, const std::shared_ptr<URLSessionDataTask>& task,
                                 const std::shared_ptr<CachedURLResponse>& proposedResponse,
                                 CacheCompletionHandler completionHandler);

  // Download tasks. `totalBytesExpectedToWrite` is -1 when unknown.
  virtual void didResumeAtOffset(SessionRef session, const std::shared_ptr<URLSessionDownloadTask>& task,
                                 std::int64_t fileOffset, std::int64_t expectedTotalBytes);
  virtual void didWriteData(SessionRef session, const std::shared_ptr<URLSessionDownloadTask>& task,
                            std::int64_t bytesWritten, std::int64_t totalBytesWritten,
                            std::int64_t totalBytesExpectedToWrite);
  // The file exists only during the call: move it to keep it.
  virtual void didFinishDownloadingToURL(SessionRef session, const std::shared_ptr<URLSessionDownloadTask>& task,
                                         const URL& location);

  // WebSocket tasks.
  virtual void didOpenWithProtocol(SessionRef session, const std::shared_ptr<URLSessionWebSocketTask>& task,
                                   const std::optional<std::string>& protocol);
  virtual void didCloseWithCode(SessionRef session, const std::shared_ptr<URLSessionWebSocketTask>& task,
                                URLSessionWebSocketCloseCode closeCode, const std::optional<Data>& reason);
};

}  // namespace platform
