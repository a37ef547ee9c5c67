#include <gtest/gtest.h>

#include <string>

#include "Platform/URLLoading/Engine/WebSocketStreamFrameWatch.h"

using platform::FrameLengthWatch;

namespace {

const std::string upgradeAnswer = "HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\n\r\n";

// An unmasked frame header with `opcode` announcing `length` bytes, in the
// shortest form.
std::string frameHeader(unsigned char opcode, std::uint64_t length, bool final = true) {
  std::string header(1, static_cast<char>((final ? 0x80 : 0) | opcode));
  if (length < 126) return header + static_cast<char>(length);
  const int bytes = length <= 0xFFFF ? 2 : 8;
  header += static_cast<char>(bytes == 2 ? 126 : 127);
  for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) header += static_cast<char>((length >> shift) & 0xFF);
  return header;
}

class FrameWatch : public testing::Test {
 protected:
  void watch(std::uint64_t maximum) {
    frames.watch(maximum, [this] { ++tooLong; });
  }
  // One byte at a time, as the worst split of reads would hand them over.
  void take(const std::string& bytes) {
    for (const char byte : bytes) frames.take(reinterpret_cast<const unsigned char*>(&byte), 1);
  }

  FrameLengthWatch frames;
  int tooLong = 0;
};

TEST_F(FrameWatch, CountsWholeMessagesAcrossFragmentsAndPastControlFrames) {
  watch(70000);
  take(upgradeAnswer);
  take(frameHeader(0x1, 3) + "abc" + frameHeader(0x2, 70000) + std::string(70000, 'x'));
  EXPECT_EQ(tooLong, 0);
  // 40000 + a ping + 30001 in fragments: one over.
  take(frameHeader(0x2, 40000, false) + std::string(40000, 'y') + frameHeader(0x9, 4) + "ping");
  EXPECT_EQ(tooLong, 0);
  take(frameHeader(0x0, 30001));
  EXPECT_EQ(tooLong, 1);
}

TEST_F(FrameWatch, AHeaderThatCameBeforeTheReadCountsForIt) {
  take(upgradeAnswer + frameHeader(0x2, 0x7FFFFFFFFFFFFFFF) + "zz");
  EXPECT_EQ(tooLong, 0);
  watch(1 << 20);
  EXPECT_EQ(tooLong, 1);
  // A message already read whole does not count for the next read.
  FrameLengthWatch other;
  int calls = 0;
  const std::string whole = upgradeAnswer + frameHeader(0x2, 200) + std::string(200, 'w');
  other.take(reinterpret_cast<const unsigned char*>(whole.data()), whole.size());
  other.watch(100, [&] { ++calls; });
  EXPECT_EQ(calls, 0);
}

}  // namespace
