#include "Platform/URLLoading/URLSessionDownloadTask.h"

#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/URLLoading/Engine/OnceReply.h"
#include "Platform/URLLoading/Engine/SessionEngine.h"
#include "Platform/URLLoading/Engine/TaskRun.h"

namespace platform {

namespace {

// Resume data is handed over off the delegate queue, which may be the very
// queue the caller waits on.
const std::shared_ptr<DispatchQueue>& resumeDataQueue() {
  static const auto queue = DispatchQueue::make("org.wendalore.urlsession.resumeData");
  return queue;
}

}  // namespace

URLSessionDownloadTask::URLSessionDownloadTask(Passkey passkey, std::uint64_t taskIdentifier, URLRequest request,
                                               TaskBody body, std::shared_ptr<SessionEngine> engine,
                                               std::optional<ResumeOrigin> resumeOrigin)
    : URLSessionTask(passkey, taskIdentifier, std::move(request), std::move(body), std::move(engine)),
      resumeOrigin_(std::move(resumeOrigin)) {}

void URLSessionDownloadTask::cancelByProducingResumeData(ResumeDataHandler completionHandler) {
  auto deliver = [handler = std::move(completionHandler)](std::optional<Data> resumeData) {
    resumeDataQueue()->async([handler, resumeData = std::move(resumeData)] { handler(resumeData); });
  };
  // A task that has ended, or whose engine has, drops the reply unanswered:
  // the handler then receives none.
  auto reply = makeOnceReply<std::optional<Data>>(std::move(deliver), std::nullopt);
  // Asked for before the cancellation is, so the run knows it when it ends.
  engine()->post([identifier = taskIdentifier(), reply](SessionEngine& engine) {
    if (auto* run = engine.run(identifier)) run->answerWithResumeData(reply);
  });
  cancel();
}

}  // namespace platform
