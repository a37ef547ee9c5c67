#include <gtest/gtest.h>

#include <string>

#include "Wendanet/Source/Core/UTF8StreamDecoder.h"

using wendanet::UTF8StreamDecoder;

namespace {

// The text of `bytes` fed in two fragments split at `at`, then flushed.
std::string decodedSplitAt(const std::string& bytes, std::size_t at) {
  UTF8StreamDecoder decoder;
  std::string text = decoder.decode(std::string_view(bytes).substr(0, at));
  text += decoder.decode(std::string_view(bytes).substr(at));
  return text + decoder.flush();
}

}  // namespace

TEST(UTF8StreamDecoder, AnySplitGivesTheTextOfTheWhole) {
  // One, two, three and four bytes, and bytes that are ill-formed anywhere.
  const std::string text = "x\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80y";
  const std::string illFormed =
      "a\xC0\xAF"
      "b\xED\xA0\x80"
      "c\xF4\x90\x80\x80"
      "d\xE2\x82";
  for (std::size_t at = 0; at <= text.size(); ++at) EXPECT_EQ(decodedSplitAt(text, at), text) << at;
  const std::string repaired =
      "a\uFFFD\uFFFD"
      "b\uFFFD\uFFFD\uFFFD"
      "c\uFFFD\uFFFD\uFFFD\uFFFD"
      "d\uFFFD";
  for (std::size_t at = 0; at <= illFormed.size(); ++at) EXPECT_EQ(decodedSplitAt(illFormed, at), repaired) << at;
}

TEST(UTF8StreamDecoder, HoldsBackOnlyWhatMoreBytesCouldComplete) {
  UTF8StreamDecoder decoder;
  EXPECT_EQ(decoder.decode("a\xF0\x9F"), "a");
  EXPECT_EQ(decoder.decode("\x98"), "");
  EXPECT_EQ(decoder.flush(), "\uFFFD");
  EXPECT_EQ(decoder.flush(), "");
  // A surrogate's start can never complete: it is replaced at once.
  EXPECT_EQ(decoder.decode("\xED\xA0"), "\uFFFD\uFFFD");
  EXPECT_EQ(decoder.flush(), "");
}
