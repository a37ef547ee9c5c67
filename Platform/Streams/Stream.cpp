#include "Platform/Streams/Stream.h"

#include "Platform/Streams/StreamError.h"

namespace platform {

void Stream::open() {
  {
    std::lock_guard lock(mutex_);
    if (status_ != StreamStatus::notOpen) return;
  }
  auto opened = openResource();
  std::lock_guard lock(mutex_);
  if (status_ != StreamStatus::notOpen) return;
  if (opened) {
    status_ = StreamStatus::open;
  } else {
    status_ = StreamStatus::error;
    error_ = opened.error();
  }
}

void Stream::close() {
  {
    std::lock_guard lock(mutex_);
    if (status_ == StreamStatus::closed) return;
    status_ = StreamStatus::closed;
  }
  closeResource();
}

StreamStatus Stream::streamStatus() const {
  std::lock_guard lock(mutex_);
  return status_;
}

AnyError Stream::streamError() const {
  std::lock_guard lock(mutex_);
  return error_;
}

std::optional<std::ptrdiff_t> Stream::refuseTransfer() {
  std::lock_guard lock(mutex_);
  switch (status_) {
    case StreamStatus::open:
      return std::nullopt;
    case StreamStatus::atEnd:
      return 0;
    case StreamStatus::error:
      return -1;
    case StreamStatus::notOpen:
    case StreamStatus::closed:
      error_ = makeError(StreamError(StreamError::Code::notOpen));
      return -1;
  }
  return -1;
}

std::ptrdiff_t Stream::completeTransfer(const std::expected<std::size_t, AnyError>& moved, bool zeroMeansEnd) {
  std::lock_guard lock(mutex_);
  if (!moved) {
    error_ = moved.error();
    // A stream closed while the transfer ran stays closed.
    if (status_ == StreamStatus::open) status_ = StreamStatus::error;
    return -1;
  }
  if (*moved == 0 && zeroMeansEnd && status_ == StreamStatus::open) status_ = StreamStatus::atEnd;
  return static_cast<std::ptrdiff_t>(*moved);
}

}  // namespace platform
