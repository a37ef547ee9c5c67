#pragma once

#include <boost/asio/buffer.hpp>
#include <boost/beast/core/error.hpp>
#include <boost/beast/core/role.hpp>
#include <boost/beast/websocket/teardown.hpp>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <string_view>
#include <utility>

namespace platform {

// Reads the headers of the frames the peer sends, after the answer to the
// upgrade request, as they pass under the WebSocket layer, to know that a message claims more than the reader takes
// the moment its header arrives: that layer then closes on its own and may
// wait without end for a peer that never answers, or for the write lock
// while a send to a peer that does not read holds it.
class FrameLengthWatch {
 public:
  // Calls `tooLong` once the message being received, whose header may
  // have come already, claims over `maximum` bytes.
  void watch(std::uint64_t maximum, std::function<void()> tooLong) {
    maximum_ = maximum;
    tooLong_ = std::move(tooLong);
    if (messageOpen_) checkMessage();
  }

  void take(const unsigned char* bytes, std::size_t count) {
    while (count > 0) {
      if (answerEndMatched_ < answerEnd.size()) {
        answerEndMatched_ = *bytes == answerEnd[answerEndMatched_] ? answerEndMatched_ + 1 : *bytes == '\r';
        ++bytes;
        --count;
        continue;
      }
      if (payloadLeft_ > 0) {
        const auto skipped = static_cast<std::size_t>(std::min<std::uint64_t>(payloadLeft_, count));
        payloadLeft_ -= skipped;
        bytes += skipped;
        count -= skipped;
        if (payloadLeft_ == 0 && dataFrame_ && finalFrame_) messageOpen_ = false;
        continue;
      }
      header_[headerLength_++] = *bytes++;
      --count;
      if (headerLength_ == headerSize()) frameHeaderRead();
    }
  }

 private:
  // The upgrade's answer has no body: its header's end is where frames start.
  static constexpr std::string_view answerEnd = "\r\n\r\n";

  // Known from the first two bytes on.
  std::size_t headerSize() const {
    if (headerLength_ < 2) return 2;
    const unsigned length = header_[1] & 0x7F;
    const std::size_t extended = length == 126 ? 2 : length == 127 ? 8 : 0;
    return 2 + extended + ((header_[1] & 0x80) ? 4 : 0);
  }

  void frameHeaderRead() {
    std::uint64_t length = header_[1] & 0x7F;
    if (length >= 126) {
      const std::size_t bytes = length == 126 ? 2 : 8;
      length = 0;
      for (std::size_t index = 0; index < bytes; ++index) length = (length << 8) | header_[2 + index];
    }
    headerLength_ = 0;
    payloadLeft_ = length;
    const unsigned opcode = header_[0] & 0x0F;
    // Control frames stand apart from the message they may interrupt.
    dataFrame_ = opcode < 0x8;
    if (!dataFrame_) return;
    finalFrame_ = (header_[0] & 0x80) != 0;
    if (opcode != 0x0) message_ = 0;
    message_ = length > UINT64_MAX - message_ ? UINT64_MAX : message_ + length;
    messageOpen_ = !finalFrame_ || length > 0;
    checkMessage();
  }

  void checkMessage() {
    if (message_ > maximum_ && tooLong_) std::exchange(tooLong_, nullptr)();
  }

  std::size_t answerEndMatched_ = 0;
  std::uint64_t maximum_ = UINT64_MAX;
  std::function<void()> tooLong_;
  unsigned char header_[14] = {};
  std::size_t headerLength_ = 0;
  std::uint64_t payloadLeft_ = 0;
  // The bytes the message claims so far; open until its last byte came.
  std::uint64_t message_ = 0;
  bool messageOpen_ = false;
  bool dataFrame_ = false;
  bool finalFrame_ = false;
};

// A stream under the WebSocket layer that shows a FrameLengthWatch every
// byte read.
template <class Next>
class FrameWatchedStream {
 public:
  using executor_type = typename Next::executor_type;
  using next_layer_type = Next;

  template <class... Arguments>
  explicit FrameWatchedStream(Arguments&&... arguments) : next_(std::forward<Arguments>(arguments)...) {}

  executor_type get_executor() noexcept { return next_.get_executor(); }
  Next& next_layer() { return next_; }
  const Next& next_layer() const { return next_; }
  FrameLengthWatch& frames() { return frames_; }

  template <class Buffers, class Handler>
  auto async_read_some(const Buffers& buffers, Handler&& handler) {
    return next_.async_read_some(
        buffers, [this, buffers, handler = std::forward<Handler>(handler)](
                     const boost::beast::error_code& error, std::size_t count) mutable {
          std::size_t left = count;
          for (auto buffer = boost::asio::buffer_sequence_begin(buffers); left > 0; ++buffer) {
            const boost::asio::const_buffer piece = *buffer;
            const auto taken = std::min(left, piece.size());
            frames_.take(static_cast<const unsigned char*>(piece.data()), taken);
            left -= taken;
          }
          handler(error, count);
        });
  }

  template <class Buffers, class Handler>
  auto async_write_some(const Buffers& buffers, Handler&& handler) {
    return next_.async_write_some(buffers, std::forward<Handler>(handler));
  }

  friend void teardown(boost::beast::role_type role, FrameWatchedStream& stream, boost::beast::error_code& error) {
    using boost::beast::websocket::teardown;
    teardown(role, stream.next_, error);
  }

  template <class Handler>
  friend void async_teardown(boost::beast::role_type role, FrameWatchedStream& stream, Handler&& handler) {
    using boost::beast::websocket::async_teardown;
    async_teardown(role, stream.next_, std::forward<Handler>(handler));
  }

 private:
  Next next_;
  FrameLengthWatch frames_;
};

}  // namespace platform
