#include <gtest/gtest.h>

#include <string>

#include "Platform/Foundation/TextEncoding.h"

using platform::Data;
using platform::TextEncoding;

namespace {

std::string bytes(std::initializer_list<unsigned char> values) { return std::string(values.begin(), values.end()); }

}  // namespace

TEST(TextEncoding, CharsetNamesAreFoundWithoutRegardToLetterCase) {
  const std::pair<const char*, TextEncoding> known[] = {
      {"utf-8", TextEncoding::utf8},
      {"UTF-8", TextEncoding::utf8},
      {"ISO-8859-1", TextEncoding::isoLatin1},
      {"Unicode-1-1", TextEncoding::utf16},
      {"iso-10646-ucs-2", TextEncoding::utf16},
      {"utf-16", TextEncoding::utf16},
      {"UTF-16BE", TextEncoding::utf16BigEndian},
      {"utf-16le", TextEncoding::utf16LittleEndian},
      {"utf-32", TextEncoding::utf32},
      {"utf-32BE", TextEncoding::utf32BigEndian},
      {"Utf-32le", TextEncoding::utf32LittleEndian},
  };
  for (const auto& [name, encoding] : known) EXPECT_EQ(TextEncoding::fromIANACharsetName(name), encoding) << name;
  for (const char* name : {"", "us-ascii", "latin1", "utf8", " utf-8", "utf-8 ", "windows-1252", "\xC4\xB0so-8859-1"}) {
    EXPECT_FALSE(TextEncoding::fromIANACharsetName(name)) << name;
  }
}

TEST(TextEncoding, DescriptionsNameTheEncoding) {
  EXPECT_EQ(TextEncoding(TextEncoding::utf8).description(), "Unicode (UTF-8)");
  EXPECT_EQ(TextEncoding(TextEncoding::isoLatin1).description(), "Western (ISO Latin 1)");
  EXPECT_EQ(TextEncoding(TextEncoding::utf16LittleEndian).description(), "Unicode (UTF-16LE)");
}

TEST(TextEncoding, TheSameBytesReadDifferentlyInLatin1AndUTF8) {
  const std::string eAcute = bytes({0xC3, 0xA9});
  EXPECT_EQ(TextEncoding(TextEncoding::isoLatin1).decode(eAcute), "Ã©");
  EXPECT_EQ(TextEncoding(TextEncoding::utf8).decode(eAcute), "é");
  EXPECT_EQ(TextEncoding(TextEncoding::utf8).decode(Data(eAcute)), "é");
}

TEST(TextEncoding, Latin1ReadsEveryByteAndWritesOnlyWhatItHas) {
  const TextEncoding latin1 = TextEncoding::isoLatin1;
  EXPECT_EQ(latin1.decode(bytes({0x41, 0x00, 0xFF})), std::string("A\0ÿ", 4));
  EXPECT_EQ(latin1.encode("é")->view(), bytes({0xE9}));
  EXPECT_FALSE(latin1.encode("€"));
}

TEST(TextEncoding, UTF8FailsOnIllFormedBytesInEitherDirection) {
  const TextEncoding utf8 = TextEncoding::utf8;
  EXPECT_FALSE(utf8.decode(bytes({0x61, 0xFF})));
  EXPECT_FALSE(utf8.encode(bytes({0xED, 0xA0, 0x80})));
  EXPECT_FALSE(TextEncoding(TextEncoding::utf16LittleEndian).encode(bytes({0xC3})));
  EXPECT_EQ(utf8.encode("é")->view(), "é");
  EXPECT_EQ(utf8.decode(""), "");
}

TEST(TextEncoding, UTF16AndUTF32FollowTheirByteOrder) {
  EXPECT_EQ(TextEncoding(TextEncoding::utf16LittleEndian).decode(bytes({0x41, 0x00, 0xE9, 0x00})), "Aé");
  EXPECT_EQ(TextEncoding(TextEncoding::utf16BigEndian).decode(bytes({0x00, 0x41, 0xD8, 0x3D, 0xDE, 0x00})), "A😀");
  EXPECT_EQ(TextEncoding(TextEncoding::utf32LittleEndian).decode(bytes({0x41, 0, 0, 0})), "A");
  EXPECT_EQ(TextEncoding(TextEncoding::utf32BigEndian).encode("A")->view(), bytes({0, 0, 0, 0x41}));
  EXPECT_EQ(TextEncoding(TextEncoding::utf16LittleEndian).encode("é")->view(), bytes({0xE9, 0x00}));

  // Without an order of its own, the byte-order mark decides and is dropped;
  // without a mark the bytes are big-endian.
  const TextEncoding utf16 = TextEncoding::utf16;
  EXPECT_EQ(utf16.decode(bytes({0xFF, 0xFE, 0x41, 0x00})), "A");
  EXPECT_EQ(utf16.decode(bytes({0xFE, 0xFF, 0x00, 0x41})), "A");
  EXPECT_EQ(utf16.decode(bytes({0x00, 0x41})), "A");
  EXPECT_EQ(TextEncoding(TextEncoding::utf32).decode(bytes({0xFF, 0xFE, 0, 0, 0x41, 0, 0, 0})), "A");
}

TEST(TextEncoding, UnorderedEncodingsWriteAMarkAndReadBack) {
  for (TextEncoding encoding : {TextEncoding::utf16, TextEncoding::utf32}) {
    const auto written = encoding.encode("Grüße 😀");
    ASSERT_TRUE(written);
    EXPECT_TRUE(written->view().starts_with(bytes({0xFE, 0xFF})) || written->view().starts_with(bytes({0xFF, 0xFE})) ||
                written->view().starts_with(bytes({0, 0, 0xFE, 0xFF})));
    EXPECT_EQ(encoding.decode(*written), "Grüße 😀");
  }
}

TEST(TextEncoding, BytesThatDoNotFormTextAreAbsent) {
  EXPECT_FALSE(TextEncoding(TextEncoding::utf16LittleEndian).decode(bytes({0x41})));              // cut short
  EXPECT_FALSE(TextEncoding(TextEncoding::utf16LittleEndian).decode(bytes({0x3D, 0xD8, 0x41, 0x00})));  // lone surrogate
  EXPECT_FALSE(TextEncoding(TextEncoding::utf32BigEndian).decode(bytes({0, 0x11, 0, 0})));        // above U+10FFFF
}
