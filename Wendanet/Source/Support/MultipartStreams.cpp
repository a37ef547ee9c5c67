#include "Wendanet/Source/Support/MultipartStreams.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "Wendanet/Source/Core/WNError.h"
#include "Wendanet/Source/Support/OutputStreamStalled.h"

namespace wendanet {

namespace {

using Reason = MultipartEncodingFailureReason;

[[noreturn]] void throwReadFailure(platform::AnyError error) {
  throw WNError::multipartEncodingFailed(Reason::inputStreamReadFailed(std::move(error)));
}

void checkLength(std::uint64_t declaredLength, std::uint64_t bytesRead) {
  if (bytesRead != declaredLength) {
    throwReadFailure(platform::makeError(UnexpectedInputStreamLength(declaredLength, bytesRead)));
  }
}

// The next piece of at most `buffer.size()` bytes: its length, or absent
// at the end of the stream. A stream that reports an error fails.
std::optional<std::size_t> readPiece(platform::InputStream& stream, std::span<std::uint8_t> buffer) {
  if (!stream.hasBytesAvailable()) return std::nullopt;
  const auto count = stream.read(buffer.data(), buffer.size());
  if (count > 0) return static_cast<std::size_t>(count);
  if (auto error = stream.streamError()) throwReadFailure(std::move(error));
  // Nothing read and no error: the stream has ended, whatever it claimed.
  return std::nullopt;
}

}  // namespace

platform::Data readBodyStream(platform::InputStream& stream, std::uint64_t declaredLength, std::size_t bufferSize) {
  OpenedStream opened(stream);
  std::vector<std::uint8_t> buffer(bufferSize);
  platform::Data body;
  while (auto count = readPiece(stream, buffer)) body.append(buffer.data(), *count);
  checkLength(declaredLength, body.size());
  return body;
}

void copyBodyStream(platform::InputStream& stream, std::uint64_t declaredLength, platform::OutputStream& output,
                    std::size_t bufferSize) {
  OpenedStream opened(stream);
  std::vector<std::uint8_t> buffer(bufferSize);
  std::uint64_t bytesLeft = declaredLength;
  while (bytesLeft > 0) {
    const auto pieceSize = static_cast<std::size_t>(std::min<std::uint64_t>(bufferSize, bytesLeft));
    const auto count = readPiece(stream, std::span(buffer).first(pieceSize));
    if (!count) break;
    writeAllBytes(output, std::span(buffer).first(*count));
    bytesLeft -= *count;
  }
  checkLength(declaredLength, declaredLength - bytesLeft);
}

void writeAllBytes(platform::OutputStream& output, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const auto written = output.hasSpaceAvailable() ? output.write(bytes.data(), bytes.size()) : 0;
    if (written < 1) {
      auto error = output.streamError();
      if (!error) error = platform::makeError(OutputStreamStalled());
      throw WNError::multipartEncodingFailed(Reason::outputStreamWriteFailed(std::move(error)));
    }
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
}

}  // namespace wendanet
