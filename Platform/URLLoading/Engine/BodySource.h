#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/Error.h"

namespace platform {

class InputStream;

// Where a request body comes from, read on the engine thread piece by
// piece as the transfer library asks for it. A read never blocks.
class BodySource {
 public:
  enum class Status { bytes, wouldBlock, end, failed };
  struct ReadResult {
    Status status;
    std::size_t count = 0;
  };

  // The body of bytes held in memory.
  static std::unique_ptr<BodySource> fromData(Data data);
  // The body of a file, opened now; fails with the URLError for a file that
  // cannot be read.
  static std::expected<std::unique_ptr<BodySource>, AnyError> fromFile(const std::filesystem::path& path);
  // The body of a stream, read on another thread so a stream that waits
  // for its writer never stalls the engine. After a read answered
  // wouldBlock, `bytesAvailable` is called (on that other thread) once
  // there is something new to read.
  static std::unique_ptr<BodySource> fromStream(std::shared_ptr<InputStream> stream,
                                                std::function<void()> bytesAvailable);

  virtual ~BodySource() = default;

  virtual ReadResult read(std::uint8_t* buffer, std::size_t maxLength) = 0;
  // Absent for a stream, which is sent in chunks.
  virtual std::optional<std::int64_t> length() const = 0;
  // Back to the first byte; false when the bytes already read cannot be
  // had again.
  virtual bool rewind() = 0;
  // Why the last read failed.
  virtual AnyError error() const = 0;
};

}  // namespace platform
