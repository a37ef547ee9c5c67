#include <gtest/gtest.h>

#include <string>

#include "Platform/Foundation/Base64.h"

using platform::base64Decode;
using platform::base64Encode;

TEST(Base64, EncodesWithTheStandardAlphabetAndPadding) {
  EXPECT_EQ(base64Encode("user:pass"), "dXNlcjpwYXNz");
  EXPECT_EQ(base64Encode(":"), "Og==");
  EXPECT_EQ(base64Encode("fo"), "Zm8=");
  EXPECT_EQ(base64Encode(std::string_view("\xFB\xFF\xBF", 3)), "+/+/");
  EXPECT_EQ(base64Encode(std::string(120, 'a')).find('\n'), std::string::npos);
}

TEST(Base64, DecodesWhatItEncodesAndRejectsTheRest) {
  std::string all;
  for (int byte = 0; byte < 256; ++byte) all.push_back(static_cast<char>(byte));
  for (std::size_t length : {0u, 1u, 2u, 3u, 256u}) {
    EXPECT_EQ(base64Decode(base64Encode(all.substr(0, length)))->view(), all.substr(0, length)) << length;
  }
  for (const char* text : {"Zg", "Zg=", "Z===", "====", "Zg==Zg==", "Zm 9v", "Zm9v\n", "Zm-v", "Z=9v", "Zm9v="}) {
    EXPECT_FALSE(base64Decode(text)) << text;
  }
}
