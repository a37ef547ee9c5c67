#include <gtest/gtest.h>

#include <string>

#include "Platform/Foundation/Base64.h"

using platform::base64Decode;
using platform::base64Encode;
using platform::Data;

TEST(Base64, EncodesWithTheStandardAlphabetAndPadding) {
  EXPECT_EQ(base64Encode("user:pass"), "dXNlcjpwYXNz");
  EXPECT_EQ(base64Encode(":"), "Og==");
  EXPECT_EQ(base64Encode(""), "");
  EXPECT_EQ(base64Encode("f"), "Zg==");
  EXPECT_EQ(base64Encode("fo"), "Zm8=");
  EXPECT_EQ(base64Encode("foo"), "Zm9v");
  EXPECT_EQ(base64Encode(Data("foob")), "Zm9vYg==");
  // The two symbols past the letters and digits, and no line breaks however long.
  EXPECT_EQ(base64Encode(std::string_view("\xFB\xFF\xBF", 3)), "+/+/");
  EXPECT_EQ(base64Encode(std::string(120, 'a')).find('\n'), std::string::npos);
}

TEST(Base64, DecodesWhatItEncodes) {
  std::string all;
  for (int byte = 0; byte < 256; ++byte) all.push_back(static_cast<char>(byte));
  for (std::size_t length : {0u, 1u, 2u, 3u, 4u, 255u, 256u}) {
    const auto decoded = base64Decode(base64Encode(all.substr(0, length)));
    ASSERT_TRUE(decoded) << length;
    EXPECT_EQ(decoded->view(), all.substr(0, length));
  }
  EXPECT_EQ(base64Decode("dXNlcjpwYXNz")->view(), "user:pass");
  EXPECT_TRUE(base64Decode("")->empty());
}

TEST(Base64, RejectsMalformedText) {
  for (const char* text : {"Zg", "Zg=", "Zm9", "Z===", "====", "Zg==Zg==", "Zm 9v", "Zm9v\n", " Zm9v", "Zm-v", "Zm_v",
                           "Z=9v", "Zm9v="}) {
    EXPECT_FALSE(base64Decode(text)) << text;
  }
}
