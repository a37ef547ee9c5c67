#include "Platform/Streams/FileOutputStream.h"

#include <fcntl.h>

namespace platform {

std::expected<void, AnyError> FileOutputStream::openResource() {
  int flags = O_WRONLY | O_CREAT | (append_ ? O_APPEND : O_TRUNC);
  auto file = FileDescriptor::open(path_, flags);
  if (!file) return std::unexpected(makeError(FileError("open", path_, file.error())));
  file_.emplace(std::move(*file));
  return {};
}

std::expected<std::size_t, AnyError> FileOutputStream::writeBytes(const std::uint8_t* buffer, std::size_t maxLength) {
  auto written = file_->writeAll(buffer, maxLength);
  if (!written) return std::unexpected(makeError(FileError("write to", path_, written.error())));
  return maxLength;
}

}  // namespace platform
