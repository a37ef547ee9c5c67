#include <fcntl.h>

#include <cerrno>
#include <system_error>

#include "Platform/Files/FileDescriptor.h"
#include "Platform/Foundation/URLError.h"
#include "Platform/URLLoading/Engine/BodySource.h"

namespace platform {

namespace {

AnyError fileError(int errorNumber, const std::filesystem::path& path) {
  const auto code = [&] {
    switch (errorNumber) {
      case ENOENT:
      case ENOTDIR: return URLError::Code::fileDoesNotExist;
      case EACCES:
      case EPERM: return URLError::Code::noPermissionsToReadFile;
      case EISDIR: return URLError::Code::fileIsDirectory;
      default: return URLError::Code::cannotOpenFile;
    }
  }();
  return makeError(URLError(code, URL::fileURL(std::filesystem::absolute(path).string())));
}

class FileBodySource final : public BodySource {
 public:
  FileBodySource(std::filesystem::path path, FileDescriptor file, std::int64_t length)
      : path_(std::move(path)), file_(std::move(file)), length_(length) {}

  ReadResult read(std::uint8_t* buffer, std::size_t maxLength) override {
    if (offset_ == length_) return {Status::end};
    const auto count =
        file_.read(buffer, std::min<std::size_t>(maxLength, static_cast<std::size_t>(length_ - offset_)));
    if (!count) {
      error_ = fileError(count.error(), path_);
      return {Status::failed};
    }
    // The file shrank since it was measured: the length already announced
    // can no longer be met.
    if (*count == 0) {
      error_ = makeError(URLError(URLError::Code::requestBodyStreamExhausted));
      return {Status::failed};
    }
    offset_ += static_cast<std::int64_t>(*count);
    return {Status::bytes, *count};
  }
  std::optional<std::int64_t> length() const override { return length_; }
  bool rewind() override {
    auto reopened = FileDescriptor::open(path_, O_RDONLY);
    if (!reopened) return false;
    file_ = std::move(*reopened);
    offset_ = 0;
    return true;
  }
  AnyError error() const override { return error_; }

 private:
  std::filesystem::path path_;
  FileDescriptor file_;
  std::int64_t length_;
  std::int64_t offset_ = 0;
  AnyError error_;
};

}  // namespace

std::expected<std::unique_ptr<BodySource>, AnyError> BodySource::fromFile(const std::filesystem::path& path) {
  std::error_code failure;
  if (std::filesystem::is_directory(path, failure)) return std::unexpected(fileError(EISDIR, path));
  auto file = FileDescriptor::open(path, O_RDONLY);
  if (!file) return std::unexpected(fileError(file.error(), path));
  const auto size = std::filesystem::file_size(path, failure);
  if (failure) return std::unexpected(fileError(failure.value(), path));
  return std::make_unique<FileBodySource>(path, std::move(*file), static_cast<std::int64_t>(size));
}

}  // namespace platform
