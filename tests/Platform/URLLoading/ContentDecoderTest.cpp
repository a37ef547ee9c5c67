#include "Platform/URLLoading/Engine/ContentDecoder.h"

#include <gtest/gtest.h>

#include "tests/Platform/URLLoading/Compressed.h"

using namespace platform;

namespace {

using platform::testing::compressed;

struct Decoded {
  std::string text;
  bool complete;
  bool failed;
  std::size_t largestPiece = 0;
};

// Fed in small slices, as a network hands bytes over.
Decoded decode(const std::string& coding, const std::string& body) {
  ContentDecoder decoder(coding);
  Decoded result{};
  for (std::size_t offset = 0; offset < body.size(); offset += 1000) {
    decoder.feed(std::string_view(body).substr(offset, 1000));
    for (auto piece = decoder.next(); !piece.empty(); piece = decoder.next()) {
      result.text += piece;
      result.largestPiece = std::max(result.largestPiece, piece.size());
    }
  }
  result.complete = decoder.isComplete();
  result.failed = decoder.failed();
  return result;
}

const std::string text = [] {
  std::string repeated;
  for (int line = 0; line < 20000; ++line) repeated += "line " + std::to_string(line) + "\n";
  return repeated;
}();

}  // namespace

TEST(ContentDecoder, UndoesEveryCodingAndListOfCodingsWhole) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", text},
      {"identity", text},
      {"gzip", compressed(text, 15 + 16)},
      {"x-gzip", compressed(text, 15 + 16)},
      {"GZIP", compressed(text, 15 + 16)},
      {"deflate", compressed(text, 15)},
      {"deflate", compressed(text, -15)},
      // Applied gzip first, so it comes off last.
      {"gzip, deflate", compressed(compressed(text, 15 + 16), 15)},
  };
  for (const auto& [coding, body] : cases) {
    const auto decoded = decode(coding, body);
    EXPECT_EQ(decoded.text, text) << coding;
    EXPECT_TRUE(decoded.complete) << coding;
    EXPECT_FALSE(decoded.failed) << coding;
  }
}

TEST(ContentDecoder, AStreamCutShortIsIncompleteAndGarbageOrAnUnknownCodingFails) {
  const auto gzip = compressed(text, 15 + 16);
  const auto cut = decode("gzip", gzip.substr(0, gzip.size() - 4));
  EXPECT_FALSE(cut.complete);
  EXPECT_FALSE(cut.failed);
  EXPECT_LT(cut.text.size(), text.size() + 1);
  const auto deflate = compressed(text, -15);
  EXPECT_FALSE(decode("deflate", deflate.substr(0, deflate.size() / 2)).complete);

  EXPECT_TRUE(decode("gzip", "this is not gzip at all").failed);
  EXPECT_TRUE(decode("zstd", "whatever").failed);
  // Nothing to decode is nothing cut short: a HEAD, a 204, a 304.
  EXPECT_TRUE(decode("gzip", "").complete);
}

TEST(ContentDecoder, HandsAHugeExpansionOutInBoundedPiecesAndIgnoresWhatFollowsTheEnd) {
  const std::string zeros(8 * 1024 * 1024, '\0');
  const auto decoded = decode("gzip", compressed(zeros, 15 + 16) + "trailing bytes");
  EXPECT_EQ(decoded.text.size(), zeros.size());
  EXPECT_LE(decoded.largestPiece, ContentDecoder::pieceSize);
  EXPECT_TRUE(decoded.complete);
}

TEST(ContentDecoder, PassesAnUncodedBodyFedAtOnceThroughInBoundedPiecesThatStayIntact) {
  ContentDecoder decoder("");
  decoder.feed(text);
  std::vector<std::string_view> pieces;
  for (auto piece = decoder.next(); !piece.empty(); piece = decoder.next()) pieces.push_back(piece);
  std::string joined;
  for (const auto piece : pieces) {
    EXPECT_LE(piece.size(), ContentDecoder::pieceSize);
    joined += piece;
  }
  EXPECT_EQ(joined, text);
  EXPECT_TRUE(decoder.isComplete());
}
