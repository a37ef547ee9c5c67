#include "Platform/URLLoading/Engine/DownloadSink.h"

#include <charconv>

#include "Platform/Fatal.h"
#include "Platform/Foundation/ASCIICase.h"

namespace platform {

namespace {

std::optional<std::int64_t> parseCount(std::string_view text) {
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
  return value;
}

struct ContentRange {
  std::int64_t first = 0;
  std::optional<std::int64_t> completeLength;
};

// "bytes first-last/complete", the complete length possibly "*".
std::optional<ContentRange> parseContentRange(std::string_view value) {
  constexpr std::string_view unit = "bytes ";
  if (value.size() < unit.size() || !equalsIgnoringASCIICase(value.substr(0, unit.size()), unit)) return std::nullopt;
  value.remove_prefix(unit.size());
  const auto dash = value.find('-');
  const auto slash = value.find('/');
  if (dash == value.npos || slash == value.npos || slash < dash) return std::nullopt;
  const auto first = parseCount(value.substr(0, dash));
  const auto last = parseCount(value.substr(dash + 1, slash - dash - 1));
  if (!first || !last || *last < *first) return std::nullopt;
  const auto complete = value.substr(slash + 1);
  if (complete == "*") return ContentRange{*first, std::nullopt};
  const auto completeLength = parseCount(complete);
  if (!completeLength || *completeLength <= *last) return std::nullopt;
  return ContentRange{*first, completeLength};
}

// Ranges count the bytes as sent; the file holds them decoded.
bool isEncoded(const HTTPURLResponse& response) {
  const auto encoding = response.valueForHTTPHeaderField("Content-Encoding");
  return encoding && !encoding->empty() && !equalsIgnoringASCIICase(*encoding, "identity");
}

}  // namespace

DownloadSink::DownloadSink(std::optional<Origin> origin, std::filesystem::path directory)
    : origin_(std::move(origin)), directory_(std::move(directory)) {
  // Until the partial file is taken over, the resume data is as good as it
  // was when the task was made.
  if (origin_ && *origin_) resumePoint_ = **origin_;
}

std::expected<void, AnyError> DownloadSink::prepare() {
  if (!origin_) return {};
  if (!*origin_) return fail(URLError::Code::cannotDecodeRawData, origin_->error());
  const auto& origin = **origin_;
  url_ = origin.url;
  auto adopted = DownloadFile::adopt(origin.temporaryPath, origin.offset, directory_);
  if (!adopted) return fail(URLError::Code::cannotOpenFile, adopted.error());
  file_ = std::move(*adopted);
  holdsOrigin_ = true;
  return {};
}

std::expected<std::optional<DownloadSink::Resumption>, AnyError> DownloadSink::begin(const URLRequest& request,
                                                                                     const HTTPURLResponse& response) {
  if (failure_) return std::unexpected(failure_);
  url_ = response.url();
  const auto continuedTotal = continuation(response);
  const bool resumed = origin_ && *origin_;
  // The rest was asked for; a part that does not fit is no download at all.
  if (resumed && response.statusCode() == 206 && !continuedTotal) {
    return fail(URLError::Code::badServerResponse, nullptr);
  }
  if (!file_) {
    auto created = DownloadFile::create(directory_);
    if (!created) return fail(URLError::Code::cannotCreateFile, created.error());
    file_ = std::move(*created);
  }
  const std::int64_t start = continuedTotal ? (*origin_)->offset : 0;
  if (file_->length() != start) {
    if (auto cut = file_->truncate(start); !cut) return fail(URLError::Code::cannotWriteToFile, cut.error());
  }
  holdsOrigin_ = continuedTotal.has_value();
  unreported_ = 0;
  expectedTotal_ = continuedTotal ? *continuedTotal : response.expectedContentLength();
  resumePoint_ = resumePoint(request, response, continuedTotal.has_value());
  if (!resumed || std::exchange(resumptionTold_, true)) return std::nullopt;
  return Resumption{start, expectedTotal_};
}

std::optional<std::int64_t> DownloadSink::continuation(const HTTPURLResponse& response) const {
  if (!holdsOrigin_ || response.statusCode() != 206 || isEncoded(response)) return std::nullopt;
  const auto range = parseContentRange(response.valueForHTTPHeaderField("Content-Range").value_or(""));
  const auto offset = (*origin_)->offset;
  if (!range || range->first != offset) return std::nullopt;
  if (range->completeLength) return range->completeLength;
  const auto length = response.expectedContentLength();
  return length < 0 ? -1 : offset + length;
}

std::optional<DownloadResumeData> DownloadSink::resumePoint(const URLRequest& request, const HTTPURLResponse& response,
                                                            bool continued) const {
  if (request.httpMethod().value_or("GET") != "GET" || isEncoded(response)) return std::nullopt;
  if (response.statusCode() != 200 && !continued) return std::nullopt;
  DownloadResumeData point{response.url(), response.valueForHTTPHeaderField("ETag"),
                           response.valueForHTTPHeaderField("Last-Modified"), file_->path(), 0};
  // The rest of a resource keeps the validators of its start when it
  // repeats none.
  if (continued && !point.entityTag && !point.lastModified) {
    point.entityTag = (*origin_)->entityTag;
    point.lastModified = (*origin_)->lastModified;
  }
  if (!point.rangeValidator()) return std::nullopt;
  return point;
}

std::expected<void, AnyError> DownloadSink::write(const char* bytes, std::size_t count) {
  if (failure_) return std::unexpected(failure_);
  if (!file_) fatal("A download's body arrived before its response.");
  if (auto written = file_->append(bytes, count); !written) {
    return fail(URLError::Code::cannotWriteToFile, written.error());
  }
  unreported_ += static_cast<std::int64_t>(count);
  return {};
}

std::optional<Data> DownloadSink::keepForResuming() {
  if (!resumePoint_) return std::nullopt;
  auto point = *std::exchange(resumePoint_, std::nullopt);
  if (file_) {
    point.temporaryPath = file_->path();
    point.offset = file_->length();
    file_->keep();
    file_.reset();
  }
  return point.encoded();
}

std::optional<DownloadFile> DownloadSink::takeFile() {
  if (file_) file_->close();
  return std::exchange(file_, std::nullopt);
}

void DownloadSink::discardFile() {
  if (file_) file_->remove();
  file_.reset();
}

std::unexpected<AnyError> DownloadSink::fail(URLError::Code code, AnyError underlying) {
  if (!failure_) failure_ = makeError(URLError(code, url_, std::move(underlying)));
  // What the file holds can no longer be trusted to go on from.
  resumePoint_.reset();
  return std::unexpected(failure_);
}

}  // namespace platform
