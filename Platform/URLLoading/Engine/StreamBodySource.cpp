#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Foundation/URLError.h"
#include "Platform/Streams/InputStream.h"
#include "Platform/URLLoading/Engine/BodySource.h"

namespace platform {

namespace {

// Reads the stream ahead of the engine, a buffer's worth at a time, on a
// queue of its own. Shared with the reading block, which may outlive the
// source when the stream holds it waiting after the task has ended.
class StreamPump : public std::enable_shared_from_this<StreamPump> {
 public:
  static constexpr std::size_t capacity = 256 * 1024;
  static constexpr std::size_t pieceSize = 64 * 1024;

  StreamPump(std::shared_ptr<InputStream> stream, std::function<void()> bytesAvailable)
      : stream_(std::move(stream)),
        bytesAvailable_(std::move(bytesAvailable)),
        queue_(DispatchQueue::make("org.wendalore.urlsession.bodystream")) {}

  BodySource::ReadResult take(std::uint8_t* buffer, std::size_t maxLength) {
    using Status = BodySource::Status;
    std::lock_guard lock(mutex_);
    const std::size_t buffered = bytes_.size() - offset_;
    if (buffered > 0) {
      const std::size_t count = std::min(maxLength, buffered);
      std::memcpy(buffer, bytes_.data() + offset_, count);
      offset_ += count;
      if (offset_ == bytes_.size()) {
        bytes_.clear();
        offset_ = 0;
      }
      if (bytes_.size() - offset_ < capacity / 2) startPumpLocked();
      return {Status::bytes, count};
    }
    if (error_) return {Status::failed};
    if (ended_) return {Status::end};
    waiting_ = true;
    startPumpLocked();
    return {Status::wouldBlock};
  }

  AnyError error() const {
    std::lock_guard lock(mutex_);
    return error_;
  }

  // The task is done with the body: the pump stops at its next turn and
  // calls nobody any more.
  void abandon() {
    std::function<void()> released;
    std::lock_guard lock(mutex_);
    abandoned_ = true;
    released.swap(bytesAvailable_);
  }

 private:
  void startPumpLocked() {
    if (pumping_ || ended_ || error_ || abandoned_) return;
    pumping_ = true;
    queue_->async([self = shared_from_this()] { self->pump(); });
  }

  void pump() {
    if (!opened_) {
      opened_ = true;
      stream_->open();
    }
    std::vector<std::uint8_t> piece(pieceSize);
    while (true) {
      {
        std::lock_guard lock(mutex_);
        if (abandoned_ || bytes_.size() - offset_ >= capacity) {
          pumping_ = false;
          if (abandoned_) stream_->close();
          return;
        }
      }
      // May wait for the stream's writer; only this queue waits.
      const auto count = stream_->read(piece.data(), piece.size());
      std::function<void()> notify;
      bool finished = false;
      {
        std::lock_guard lock(mutex_);
        if (count > 0) {
          bytes_.insert(bytes_.end(), piece.begin(), piece.begin() + count);
        } else if (count == 0) {
          ended_ = true;
        } else {
          error_ = makeError(URLError(URLError::Code::requestBodyStreamExhausted, stream_->streamError()));
        }
        finished = ended_ || error_ || abandoned_;
        if (finished) pumping_ = false;
        if (waiting_ && !abandoned_) {
          waiting_ = false;
          notify = bytesAvailable_;
        }
      }
      if (notify) notify();
      if (finished) {
        stream_->close();
        return;
      }
    }
  }

  std::shared_ptr<InputStream> stream_;
  std::function<void()> bytesAvailable_;
  std::shared_ptr<DispatchQueue> queue_;
  bool opened_ = false;  // touched only by the pumping block

  mutable std::mutex mutex_;
  std::vector<std::uint8_t> bytes_;
  std::size_t offset_ = 0;
  bool pumping_ = false;
  bool waiting_ = false;
  bool ended_ = false;
  bool abandoned_ = false;
  AnyError error_;
};

class StreamBodySource final : public BodySource {
 public:
  StreamBodySource(std::shared_ptr<InputStream> stream, std::function<void()> bytesAvailable)
      : pump_(std::make_shared<StreamPump>(std::move(stream), std::move(bytesAvailable))) {}
  ~StreamBodySource() override { pump_->abandon(); }

  ReadResult read(std::uint8_t* buffer, std::size_t maxLength) override { return pump_->take(buffer, maxLength); }
  std::optional<std::int64_t> length() const override { return std::nullopt; }
  bool rewind() override { return false; }
  AnyError error() const override { return pump_->error(); }

 private:
  std::shared_ptr<StreamPump> pump_;
};

}  // namespace

std::unique_ptr<BodySource> BodySource::fromStream(std::shared_ptr<InputStream> stream,
                                                   std::function<void()> bytesAvailable) {
  return std::make_unique<StreamBodySource>(std::move(stream), std::move(bytesAvailable));
}

}  // namespace platform
