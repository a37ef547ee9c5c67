#pragma once

#include <optional>

#include "Platform/Files/FileDescriptor.h"
#include "Platform/Streams/InputStream.h"

namespace platform {

// Reads a file from its start.
class FileInputStream final : public InputStream {
 public:
  explicit FileInputStream(std::filesystem::path path) : path_(std::move(path)) {}

 private:
  std::expected<void, AnyError> openResource() override;
  void closeResource() override { file_.reset(); }
  std::expected<std::size_t, AnyError> readBytes(std::uint8_t* buffer, std::size_t maxLength) override;

  std::filesystem::path path_;
  std::optional<FileDescriptor> file_;
};

}  // namespace platform
