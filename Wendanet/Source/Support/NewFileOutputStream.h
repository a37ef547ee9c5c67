#pragma once

#include <expected>
#include <filesystem>
#include <memory>
#include <optional>

#include "Platform/Files/FileDescriptor.h"
#include "Platform/Files/FileError.h"
#include "Platform/Streams/OutputStream.h"

namespace wendanet {

// An output stream to a file that it creates itself. Creation fails with
// EEXIST when anything is at the path already, a dangling symbolic link
// included, so the stream can never empty, overwrite or write through a
// file someone else made, not even one that appeared a moment ago.
class NewFileOutputStream final : public platform::OutputStream {
 public:
  static std::expected<std::shared_ptr<platform::OutputStream>, platform::FileError> create(
      const std::filesystem::path& path);

 private:
  NewFileOutputStream(platform::FileDescriptor file, std::filesystem::path path)
      : file_(std::move(file)), path_(std::move(path)) {}

  // The file was opened when it was created.
  std::expected<void, platform::AnyError> openResource() override { return {}; }
  void closeResource() override { file_.reset(); }
  std::expected<std::size_t, platform::AnyError> writeBytes(const std::uint8_t* buffer, std::size_t maxLength) override;

  std::optional<platform::FileDescriptor> file_;
  std::filesystem::path path_;
};

}  // namespace wendanet
