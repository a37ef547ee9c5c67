#include "Wendanet/Source/Support/NewFileOutputStream.h"

#include <fcntl.h>

namespace wendanet {

std::expected<std::shared_ptr<platform::OutputStream>, platform::FileError> NewFileOutputStream::create(
    const std::filesystem::path& path) {
  auto file = platform::FileDescriptor::open(path, O_WRONLY | O_CREAT | O_EXCL);
  if (!file) return std::unexpected(platform::FileError("create", path, file.error()));
  return std::shared_ptr<platform::OutputStream>(new NewFileOutputStream(std::move(*file), path));
}

std::expected<std::size_t, platform::AnyError> NewFileOutputStream::writeBytes(const std::uint8_t* buffer,
                                                                               std::size_t maxLength) {
  auto written = file_->writeAll(buffer, maxLength);
  if (!written) return std::unexpected(platform::makeError(platform::FileError("write to", path_, written.error())));
  return maxLength;
}

}  // namespace wendanet
