#pragma once

#include <cstddef>
#include <expected>
#include <mutex>
#include <optional>

#include "Platform/Foundation/Error.h"

namespace platform {

enum class StreamStatus { notOpen, open, atEnd, closed, error };

// State shared by input and output streams. A stream opens once; opening
// again, or opening after close, does nothing. Each stream is used from one
// thread at a time; the two sides of a bound pair may be used from two
// different threads.
class Stream {
 public:
  virtual ~Stream() = default;
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;

  void open();
  void close();
  StreamStatus streamStatus() const;
  // The last failure; null when there was none.
  AnyError streamError() const;

 protected:
  Stream() = default;

  // Acquires what the stream reads from or writes to. A failure puts the
  // stream into the error state.
  virtual std::expected<void, AnyError> openResource() = 0;
  virtual void closeResource() = 0;

  // What a read or write answers without moving bytes: 0 at the end, -1
  // when the stream is not open (recorded as the error) or has failed.
  // Absent when the stream is open and the transfer may run.
  std::optional<std::ptrdiff_t> refuseTransfer();
  // Records the outcome of a transfer and gives the count to answer: -1
  // for a failure, which puts the stream into the error state. Moving 0
  // bytes marks the end when `zeroMeansEnd`.
  std::ptrdiff_t completeTransfer(const std::expected<std::size_t, AnyError>& moved, bool zeroMeansEnd);

 private:
  mutable std::mutex mutex_;
  StreamStatus status_ = StreamStatus::notOpen;
  AnyError error_;
};

}  // namespace platform
