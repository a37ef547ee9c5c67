#include "Platform/Streams/BoundStreamPair.h"

#include <algorithm>

#include "Platform/Streams/StreamError.h"
#include "Platform/Streams/StreamPipe.h"

namespace platform {

namespace {

// A capacity asked for beyond this is reached by growing, not reserved up front.
constexpr std::size_t largestInitialCapacity = 1024 * 1024;

class BoundInputStream final : public InputStream {
 public:
  explicit BoundInputStream(std::shared_ptr<StreamPipe> pipe) : pipe_(std::move(pipe)) {}
  // A writer feeding a reader that is gone stops being buffered for.
  ~BoundInputStream() override { pipe_->closeReader(); }

 private:
  std::expected<void, AnyError> openResource() override { return {}; }
  void closeResource() override { pipe_->closeReader(); }
  std::expected<std::size_t, AnyError> readBytes(std::uint8_t* buffer, std::size_t maxLength) override {
    return pipe_->read(buffer, maxLength);
  }
  bool mayHaveMoreBytes() const override { return pipe_->mayHaveMoreBytes(); }

  std::shared_ptr<StreamPipe> pipe_;
};

class BoundOutputStream final : public OutputStream {
 public:
  explicit BoundOutputStream(std::shared_ptr<StreamPipe> pipe) : pipe_(std::move(pipe)) {}
  // An output dropped without close still ends the reader's stream, so a
  // reader never waits for bytes that can no longer come.
  ~BoundOutputStream() override { pipe_->closeWriter(); }

 private:
  std::expected<void, AnyError> openResource() override { return {}; }
  void closeResource() override { pipe_->closeWriter(); }
  std::expected<std::size_t, AnyError> writeBytes(const std::uint8_t* buffer, std::size_t maxLength) override {
    if (pipe_->write(buffer, maxLength)) return maxLength;
    return std::unexpected(makeError(StreamError(StreamError::Code::readerClosed)));
  }

  std::shared_ptr<StreamPipe> pipe_;
};

}  // namespace

std::optional<BoundStreamPair> makeBoundStreamPair(std::ptrdiff_t bufferSize) {
  if (bufferSize <= 0) return std::nullopt;
  auto pipe = std::make_shared<StreamPipe>(std::min(static_cast<std::size_t>(bufferSize), largestInitialCapacity));
  return BoundStreamPair{std::make_shared<BoundInputStream>(pipe), std::make_shared<BoundOutputStream>(pipe)};
}

}  // namespace platform
