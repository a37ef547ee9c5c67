#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <utility>

#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/HTTPURLResponse.h"
#include "Platform/Foundation/URLError.h"
#include "Platform/Foundation/URLRequest.h"
#include "Platform/URLLoading/Engine/DownloadFile.h"
#include "Platform/URLLoading/Engine/DownloadResumeData.h"

namespace platform {

// Where a download task's body goes: a temporary file, begun anew with
// each final response, or continued when the task was made from resume data
// and the server sends exactly the rest it was asked for. It counts what is
// still to report as written, and keeps what it takes to resume the
// download later. Engine thread only.
//
// Failures are URLError values; the first one sticks and ends the task.
class DownloadSink {
 public:
  // The resume data a task was made from, or why it could not be read.
  using Origin = std::expected<DownloadResumeData, AnyError>;

  // Where writing went on from, told once to a task made from resume data.
  struct Resumption {
    std::int64_t offset = 0;
    std::int64_t expectedTotal = -1;
  };

  // `origin` absent for a download made from a request; files go to
  // `directory`.
  DownloadSink(std::optional<Origin> origin, std::filesystem::path directory);

  // Before the first request: takes over the partial file of the resume data.
  std::expected<void, AnyError> prepare();
  // The final response of a hop, whose body the file is to hold.
  std::expected<std::optional<Resumption>, AnyError> begin(const URLRequest& request, const HTTPURLResponse& response);
  std::expected<void, AnyError> write(const char* bytes, std::size_t count);

  const AnyError& failure() const { return failure_; }
  // Bytes written since the last call.
  std::int64_t takeUnreported() { return std::exchange(unreported_, 0); }
  // What the file holds, the part it was resumed with included.
  std::int64_t totalWritten() const { return file_ ? file_->length() : 0; }
  // What it will hold when complete; -1 when unknown.
  std::int64_t expectedTotal() const { return expectedTotal_; }

  // The data to resume the download from as it stands; the partial file
  // stays for it. None when the download cannot go on later: no validator,
  // an encoded or partial body, a method other than GET, a failed write.
  std::optional<Data> keepForResuming();
  // The file, closed; it is removed when the result goes, unless moved away.
  std::optional<DownloadFile> takeFile();
  // Removes the partial file now, before anyone is told the task ended.
  void discardFile();

 private:
  // The expected total when `response` is the rest of the partial file.
  std::optional<std::int64_t> continuation(const HTTPURLResponse& response) const;
  std::optional<DownloadResumeData> resumePoint(const URLRequest& request, const HTTPURLResponse& response,
                                                bool continued) const;
  std::unexpected<AnyError> fail(URLError::Code code, AnyError underlying);

  const std::optional<Origin> origin_;
  const std::filesystem::path directory_;
  // The resource the file holds, for the errors.
  std::optional<URL> url_;
  std::optional<DownloadFile> file_;
  // The file still holds the partial download it was resumed with.
  bool holdsOrigin_ = false;
  bool resumptionTold_ = false;
  std::optional<DownloadResumeData> resumePoint_;
  std::int64_t unreported_ = 0;
  std::int64_t expectedTotal_ = -1;
  AnyError failure_;
};

}  // namespace platform
