#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "Highlighter/HighlightJob.h"
#include "Highlighter/Highlighter.h"
#include "tests/Highlighter/PieceSink.h"
#include "tests/Highlighter/UntimedBudget.h"

using highlighter::HighlightJob;
using highlighter::Highlighter;
using platform::AttributedString;

namespace {

class HighlightJobTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(highlighter && highlighter->theme()); }

  // Highlights `body` as JSON in pieces of about `pieceLength`, the ones
  // holding each of `first` (UTF-16 positions) before the rest.
  AttributedString inPieces(const std::string& body, std::size_t pieceLength, const std::vector<std::size_t>& first,
                            std::vector<std::size_t>* order = nullptr) {
    PieceSink sink;
    HighlightJob job(*highlighter, *highlighter->theme(), std::string_view(body), std::string("json"), sink,
                     untimedPieces(pieceLength));
    for (const auto position : first) {
      job.prefer(position, position);
      EXPECT_EQ(job.step(), HighlightJob::Step::more);
    }
    for (auto step = HighlightJob::Step::more; step != HighlightJob::Step::done;) {
      step = job.step();
      EXPECT_NE(step, HighlightJob::Step::failed);
      if (step == HighlightJob::Step::failed) break;
    }
    if (order) *order = sink.order;
    return sink.whole();
  }

  std::shared_ptr<Highlighter> highlighter = Highlighter::make();
};

// Pretty JSON of `items` items, with characters of two and four bytes.
std::string prettyJSON(int items) {
  std::string body = "{\n  \"items\": [\n";
  for (int index = 0; index < items; ++index) {
    body += "    {\n      \"id\": " + std::to_string(index) +
            ",\n      \"name\": \"caf\xC3\xA9 \xF0\x9F\x98\x80 <b> & \\\"c\\\"\",\n      \"on\": true,\n      \"none\": "
            "null\n    },\n";
  }
  return body + "    null\n  ]\n}\n";
}

TEST_F(HighlightJobTest, PiecesInAnyOrderColourAsTheWholeBody) {
  const std::string body = prettyJSON(300);
  highlighter->setBudget(untimed(body.size()));
  const auto whole = highlighter->highlight(body, std::string("json"));
  ASSERT_TRUE(whole);
  ASSERT_GT(whole->runs().size(), 1000u);
  const auto length = whole->length();

  // The end first, then the middle, then the rest from there on.
  const auto jumped = inPieces(body, 700, {length - 1, length / 2});
  EXPECT_EQ(jumped, *whole);
  // A piece done again, after others or before, comes out the same.
  EXPECT_EQ(inPieces(body, 700, {length / 3, 0}), *whole);
  EXPECT_EQ(inPieces(body, 700, {}), *whole);
}

TEST_F(HighlightJobTest, ALongLineIsCutOutsideItsStrings) {
  // Compact JSON whose strings hold blanks, commas and escaped quotes.
  std::string body = "[";
  for (int index = 0; index < 300; ++index) {
    body += "{\"id\":" + std::to_string(index) + ",\"name\":\"item " + std::to_string(index) +
            ", \\\"quoted, too\\\" \\\\\",\"on\":true},";
  }
  body += "null]";
  highlighter->setBudget(untimed(body.size()));
  const auto whole = highlighter->highlight(body, std::string("json"));
  ASSERT_TRUE(whole);
  EXPECT_EQ(inPieces(body, 700, {whole->length() / 2}), *whole);
}

TEST_F(HighlightJobTest, APreferredPieceGoesNextAndTheOnesAfterItFollow) {
  const std::string body = prettyJSON(100);
  std::vector<std::size_t> order;
  const auto whole = inPieces(body, 1000, {5000, 100}, &order);
  ASSERT_GT(order.size(), 6u);
  // The piece holding 5000, the one holding 100, then on from there.
  EXPECT_LE(order[0], 5000u);
  EXPECT_GT(order[0], 5000u - 1500);
  EXPECT_EQ(order[1], 0u);
  EXPECT_TRUE(std::is_sorted(order.begin() + 1, order.end()));
  // It is done again, for good, in its turn.
  EXPECT_EQ(std::ranges::count(order, order[0]), 2);
  EXPECT_EQ(whole.length(), AttributedString(body).length());
}

}  // namespace
