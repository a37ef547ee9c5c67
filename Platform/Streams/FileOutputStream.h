#pragma once

#include <optional>

#include "Platform/Files/FileDescriptor.h"
#include "Platform/Streams/OutputStream.h"

namespace platform {

// Writes to a file, emptied at open unless appending.
class FileOutputStream final : public OutputStream {
 public:
  FileOutputStream(std::filesystem::path path, bool append) : path_(std::move(path)), append_(append) {}

 private:
  std::expected<void, AnyError> openResource() override;
  void closeResource() override { file_.reset(); }
  std::expected<std::size_t, AnyError> writeBytes(const std::uint8_t* buffer, std::size_t maxLength) override;

  std::filesystem::path path_;
  bool append_;
  std::optional<FileDescriptor> file_;
};

}  // namespace platform
