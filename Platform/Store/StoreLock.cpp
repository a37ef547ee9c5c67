#include "Platform/Store/StoreLock.h"

#include <fcntl.h>
#include <fmt/format.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

#include "Platform/Store/StoreError.h"

namespace platform {
namespace {

int openRetrying(const std::filesystem::path& path, int flags) {
  int descriptor;
  do {
    descriptor = ::open(path.c_str(), flags | O_RDWR | O_CLOEXEC, 0644);
  } while (descriptor < 0 && errno == EINTR);
  return descriptor;
}

}  // namespace

std::filesystem::path StoreLock::lockFile(const std::filesystem::path& store) {
  auto path = store;
  path += ".lock";
  return path;
}

std::expected<StoreLock, AnyError> StoreLock::acquire(const std::filesystem::path& store) {
  const auto path = lockFile(store);
  // Knowing whether this open made the file lets a refused store leave
  // nothing of ours behind.
  bool created = true;
  int descriptor = openRetrying(path, O_CREAT | O_EXCL);
  if (descriptor < 0 && errno == EEXIST) {
    created = false;
    descriptor = openRetrying(path, 0);
  }
  if (descriptor < 0) {
    return std::unexpected(makeError(StoreError(
        fmt::format("The store {} could not be locked: {} ({})", store.string(), std::strerror(errno), path.string()))));
  }
  StoreLock lock(path, descriptor, created);
  int result;
  do {
    result = ::flock(descriptor, LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  if (result != 0) {
    const int error = errno;
    if (error == EWOULDBLOCK) {
      return std::unexpected(makeError(StoreError(fmt::format(
          "The store {} is in use by another instance of this application. Quit the other instance and try again.",
          store.string()))));
    }
    return std::unexpected(makeError(
        StoreError(fmt::format("The store {} could not be locked: {}", store.string(), std::strerror(error)))));
  }
  return lock;
}

StoreLock::StoreLock(StoreLock&& other) noexcept
    : path_(std::move(other.path_)),
      descriptor_(std::exchange(other.descriptor_, -1)),
      created_(std::exchange(other.created_, false)) {}

StoreLock& StoreLock::operator=(StoreLock&& other) noexcept {
  if (this != &other) {
    if (descriptor_ >= 0) ::close(descriptor_);
    path_ = std::move(other.path_);
    descriptor_ = std::exchange(other.descriptor_, -1);
    created_ = std::exchange(other.created_, false);
  }
  return *this;
}

StoreLock::~StoreLock() {
  if (descriptor_ >= 0) ::close(descriptor_);
}

void StoreLock::abandon() {
  if (descriptor_ < 0) return;
  // Removed while still held, so no other opener can be holding it then.
  if (created_) {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  ::close(std::exchange(descriptor_, -1));
}

}  // namespace platform
