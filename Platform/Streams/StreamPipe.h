#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace platform {

// The buffer between the two sides of a bound stream pair. It grows as
// needed, so a write never waits and never drops bytes; a read waits until
// bytes arrive or the writer closes.
class StreamPipe {
 public:
  explicit StreamPipe(std::size_t initialCapacity);

  // False when the reader has closed: nobody would read the bytes.
  bool write(const std::uint8_t* bytes, std::size_t count);
  // Up to `maxLength` bytes; 0 once the writer has closed and every byte
  // was read, or when the reader has closed.
  std::size_t read(std::uint8_t* buffer, std::size_t maxLength);
  // False once the writer has closed and every byte was read.
  bool mayHaveMoreBytes() const;

  void closeWriter();
  // Drops what is buffered and wakes a waiting read.
  void closeReader();

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  // Unread bytes are bytes_[readOffset_, end).
  std::vector<std::uint8_t> bytes_;
  std::size_t readOffset_ = 0;
  bool writerClosed_ = false;
  bool readerClosed_ = false;
};

}  // namespace platform
