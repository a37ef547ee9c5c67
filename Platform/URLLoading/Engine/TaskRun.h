#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/URLError.h"
#include "Platform/URLLoading/Engine/DelegateChannel.h"
#include "Platform/URLLoading/Engine/DownloadSink.h"
#include "Platform/URLLoading/Engine/ResponseGate.h"
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
// A download task's body goes to its file instead, without an answer.
class TaskRun final : public TransferListener {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::size_t holdLimit = 256 * 1024;

  using ResumeDataReply = std::function<void(std::optional<Data>)>;

  TaskRun(SessionEngine& engine, std::shared_ptr<URLSessionTask> task);
  ~TaskRun() override;

  void resume();
  void suspend();
  void cancel();
  void answerResponse(URLSessionResponseDisposition disposition);
  void answerBodyStream(std::shared_ptr<InputStream> stream);
  void bodyBytesAvailable();
  // A download task: when the task ends, `reply` gets the data to resume it
  // from, or none.
  void answerWithResumeData(ResumeDataReply reply);

  // When the task times out unless something happens first; none while it
  // is suspended or waits for its delegate.
  std::optional<Clock::time_point> deadline() const;
  void expireIfDue(Clock::time_point now);
  // Hands received data and send progress gathered this turn to the
  // delegate.
  void flush();

  void transferReceivedResponse(const std::shared_ptr<HTTPURLResponse>& response) override;
  bool transferReceivedBody(const char* bytes, std::size_t count) override;
  void transferSentBody(std::size_t count) override;
  void transferEnded(CURLcode result) override;

 private:
  // `handedOff`: the transfer ended before the response was answered, and
  // the gate holds the ending.
  enum class Phase { notStarted, waitingForBodyStream, transferring, handedOff, finished };
  enum class ResponseState { none, waitingForAnswer, allowed };

  void start();
  void startTransfer(std::unique_ptr<BodySource> body);
  std::unique_ptr<BodySource> streamBody(std::shared_ptr<InputStream> stream);
  void askForBodyStream();
  void finish(AnyError error);
  ResponseGate::Ending makeEnding();
  // Completes the task and gives its last callbacks (metrics, then the
  // completion), after the body bytes still to deliver.
  static std::vector<DelegateChannel::Call> endingCalls(const std::shared_ptr<URLSessionTask>& task, Data data,
                                                        std::vector<URLSessionTaskTransactionMetrics> transactions,
                                                        AnyError error);
  AnyError failure(URLError::Code code) const;
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
  std::optional<std::vector<std::string>> headerLines_;

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
