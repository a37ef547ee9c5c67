#include "Platform/Files/FileDescriptor.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <utility>

namespace platform {

std::expected<FileDescriptor, int> FileDescriptor::open(const std::filesystem::path& path, int flags, mode_t mode) {
  int descriptor;
  do {
    descriptor = ::open(path.c_str(), flags | O_CLOEXEC, mode);
  } while (descriptor < 0 && errno == EINTR);
  if (descriptor < 0) return std::unexpected(errno);
  return FileDescriptor(descriptor);
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
  if (this != &other) {
    close();
    descriptor_ = other.release();
  }
  return *this;
}

std::expected<std::size_t, int> FileDescriptor::read(void* buffer, std::size_t maxLength) const {
  while (true) {
    ssize_t count = ::read(descriptor_, buffer, maxLength);
    if (count >= 0) return static_cast<std::size_t>(count);
    if (errno != EINTR) return std::unexpected(errno);
  }
}

std::expected<void, int> FileDescriptor::writeAll(const void* buffer, std::size_t length) const {
  auto* next = static_cast<const std::uint8_t*>(buffer);
  while (length > 0) {
    ssize_t count = ::write(descriptor_, next, length);
    if (count < 0) {
      if (errno == EINTR) continue;
      return std::unexpected(errno);
    }
    next += count;
    length -= static_cast<std::size_t>(count);
  }
  return {};
}

void FileDescriptor::close() {
  // The descriptor is released even when close reports an error, so it is
  // never closed twice.
  if (descriptor_ >= 0) ::close(std::exchange(descriptor_, -1));
}

int FileDescriptor::release() { return std::exchange(descriptor_, -1); }

}  // namespace platform
