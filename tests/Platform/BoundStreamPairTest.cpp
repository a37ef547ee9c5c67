#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "Platform/Streams/BoundStreamPair.h"
#include "Platform/Streams/StreamError.h"

using namespace platform;
using namespace std::chrono_literals;

namespace {

BoundStreamPair openPair(std::ptrdiff_t bufferSize = 1024) {
  auto pair = makeBoundStreamPair(bufferSize);
  if (!pair) throw std::runtime_error("no bound stream pair");
  pair->input->open();
  pair->output->open();
  return *pair;
}

std::ptrdiff_t write(OutputStream& stream, std::string_view text) {
  return stream.write(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

std::future<std::string> readAllOnAnotherThread(std::shared_ptr<InputStream> input, std::size_t chunk) {
  return std::async(std::launch::async, [input, chunk] {
    std::string collected;
    std::vector<std::uint8_t> buffer(chunk);
    while (true) {
      auto count = input->read(buffer.data(), buffer.size());
      if (count <= 0) break;
      collected.append(reinterpret_cast<const char*>(buffer.data()), static_cast<std::size_t>(count));
    }
    return collected;
  });
}

}  // namespace

TEST(BoundStreamPair, ThreeMegabytesInSevenKilobyteWritesArriveByteExactThenEnd) {
  auto pair = openPair(1024);
  std::string sent(3 * 1024 * 1024, '\0');
  std::mt19937 generator(7);
  for (auto& byte : sent) byte = static_cast<char>(generator());

  auto received = readAllOnAnotherThread(pair.input, 1024);
  std::thread writer([&] {
    constexpr std::size_t chunk = 7 * 1024;
    for (std::size_t offset = 0; offset < sent.size(); offset += chunk) {
      auto piece = std::string_view(sent).substr(offset, chunk);
      // Every write takes the whole chunk: the writer never has to retry.
      EXPECT_EQ(write(*pair.output, piece), static_cast<std::ptrdiff_t>(piece.size()));
    }
    pair.output->close();
  });
  writer.join();
  ASSERT_EQ(received.wait_for(30s), std::future_status::ready);
  EXPECT_TRUE(received.get() == sent);
  EXPECT_EQ(pair.input->streamStatus(), StreamStatus::atEnd);
  EXPECT_FALSE(pair.input->hasBytesAvailable());
}

TEST(BoundStreamPair, AReadWaitsForBytesAndThenForTheClose) {
  auto pair = openPair();
  auto received = readAllOnAnotherThread(pair.input, 16);
  EXPECT_EQ(received.wait_for(50ms), std::future_status::timeout);
  EXPECT_TRUE(pair.input->hasBytesAvailable());
  write(*pair.output, "abc");
  EXPECT_EQ(received.wait_for(50ms), std::future_status::timeout);
  pair.output->close();
  ASSERT_EQ(received.wait_for(10s), std::future_status::ready);
  EXPECT_EQ(received.get(), "abc");
}

TEST(BoundStreamPair, BytesWrittenBeforeTheReaderOpensAreKept) {
  auto pair = makeBoundStreamPair(4);
  ASSERT_TRUE(pair);
  pair->output->open();
  write(*pair->output, "more than the buffer size");
  pair->output->close();
  pair->input->open();
  EXPECT_EQ(readAllOnAnotherThread(pair->input, 5).get(), "more than the buffer size");
}

TEST(BoundStreamPair, DroppingTheOutputWithoutClosingEndsTheInput) {
  auto pair = openPair();
  write(*pair.output, "last");
  pair.output.reset();
  EXPECT_EQ(readAllOnAnotherThread(pair.input, 2).get(), "last");
}

TEST(BoundStreamPair, ClosingTheInputMakesWritesFailAndWakesAWaitingRead) {
  auto pair = openPair();
  auto received = readAllOnAnotherThread(pair.input, 16);
  EXPECT_EQ(received.wait_for(20ms), std::future_status::timeout);
  pair.input->close();
  ASSERT_EQ(received.wait_for(10s), std::future_status::ready);
  EXPECT_EQ(received.get(), "");

  EXPECT_EQ(write(*pair.output, "nobody reads this"), -1);
  auto* error = errorAs<StreamError>(pair.output->streamError());
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->code(), StreamError::Code::readerClosed);
}

TEST(BoundStreamPair, NoPairForANonPositiveBufferSize) {
  EXPECT_FALSE(makeBoundStreamPair(0));
  EXPECT_FALSE(makeBoundStreamPair(-1));
  EXPECT_TRUE(makeBoundStreamPair(std::numeric_limits<std::ptrdiff_t>::max()));
}
