#include "Platform/Streams/FileInputStream.h"

#include <fcntl.h>

#include "Platform/Files/FileError.h"

namespace platform {

std::expected<void, AnyError> FileInputStream::openResource() {
  auto file = FileDescriptor::open(path_, O_RDONLY);
  if (!file) return std::unexpected(makeError(FileError("open", path_, file.error())));
  file_.emplace(std::move(*file));
  return {};
}

std::expected<std::size_t, AnyError> FileInputStream::readBytes(std::uint8_t* buffer, std::size_t maxLength) {
  auto count = file_->read(buffer, maxLength);
  if (!count) return std::unexpected(makeError(FileError("read", path_, count.error())));
  return *count;
}

}  // namespace platform
