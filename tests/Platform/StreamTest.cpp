#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "Platform/Files/FileError.h"
#include "Platform/Streams/InputStream.h"
#include "Platform/Streams/OutputStream.h"
#include "Platform/Streams/StreamError.h"
#include "tests/Platform/ScratchDirectory.h"

using namespace platform;

namespace {

std::string randomBytes(std::size_t count) {
  std::mt19937 generator(42);
  std::string bytes(count, '\0');
  for (auto& byte : bytes) byte = static_cast<char>(generator());
  return bytes;
}

// Reads the stream the way a careful caller does: while bytes may come, in
// pieces of `chunk`, stopping at the end or a failure.
std::string drain(InputStream& stream, std::size_t chunk) {
  std::string collected;
  std::vector<std::uint8_t> buffer(chunk);
  while (stream.hasBytesAvailable()) {
    auto count = stream.read(buffer.data(), buffer.size());
    if (count <= 0) break;
    collected.append(reinterpret_cast<const char*>(buffer.data()), static_cast<std::size_t>(count));
  }
  return collected;
}

std::ptrdiff_t write(OutputStream& stream, std::string_view text) {
  return stream.write(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

}  // namespace

TEST(InputStream, FileStreamReadsAFileByteExactThenEnds) {
  ScratchDirectory scratch;
  auto contents = randomBytes(100'003);
  auto stream = InputStream::fromFile(scratch.write("data.bin", contents));
  EXPECT_FALSE(stream->hasBytesAvailable());
  stream->open();
  EXPECT_EQ(stream->streamStatus(), StreamStatus::open);
  EXPECT_EQ(drain(*stream, 1000), contents);
  EXPECT_EQ(stream->streamStatus(), StreamStatus::atEnd);
  std::uint8_t byte;
  EXPECT_EQ(stream->read(&byte, 1), 0);
  EXPECT_EQ(stream->streamError(), nullptr);
  stream->close();
  EXPECT_EQ(stream->streamStatus(), StreamStatus::closed);
}

TEST(InputStream, MissingFileFailsAtOpenAndTheNextReadReportsIt) {
  ScratchDirectory scratch;
  auto stream = InputStream::fromFile(scratch / "missing");
  stream->open();
  EXPECT_EQ(stream->streamStatus(), StreamStatus::error);
  auto* error = errorAs<FileError>(stream->streamError());
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->code(), FileError::Code::noSuchFile);
  // A reading loop must meet the failure instead of ending as if the file were empty.
  EXPECT_TRUE(stream->hasBytesAvailable());
  std::uint8_t byte;
  EXPECT_EQ(stream->read(&byte, 1), -1);
}

TEST(InputStream, DataStreamGivesItsBytesInPiecesAndRefusesReadsWhenNotOpen) {
  auto stream = InputStream::fromData(Data("abcdefg"));
  std::uint8_t buffer[3];
  EXPECT_EQ(stream->read(buffer, sizeof buffer), -1);
  auto* error = errorAs<StreamError>(stream->streamError());
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->code(), StreamError::Code::notOpen);

  stream->open();
  EXPECT_EQ(drain(*stream, 3), "abcdefg");
  EXPECT_FALSE(stream->hasBytesAvailable());
  stream->close();
  EXPECT_EQ(stream->read(buffer, sizeof buffer), -1);
  stream->open();  // a closed stream stays closed
  EXPECT_EQ(stream->streamStatus(), StreamStatus::closed);
}

TEST(OutputStream, CreatingAFileStreamInAMissingDirectoryFailsClearly) {
  ScratchDirectory scratch;
  auto path = scratch / "no" / "such" / "out.bin";
  auto stream = OutputStream::toFile(path);
  ASSERT_FALSE(stream);
  EXPECT_EQ(stream.error().code(), FileError::Code::noSuchFile);
  EXPECT_EQ(stream.error().description(),
            "Could not create an output stream for \"" + path.string() + "\": No such file or directory");

  auto file = scratch.write("plain", "");
  EXPECT_EQ(OutputStream::toFile(file / "below").error().code(), FileError::Code::notADirectory);
}

TEST(OutputStream, FileStreamTruncatesOrAppends) {
  ScratchDirectory scratch;
  auto path = scratch.write("out.txt", "previous");
  auto replacing = *OutputStream::toFile(path);
  EXPECT_FALSE(replacing->hasSpaceAvailable());
  replacing->open();
  EXPECT_TRUE(replacing->hasSpaceAvailable());
  EXPECT_EQ(write(*replacing, "first"), 5);
  replacing->close();
  EXPECT_EQ(write(*replacing, "late"), -1);
  EXPECT_EQ(readWholeFile(path), "first");

  auto appending = *OutputStream::toFile(path, true);
  appending->open();
  EXPECT_EQ(write(*appending, "+second"), 7);
  appending->close();
  EXPECT_EQ(readWholeFile(path), "first+second");
}

TEST(OutputStream, OpeningAFileStreamOnADirectoryFailsAndWritesReportIt) {
  ScratchDirectory scratch;
  auto stream = *OutputStream::toFile(scratch.path());
  stream->open();
  EXPECT_EQ(stream->streamStatus(), StreamStatus::error);
  EXPECT_TRUE(stream->hasSpaceAvailable());
  EXPECT_EQ(write(*stream, "x"), -1);
  auto* error = errorAs<FileError>(stream->streamError());
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->code(), FileError::Code::isADirectory);
}
