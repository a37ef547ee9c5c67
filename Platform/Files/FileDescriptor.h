#pragma once

#include <sys/types.h>

#include <cstddef>
#include <expected>
#include <filesystem>

namespace platform {

// An open POSIX file descriptor, closed when the owner goes away. Failures
// are errno values. Interrupted system calls are retried.
class FileDescriptor {
 public:
  // O_CLOEXEC is always added to `flags`.
  static std::expected<FileDescriptor, int> open(const std::filesystem::path& path, int flags, mode_t mode = 0666);

  FileDescriptor(FileDescriptor&& other) noexcept : descriptor_(other.release()) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept;
  ~FileDescriptor() { close(); }

  // The count read; 0 at the end of the file.
  std::expected<std::size_t, int> read(void* buffer, std::size_t maxLength) const;
  // Writes every byte, going on after short writes.
  std::expected<void, int> writeAll(const void* buffer, std::size_t length) const;
  void close();

 private:
  explicit FileDescriptor(int descriptor) : descriptor_(descriptor) {}
  int release();

  int descriptor_ = -1;
};

}  // namespace platform
