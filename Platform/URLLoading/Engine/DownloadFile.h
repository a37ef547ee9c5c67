#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <string_view>

#include "Platform/Files/FileDescriptor.h"
#include "Platform/Foundation/Error.h"

namespace platform {

// The temporary file a download's body goes to, under a name of its own in
// the temporary directory. The file is removed when its owner lets go of
// it, unless it was kept for resume data. Failures are FileError values,
// or ResumeDataError for a partial file that cannot be taken over.
class DownloadFile {
 public:
  static constexpr std::string_view namePrefix = "WendaloreDownload-";

  // A new empty file in `directory`.
  static std::expected<DownloadFile, AnyError> create(const std::filesystem::path& directory);
  // Takes over the partial file of an interrupted download. It must lie in
  // `directory`, carry a name this class gives and hold exactly `length`
  // bytes. It is moved to a new name first, so that no second download
  // made from the same resume data can write into it too.
  static std::expected<DownloadFile, AnyError> adopt(const std::filesystem::path& partial, std::int64_t length,
                                                     const std::filesystem::path& directory);

  DownloadFile(DownloadFile&& other) noexcept;
  DownloadFile& operator=(DownloadFile&& other) noexcept;
  ~DownloadFile() { remove(); }

  const std::filesystem::path& path() const { return path_; }
  std::int64_t length() const { return length_; }

  std::expected<void, AnyError> append(const char* bytes, std::size_t count);
  // Cuts the file back to its first `length` bytes.
  std::expected<void, AnyError> truncate(std::int64_t length);
  // No more writes; the file stays until it is removed or kept.
  void close() { descriptor_.reset(); }
  // Leaves the file where it is when the owner lets go.
  void keep();
  // Removes the file unless kept or moved away already.
  void remove();

 private:
  DownloadFile(std::filesystem::path path, std::int64_t length);
  static std::filesystem::path freshPath(const std::filesystem::path& directory);

  std::filesystem::path path_;
  std::optional<FileDescriptor> descriptor_;
  std::int64_t length_ = 0;
  bool owned_ = true;
};

}  // namespace platform
