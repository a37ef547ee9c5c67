#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <memory>

#include "Platform/Files/FileError.h"
#include "Platform/Streams/Stream.h"

namespace platform {

// A sink of bytes written in pieces.
class OutputStream : public Stream {
 public:
  // Fails when the directory that would hold the file does not exist. The
  // file is created (or, without `append`, emptied) by open().
  static std::expected<std::shared_ptr<OutputStream>, FileError> toFile(std::filesystem::path path,
                                                                        bool append = false);

  // Writes up to `maxLength` bytes: the count written, or -1 on a failure
  // (see streamError) or when the stream is not open.
  std::ptrdiff_t write(const std::uint8_t* buffer, std::size_t maxLength);

  // True while open. Also true after a failure, so that a writing loop
  // makes one more write and meets the error.
  bool hasSpaceAvailable() const;

 protected:
  // Moves up to `maxLength` (at least 1) bytes.
  virtual std::expected<std::size_t, AnyError> writeBytes(const std::uint8_t* buffer, std::size_t maxLength) = 0;
};

}  // namespace platform
