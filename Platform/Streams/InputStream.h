#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <memory>

#include "Platform/Foundation/Data.h"
#include "Platform/Streams/Stream.h"

namespace platform {

// A source of bytes read in pieces.
class InputStream : public Stream {
 public:
  static std::shared_ptr<InputStream> fromData(Data data);
  // The file is opened by open(); a missing file puts the stream into the
  // error state then.
  static std::shared_ptr<InputStream> fromFile(std::filesystem::path path);

  // Reads up to `maxLength` bytes: the count read, 0 at the end, -1 on a
  // failure (see streamError) or when the stream is not open. A stream fed
  // by another thread waits until bytes arrive or the feeding side closes.
  std::ptrdiff_t read(std::uint8_t* buffer, std::size_t maxLength);

  // True while a read may give bytes. Also true after a failure, so that a
  // reading loop makes one more read and meets the error.
  bool hasBytesAvailable() const;

 protected:
  // Moves up to `maxLength` (at least 1) bytes; 0 means the end.
  virtual std::expected<std::size_t, AnyError> readBytes(std::uint8_t* buffer, std::size_t maxLength) = 0;
  // Asked only while the stream is open.
  virtual bool mayHaveMoreBytes() const { return true; }
};

}  // namespace platform
