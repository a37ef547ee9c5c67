#include <gtest/gtest.h>

#include <string>

#include "Platform/Foundation/TextEncoding.h"

using platform::TextEncoding;

namespace {

std::string bytes(std::initializer_list<unsigned char> values) { return std::string(values.begin(), values.end()); }

}  // namespace

TEST(TextEncoding, CharsetNamesAreFoundWithoutRegardToLetterCase) {
  EXPECT_EQ(TextEncoding::fromIANACharsetName("UTF-8"), TextEncoding::utf8);
  EXPECT_EQ(TextEncoding::fromIANACharsetName("Iso-8859-1"), TextEncoding::isoLatin1);
  EXPECT_EQ(TextEncoding::fromIANACharsetName("iso-10646-ucs-2"), TextEncoding::utf16);
  EXPECT_EQ(TextEncoding::fromIANACharsetName("UTF-16LE"), TextEncoding::utf16LittleEndian);
  EXPECT_EQ(TextEncoding::fromIANACharsetName("utf-32be"), TextEncoding::utf32BigEndian);
  for (const char* name : {"", "us-ascii", "latin1", "utf8", " utf-8", "\xC4\xB0so-8859-1"}) {
    EXPECT_FALSE(TextEncoding::fromIANACharsetName(name)) << name;
  }
  EXPECT_EQ(TextEncoding(TextEncoding::isoLatin1).description(), "Western (ISO Latin 1)");
}

TEST(TextEncoding, TheSameBytesReadDifferentlyInLatin1AndUTF8) {
  EXPECT_EQ(TextEncoding(TextEncoding::isoLatin1).decode(bytes({0xC3, 0xA9})), "Ã©");
  EXPECT_EQ(TextEncoding(TextEncoding::utf8).decode(bytes({0xC3, 0xA9})), "é");
  EXPECT_EQ(TextEncoding(TextEncoding::isoLatin1).encode("é")->view(), bytes({0xE9}));
}

TEST(TextEncoding, FailuresAreAbsent) {
  EXPECT_FALSE(TextEncoding(TextEncoding::utf8).decode(bytes({0x61, 0xFF})));
  EXPECT_FALSE(TextEncoding(TextEncoding::isoLatin1).encode("€"));
  EXPECT_FALSE(TextEncoding(TextEncoding::utf16LittleEndian).encode(bytes({0xC3})));
  EXPECT_FALSE(TextEncoding(TextEncoding::utf16LittleEndian).decode(bytes({0x41})));  // cut short
  EXPECT_FALSE(
      TextEncoding(TextEncoding::utf16LittleEndian).decode(bytes({0x3D, 0xD8, 0x41, 0x00})));  // lone surrogate
}

TEST(TextEncoding, ByteOrders) {
  EXPECT_EQ(TextEncoding(TextEncoding::utf16BigEndian).decode(bytes({0x00, 0x41, 0xD8, 0x3D, 0xDE, 0x00})), "A😀");
  EXPECT_EQ(TextEncoding(TextEncoding::utf32LittleEndian).encode("A")->view(), bytes({0x41, 0, 0, 0}));
  // Without an order of its own, a byte-order mark decides and is dropped;
  // without one the bytes are big-endian. Writing puts a mark first.
  const TextEncoding utf16 = TextEncoding::utf16;
  EXPECT_EQ(utf16.decode(bytes({0xFF, 0xFE, 0x41, 0x00})), "A");
  EXPECT_EQ(utf16.decode(bytes({0xFE, 0xFF, 0x00, 0x41})), "A");
  EXPECT_EQ(utf16.decode(bytes({0x00, 0x41})), "A");
  EXPECT_EQ(utf16.encode("A")->view(), bytes({0xFE, 0xFF, 0x00, 0x41}));
  EXPECT_EQ(TextEncoding(TextEncoding::utf32).decode(bytes({0xFF, 0xFE, 0, 0, 0x41, 0, 0, 0})), "A");
}
