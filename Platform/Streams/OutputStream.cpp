#include "Platform/Streams/OutputStream.h"

#include <sys/stat.h>

#include <cerrno>

#include "Platform/Streams/FileOutputStream.h"

namespace platform {

std::expected<std::shared_ptr<OutputStream>, FileError> OutputStream::toFile(std::filesystem::path path, bool append) {
  auto directory = path.parent_path();
  if (directory.empty()) directory = ".";
  struct stat status {};
  if (stat(directory.c_str(), &status) != 0) {
    return std::unexpected(FileError("create an output stream for", path, errno));
  }
  if (!S_ISDIR(status.st_mode)) return std::unexpected(FileError("create an output stream for", path, ENOTDIR));
  return std::make_shared<FileOutputStream>(std::move(path), append);
}

std::ptrdiff_t OutputStream::write(const std::uint8_t* buffer, std::size_t maxLength) {
  if (auto refused = refuseTransfer()) return *refused;
  if (maxLength == 0) return 0;
  return completeTransfer(writeBytes(buffer, maxLength), false);
}

bool OutputStream::hasSpaceAvailable() const {
  auto status = streamStatus();
  return status == StreamStatus::open || status == StreamStatus::error;
}

}  // namespace platform
