#include "Platform/URLLoading/Engine/DownloadFile.h"

#include <fcntl.h>
#include <fmt/format.h>

#include <cerrno>
#include <cstdio>
#include <utility>

#include "Platform/Fatal.h"
#include "Platform/Files/FileError.h"
#include "Platform/Foundation/UUID.h"
#include "Platform/URLLoading/ResumeDataError.h"

namespace platform {

namespace fs = std::filesystem;

namespace {

std::unexpected<AnyError> fileFailure(std::string operation, const fs::path& path, int errorNumber) {
  return std::unexpected(makeError(FileError(std::move(operation), path, errorNumber)));
}

std::unexpected<AnyError> unusable(std::string reason) {
  return std::unexpected(makeError(ResumeDataError(std::move(reason))));
}

}  // namespace

DownloadFile::DownloadFile(fs::path path, std::int64_t length) : path_(std::move(path)), length_(length) {}

DownloadFile::DownloadFile(DownloadFile&& other) noexcept
    : path_(std::move(other.path_)),
      descriptor_(std::exchange(other.descriptor_, std::nullopt)),
      length_(other.length_),
      owned_(std::exchange(other.owned_, false)) {}

DownloadFile& DownloadFile::operator=(DownloadFile&& other) noexcept {
  if (this != &other) {
    remove();
    path_ = std::move(other.path_);
    descriptor_ = std::exchange(other.descriptor_, std::nullopt);
    length_ = other.length_;
    owned_ = std::exchange(other.owned_, false);
  }
  return *this;
}

fs::path DownloadFile::freshPath(const fs::path& directory) {
  return directory / fmt::format("{}{}.tmp", namePrefix, UUID().uuidString());
}

std::expected<DownloadFile, AnyError> DownloadFile::create(const fs::path& directory) {
  DownloadFile file(freshPath(directory), 0);
  // Only this user can read a download while it sits in a shared directory.
  auto descriptor = FileDescriptor::open(file.path_, O_WRONLY | O_APPEND | O_CREAT | O_EXCL, 0600);
  if (!descriptor) {
    file.owned_ = false;
    return fileFailure("create", file.path_, descriptor.error());
  }
  file.descriptor_ = std::move(*descriptor);
  return file;
}

std::expected<DownloadFile, AnyError> DownloadFile::adopt(const fs::path& partial, std::int64_t length,
                                                          const fs::path& directory) {
  // Resume data comes from outside: it must not point a download at a file
  // this class did not make.
  const auto name = partial.filename().string();
  if (!name.starts_with(namePrefix) || (directory / name).lexically_normal() != partial.lexically_normal()) {
    return unusable(fmt::format("\"{}\" is not a partial download in the temporary directory.", partial.string()));
  }
  DownloadFile file(freshPath(directory), length);
  if (std::rename(partial.c_str(), file.path_.c_str()) != 0) {
    file.owned_ = false;
    return fileFailure("take over the partial download", partial, errno);
  }
  // From here on the file is this one's, and goes away with a failure.
  std::error_code error;
  if (fs::symlink_status(file.path_, error).type() != fs::file_type::regular) {
    return unusable(fmt::format("the partial download \"{}\" is not a regular file.", partial.string()));
  }
  auto descriptor = FileDescriptor::open(file.path_, O_WRONLY | O_APPEND | O_NOFOLLOW);
  if (!descriptor) return fileFailure("open", file.path_, descriptor.error());
  file.descriptor_ = std::move(*descriptor);
  const auto size = fs::file_size(file.path_, error);
  if (error) return fileFailure("read the size of", file.path_, error.value());
  if (size != static_cast<std::uintmax_t>(length)) {
    return unusable(fmt::format("the partial download holds {} bytes where the resume data counts {}.", size, length));
  }
  return file;
}

std::expected<void, AnyError> DownloadFile::append(const char* bytes, std::size_t count) {
  if (!descriptor_) fatal("A download file was written after it was closed.");
  if (auto written = descriptor_->writeAll(bytes, count); !written)
    return fileFailure("write to", path_, written.error());
  length_ += static_cast<std::int64_t>(count);
  return {};
}

std::expected<void, AnyError> DownloadFile::truncate(std::int64_t length) {
  std::error_code error;
  fs::resize_file(path_, static_cast<std::uintmax_t>(length), error);
  if (error) return fileFailure("truncate", path_, error.value());
  length_ = length;
  return {};
}

void DownloadFile::keep() { owned_ = false; }

void DownloadFile::remove() {
  close();
  if (!std::exchange(owned_, false)) return;
  std::error_code ignored;
  fs::remove(path_, ignored);
}

}  // namespace platform
