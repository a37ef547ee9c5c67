#pragma once

#include <expected>
#include <functional>
#include <optional>

#include "Platform/Foundation/Data.h"
#include "Platform/URLLoading/Engine/DownloadResumeData.h"
#include "Platform/URLLoading/URLSessionTask.h"

namespace platform {

// A task that writes the response body to a temporary file and hands the
// finished file to its delegate. A download that stops before its end can
// leave data to resume it from: a new task made from that data asks only
// for the rest when the resource is unchanged.
class URLSessionDownloadTask : public URLSessionTask {
 public:
  using ResumeDataHandler = std::function<void(std::optional<Data>)>;
  // The resume data a task was made from, or why it could not be read.
  using ResumeOrigin = std::expected<DownloadResumeData, AnyError>;

  URLSessionDownloadTask(Passkey passkey, std::uint64_t taskIdentifier, URLRequest request, TaskBody body,
                         std::shared_ptr<SessionEngine> engine,
                         std::optional<ResumeOrigin> resumeOrigin = std::nullopt);

  // Cancels the task like `cancel`, keeping the partial file. The handler
  // receives the data to resume the download from, or none when it cannot
  // go on later (the task had ended, or the server gave nothing to tell
  // whether the resource changed). It is called once, on a queue of the
  // loading system's own, never on the delegate queue.
  void cancelByProducingResumeData(ResumeDataHandler completionHandler);

 protected:
  std::string_view kindName() const override { return "URLSessionDownloadTask"; }

 private:
  friend class TaskRun;

  // Engine side. Absent for a task made from a request.
  const std::optional<ResumeOrigin>& resumeOrigin() const { return resumeOrigin_; }

  const std::optional<ResumeOrigin> resumeOrigin_;
};

}  // namespace platform
