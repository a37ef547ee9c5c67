#include "Platform/Streams/StreamPipe.h"

#include <algorithm>
#include <cstring>

namespace platform {

StreamPipe::StreamPipe(std::size_t initialCapacity) { bytes_.reserve(initialCapacity); }

bool StreamPipe::write(const std::uint8_t* bytes, std::size_t count) {
  {
    std::lock_guard lock(mutex_);
    if (readerClosed_) return false;
    // Dropping the bytes already read keeps the buffer to about twice what
    // is unread; moving them only when they are the larger half keeps the
    // copying linear in the bytes passed through.
    if (readOffset_ > 0 && readOffset_ >= bytes_.size() - readOffset_) {
      bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(readOffset_));
      readOffset_ = 0;
    }
    bytes_.insert(bytes_.end(), bytes, bytes + count);
  }
  changed_.notify_one();
  return true;
}

std::size_t StreamPipe::read(std::uint8_t* buffer, std::size_t maxLength) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return readOffset_ < bytes_.size() || writerClosed_ || readerClosed_; });
  if (readerClosed_) return 0;
  std::size_t count = std::min(maxLength, bytes_.size() - readOffset_);
  if (count > 0) std::memcpy(buffer, bytes_.data() + readOffset_, count);
  readOffset_ += count;
  if (readOffset_ == bytes_.size()) {
    bytes_.clear();
    readOffset_ = 0;
  }
  return count;
}

bool StreamPipe::mayHaveMoreBytes() const {
  std::lock_guard lock(mutex_);
  return readOffset_ < bytes_.size() || !writerClosed_;
}

void StreamPipe::closeWriter() {
  {
    std::lock_guard lock(mutex_);
    writerClosed_ = true;
  }
  changed_.notify_all();
}

void StreamPipe::closeReader() {
  {
    std::lock_guard lock(mutex_);
    readerClosed_ = true;
    bytes_ = {};
    readOffset_ = 0;
  }
  changed_.notify_all();
}

}  // namespace platform
