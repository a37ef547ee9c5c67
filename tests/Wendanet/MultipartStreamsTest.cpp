#include <gtest/gtest.h>

#include <string>

#include "Wendanet/Source/Support/MultipartStreams.h"
#include "Wendanet/Source/Support/OutputStreamStalled.h"
#include "tests/Wendanet/MultipartTesting.h"
#include "tests/Wendanet/TestErrors.h"

using namespace wendanet;
using namespace wendanet::testing;
using Reason = MultipartEncodingFailureReason;

namespace {

// Takes at most `pieceSize` bytes per write; 0 takes nothing and reports
// nothing, as a stuck sink would.
class PieceOutputStream final : public platform::OutputStream {
 public:
  explicit PieceOutputStream(std::size_t pieceSize, platform::AnyError failure = nullptr)
      : pieceSize_(pieceSize), failure_(std::move(failure)) {}
  const std::string& written() const { return written_; }

 private:
  std::expected<void, platform::AnyError> openResource() override { return {}; }
  void closeResource() override {}
  std::expected<std::size_t, platform::AnyError> writeBytes(const std::uint8_t* buffer,
                                                            std::size_t maxLength) override {
    if (failure_) return std::unexpected(failure_);
    const auto count = std::min(maxLength, pieceSize_);
    written_.append(reinterpret_cast<const char*>(buffer), count);
    return count;
  }

  std::size_t pieceSize_;
  platform::AnyError failure_;
  std::string written_;
};

std::span<const std::uint8_t> bytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

const platform::AnyError& writeFailure(const WNError& error) {
  static const platform::AnyError none;
  const auto* failed = multipartReason<Reason::OutputStreamWriteFailed>(error);
  EXPECT_NE(failed, nullptr) << error.errorDescription();
  return failed ? failed->error : none;
}

}  // namespace

TEST(MultipartStreams, ShortWritesGoOnUntilEveryByteIsWritten) {
  PieceOutputStream output(3);
  output.open();
  writeAllBytes(output, bytes("0123456789"));
  EXPECT_EQ(output.written(), "0123456789");
}

TEST(MultipartStreams, WriteThatMovesNothingFailsInsteadOfSpinning) {
  PieceOutputStream stuck(0);
  stuck.open();
  const auto error = thrownWNError([&] { writeAllBytes(stuck, bytes("abc")); });
  EXPECT_TRUE(platform::errorAs<OutputStreamStalled>(writeFailure(error)));
  EXPECT_EQ(error.errorDescription(), "OutputStream write failed with error: The output stream accepted no bytes.");

  // A closed stream has no space; its bytes are not dropped silently.
  PieceOutputStream closed(8);
  closed.open();
  closed.close();
  EXPECT_TRUE(writeFailure(thrownWNError([&] { writeAllBytes(closed, bytes("abc")); })));
}

TEST(MultipartStreams, WriteFailureCarriesTheStreamsError) {
  PieceOutputStream failing(8, testError(9));
  failing.open();
  const auto error = thrownWNError([&] { writeAllBytes(failing, bytes("abc")); });
  EXPECT_EQ(platform::errorAs<TestError>(writeFailure(error))->code(), 9);
}

TEST(MultipartStreams, CopyStopsAtTheDeclaredLengthAndClosesTheSource) {
  auto source = platform::InputStream::fromData(platform::Data(std::string(2500, 'a') + "tail"));
  PieceOutputStream output(100);
  output.open();
  copyBodyStream(*source, 2500, output, 1024);
  EXPECT_EQ(output.written(), std::string(2500, 'a'));
  EXPECT_EQ(source->streamStatus(), platform::StreamStatus::closed);
}
