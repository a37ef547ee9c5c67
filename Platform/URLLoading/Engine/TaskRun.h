#pragma once

#include <chrono>
#include <cstdint>
#include <expected>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/URLError.h"
#include "Platform/URLLoading/Engine/CacheOffer.h"
#include "Platform/URLLoading/Engine/DelegateChannel.h"
#include "Platform/URLLoading/Engine/DownloadSink.h"
#include "Platform/URLLoading/Engine/RedirectRequest.h"
#include "Platform/URLLoading/Engine/ResponseGate.h"
#include "Platform/URLLoading/Engine/TaskAuthentication.h"
#include "Platform/URLLoading/Engine/Transfer.h"
#include "Platform/URLLoading/URLSessionDelegate.h"
#include "Platform/URLLoading/URLSessionTaskTransactionMetrics.h"

namespace platform {

class InputStream;
class SessionEngine;
class URLSessionDataTask;
class URLSessionDownloadTask;
class URLSessionTask;

// A data, upload or download task as the engine thread drives it: from its first
// resume through one hop per exchange to the metrics and the completion,
// which it hands to the delegate exactly once whatever way the task ends.
//
// No body byte reaches the delegate before it has answered the response.
// Meanwhile up to `holdLimit` bytes are held back and the transfer is
// paused beyond that, so a small response usually ends while the answer is
// awaited, and the answer then ends the task at once (see ResponseGate).
//
// A redirect or an authentication challenge is put to the delegate before
// its response counts as the task's: following the redirect, or answering
// the challenge with a credential, starts the next hop; otherwise the
// response is delivered like any other. Every hop stores the cookies it
// receives and sends those its URL gets. A fresh response in the session's
// cache answers a GET without a hop on the network; one that must be
// revalidated answers it when the server confirms it with a 304, which is
// then offered to the cache like any response about to be stored.
//
// A download task's final response goes to its file instead, without an
// answer; the cache neither answers nor keeps it.
class TaskRun final : public TransferListener {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::size_t holdLimit = 256 * 1024;
  static constexpr int maximumRedirects = 16;
  // How often a request goes out at most, every try the transfer library
  // makes by itself counted, whatever its body: past it the task ends with
  // the error it had, and its time-outs hold all the while. One of a burst of
  // requests to a server that answers one per connection may need as many
  // sends as the burst has requests, as it loses the race for each fresh
  // connection, several times in a row on a busy machine.
  static constexpr int maximumSends = 32;

  using ResumeDataReply = std::function<void(std::optional<Data>)>;

  TaskRun(SessionEngine& engine, std::shared_ptr<URLSessionTask> task);
  ~TaskRun() override;

  void resume();
  void suspend();
  void cancel();
  void answerResponse(URLSessionResponseDisposition disposition);
  void answerBodyStream(std::shared_ptr<InputStream> stream);
  void answerRedirect(std::optional<URLRequest> request);
  struct ChallengeAnswer {
    URLSessionAuthChallengeDisposition disposition;
    std::optional<URLCredential> credential;
  };
  void answerChallenge(ChallengeAnswer answer);
  void bodyBytesAvailable();
  // A download task: when the task ends, `reply` gets the data to resume it
  // from, or none.
  void answerWithResumeData(ResumeDataReply reply);

  // When the task times out unless something happens first, or, while it
  // waits for another task's first connection, stops waiting; none while
  // it is suspended or waits for its delegate's answer to a response, a
  // redirect or a challenge.
  std::optional<Clock::time_point> deadline() const;
  void expireIfDue(Clock::time_point now);
  // Hands received data and send progress gathered this turn to the
  // delegate.
  void flush();

  void transferReceivedResponse(const std::shared_ptr<HTTPURLResponse>& response) override;
  bool transferReceivedBody(const char* bytes, std::size_t count) override;
  void transferSentBody(std::size_t count) override;
  void transferEnded(CURLcode result) override;
  bool transferMaySend() override;
  // Asks the delegate, and waits for its answer here, on the engine thread:
  // the handshake cannot go on without it.
  AnyError transferReceivedServerTrust(const URLProtectionSpace& space, const URL& url) override;

 private:
  // `handedOff`: the transfer ended before the response was answered, and
  // the gate holds the ending.
  enum class Phase { notStarted, waitingForBodyStream, transferring, handedOff, finished };
  // `deciding`: the response is a redirect or a challenge the delegate is
  // asked about, which becomes the task's response only if the delegate
  // lets it, or a 304 that confirms nothing stored, which never does.
  enum class ResponseState { none, deciding, waitingForAnswer, allowed };

  // Sends the current request, or answers it from the cache.
  void startHop();
  void startTransfer(std::unique_ptr<BodySource> body);
  std::expected<std::vector<std::string>, AnyError> hopHeaderLines(const URLRequest& request);
  std::optional<HTTPHeaderFields> additionalHeaders() const;
  bool answerFromCache(const URLRequest& request);
  void applyNotModified(const URLRequest& request, const std::shared_ptr<HTTPURLResponse>& notModified);
  void resendBypassingCache();
  // `received` ends with the `count` bytes just received.
  void keepForCache(const Data& received, std::size_t count);
  bool fitsInMemory(std::size_t count);
  std::unique_ptr<BodySource> streamBody(std::shared_ptr<InputStream> stream);
  void askForBodyStream();
  void storeCookies(const URL& url, const HTTPHeaderFields& receivedFields);
  void decideHop();
  void retryHop();
  // Sends a request the server never processed again, on whatever
  // connection the library finds for it now.
  void resendUnprocessed();
  // Lets held body bytes go on to the delegate; a transfer that ended
  // meanwhile is then ended here too.
  void releaseReceiving();
  void endReleasedTransfer();
  // Ends the hop's transfer, if it is still going, keeping its metrics.
  void abandonHop();
  // Makes the hop's response the task's and tells the delegate.
  void presentResponse();
  // The same, for a response the delegate was asked about.
  void deliverHopResponse();
  // The task's response has been read in full.
  void completeResponse();
  std::optional<CacheOffer> cacheOffer();
  void finish(AnyError error, std::optional<CacheOffer> offer = std::nullopt);
  ResponseGate::Ending makeEnding();
  // Completes the task and gives its last callbacks (metrics, then the
  // completion), after the body bytes still to deliver and the question
  // whether to cache the response.
  static std::vector<DelegateChannel::Call> endingCalls(const std::shared_ptr<URLSessionTask>& task, Data data,
                                                        std::vector<URLSessionTaskTransactionMetrics> transactions,
                                                        int redirectCount, AnyError error,
                                                        std::optional<CacheOffer> offer);
  // The earlier of the resource deadline and the idle time-out counted
  // from `idleFrom`; none when neither applies.
  std::optional<Clock::time_point> timeLimit(Clock::time_point idleFrom) const;
  // Runs the step on the engine thread's next turn, outside every callback
  // of the transfer library.
  void later(void (TaskRun::*step)());
  AnyError failure(URLError::Code code) const;
  // The task's request went out as often as it may.
  AnyError sendsExhausted() const;
  void markForFlush();
  void postToDelegate(DelegateChannel::Call call);
  // Reply handlers reach the run through the engine by the task's
  // identifier, so a late answer for an ended task goes nowhere.
  template <class Answer>
  std::function<void(Answer)> makeReply(void (TaskRun::*answer)(Answer), Answer fallback);
  std::shared_ptr<URLSessionDataTask> dataTask() const;

  // Download tasks.
  std::shared_ptr<URLSessionDownloadTask> downloadTask() const;
  void receiveDownloadResponse(const std::shared_ptr<HTTPURLResponse>& response);
  bool writeDownloadBody(const char* bytes, std::size_t count);
  // Ends the task with the file's failure at the next turn, out of the
  // transfer library's callbacks.
  void failDownloadSoon();
  void reportWrittenBytes();
  // Hands a complete file to the delegate, or keeps the partial one for
  // resume data; the error the task ends with.
  AnyError finishDownload(AnyError error);

  SessionEngine& engine_;
  const std::shared_ptr<URLSessionTask> task_;
  const std::uint64_t identifier_;
  Phase phase_ = Phase::notStarted;
  bool suspended_ = true;
  ResponseState responseState_ = ResponseState::none;
  std::shared_ptr<ResponseGate> gate_;
  Data heldBody_;
  std::unique_ptr<Transfer> transfer_;
  std::vector<URLSessionTaskTransactionMetrics> transactions_;
  Transfer::HeaderLines headerLines_;

  // The hop under way.
  std::shared_ptr<HTTPURLResponse> hopResponse_;
  std::optional<RedirectRequest> proposedRedirect_;
  std::optional<URLAuthenticationChallenge> pendingChallenge_;
  // Why a hop failed while its response was being decided on: the task's
  // failure should that response become the task's.
  AnyError hopError_;
  std::int64_t bodyBytesInMemory_ = 0;
  bool bodyTooLarge_ = false;
  // The body as read so far, while the response may still go to the cache.
  std::optional<Data> cacheBody_;
  // The stored response the hop asks the server to confirm.
  std::shared_ptr<CachedURLResponse> revalidating_;
  // What a 304 made of it, for the cache.
  std::optional<CacheOffer> renewal_;
  // The hop goes to the network as if nothing were stored.
  bool bypassingCache_ = false;
  // How often the hop's request went out, the library's own tries, the
  // engine's resends and those with a fresh body stream alike. A redirect,
  // or the request sent again with a credential or without the cache's
  // conditions, is a request of its own.
  int sends_ = 0;

  // Across hops.
  int redirectCount_ = 0;
  bool taskBodyDropped_ = false;
  bool leftFirstOrigin_ = false;
  bool bodyStreamUsed_ = false;
  TaskAuthentication authentication_;

  // Gathered during a turn, handed over at its end.
  Data pendingData_;
  std::int64_t pendingSent_ = 0;
  std::int64_t totalSent_ = 0;
  std::int64_t expectedToSend_ = 0;
  bool markedForFlush_ = false;

  // Download tasks only.
  std::unique_ptr<DownloadSink> download_;
  ResumeDataReply resumeDataReply_;

  double idleTimeout_ = 0;
  std::optional<Clock::time_point> resourceDeadline_;
  Clock::time_point idleSince_;
  Clock::time_point suspendedAt_;
};

}  // namespace platform
