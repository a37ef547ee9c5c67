#include "Platform/URLLoading/Engine/BodySource.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "Platform/Foundation/URLError.h"
#include "Platform/Streams/BoundStreamPair.h"
#include "Platform/Streams/InputStream.h"
#include "Platform/Streams/OutputStream.h"
#include "tests/Platform/ScratchDirectory.h"

using namespace platform;
using Status = BodySource::Status;

namespace {

std::string readAll(BodySource& source, std::size_t pieceSize = 7) {
  std::string text;
  std::vector<std::uint8_t> piece(pieceSize);
  while (true) {
    const auto result = source.read(piece.data(), piece.size());
    if (result.status != Status::bytes) break;
    text.append(reinterpret_cast<const char*>(piece.data()), result.count);
  }
  return text;
}

// Counts the source's "bytes available" calls so a test can wait for them.
struct Signal {
  std::mutex mutex;
  std::condition_variable changed;
  int count = 0;

  std::function<void()> callback() {
    return [this] {
      std::lock_guard lock(mutex);
      ++count;
      changed.notify_all();
    };
  }
  bool waitFor(int expected) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, std::chrono::seconds(10), [&] { return count >= expected; });
  }
};

URLError::Code codeOf(const AnyError& error) { return errorAs<URLError>(error)->code(); }

}  // namespace

TEST(BodySource, DataIsReadInPiecesAndCanBeReadAgain) {
  auto source = BodySource::fromData(Data("hello, body"));
  EXPECT_EQ(source->length(), 11);
  EXPECT_EQ(readAll(*source), "hello, body");
  std::uint8_t byte = 0;
  EXPECT_EQ(source->read(&byte, 1).status, Status::end);
  EXPECT_TRUE(source->rewind());
  EXPECT_EQ(readAll(*source, 100), "hello, body");
}

TEST(BodySource, FileIsMeasuredWhenOpenedAndCanBeReadAgain) {
  ScratchDirectory directory;
  const auto path = directory.write("body.txt", "file contents");
  auto source = BodySource::fromFile(path);
  ASSERT_TRUE(source);
  EXPECT_EQ((*source)->length(), 13);
  EXPECT_EQ(readAll(**source), "file contents");
  EXPECT_TRUE((*source)->rewind());
  EXPECT_EQ(readAll(**source), "file contents");
}

TEST(BodySource, UnreadableFilesFailWithTheirURLError) {
  ScratchDirectory directory;
  EXPECT_EQ(codeOf(BodySource::fromFile(directory / "missing").error()), URLError::Code::fileDoesNotExist);
  EXPECT_EQ(codeOf(BodySource::fromFile(directory.path()).error()), URLError::Code::fileIsDirectory);
}

TEST(BodySource, FileThatShrinksAfterMeasuringFailsInsteadOfSendingTooLittle) {
  ScratchDirectory directory;
  const auto path = directory.write("body.txt", "0123456789");
  auto source = std::move(*BodySource::fromFile(path));
  std::filesystem::resize_file(path, 4);
  std::uint8_t buffer[16];
  EXPECT_EQ(source->read(buffer, sizeof buffer).count, 4u);
  EXPECT_EQ(source->read(buffer, sizeof buffer).status, Status::failed);
  EXPECT_EQ(codeOf(source->error()), URLError::Code::requestBodyStreamExhausted);
}

TEST(BodySource, StreamIsReadWithoutWaitingAndTellsWhenBytesArrive) {
  auto pair = *makeBoundStreamPair(1024);
  pair.output->open();
  Signal signal;
  auto source = BodySource::fromStream(pair.input, signal.callback());
  EXPECT_EQ(source->length(), std::nullopt);
  EXPECT_FALSE(source->rewind());

  std::uint8_t buffer[64];
  // Nothing written yet: the read answers at once instead of waiting.
  EXPECT_EQ(source->read(buffer, sizeof buffer).status, Status::wouldBlock);
  const std::string text = "streamed";
  pair.output->write(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  ASSERT_TRUE(signal.waitFor(1));
  const auto result = source->read(buffer, sizeof buffer);
  ASSERT_EQ(result.status, Status::bytes);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer), result.count), text);

  EXPECT_EQ(source->read(buffer, sizeof buffer).status, Status::wouldBlock);
  pair.output->close();
  ASSERT_TRUE(signal.waitFor(2));
  EXPECT_EQ(source->read(buffer, sizeof buffer).status, Status::end);
}

TEST(BodySource, StreamThatCannotOpenFails) {
  Signal signal;
  auto source = BodySource::fromStream(InputStream::fromFile("/nonexistent/wendalore-body"), signal.callback());
  std::uint8_t buffer[8];
  ASSERT_EQ(source->read(buffer, sizeof buffer).status, Status::wouldBlock);
  ASSERT_TRUE(signal.waitFor(1));
  EXPECT_EQ(source->read(buffer, sizeof buffer).status, Status::failed);
  EXPECT_EQ(codeOf(source->error()), URLError::Code::requestBodyStreamExhausted);
}

TEST(BodySource, AbandonedStreamIsNoLongerReadOrReported) {
  auto pair = *makeBoundStreamPair(1024);
  pair.output->open();
  Signal signal;
  auto source = BodySource::fromStream(pair.input, signal.callback());
  std::uint8_t buffer[8];
  ASSERT_EQ(source->read(buffer, sizeof buffer).status, Status::wouldBlock);
  source.reset();
  const std::uint8_t byte = 1;
  pair.output->write(&byte, 1);
  pair.output->close();
  // The callback was let go with the source, so it cannot come even later.
  std::lock_guard lock(signal.mutex);
  EXPECT_EQ(signal.count, 0);
}
