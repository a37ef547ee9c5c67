#include "Platform/URLLoading/Engine/ResponseHeaderParser.h"

#include <gtest/gtest.h>

using namespace platform;
using Outcome = ResponseHeaderParser::Outcome;

namespace {

Outcome feedAll(ResponseHeaderParser& parser, const std::vector<std::string>& lines) {
  Outcome outcome = Outcome::needMore;
  for (const auto& line : lines) outcome = parser.feed(line);
  return outcome;
}

}  // namespace

TEST(ResponseHeaderParser, ReadsStatusAndFieldsInOrderWithRepeatsKept) {
  ResponseHeaderParser parser;
  ASSERT_EQ(feedAll(parser, {"HTTP/1.1 201 Created\r\n", "Content-Type: text/plain\r\n", "Set-Cookie: a=1\r\n",
                             "set-cookie:b=2\r\n", "X-Spaced:   padded value  \r\n", "\r\n"}),
            Outcome::complete);
  EXPECT_EQ(parser.statusCode(), 201);
  EXPECT_EQ(
      parser.fields(),
      (HTTPHeaderFields{
          {"Content-Type", "text/plain"}, {"Set-Cookie", "a=1"}, {"set-cookie", "b=2"}, {"X-Spaced", "padded value"}}));
}

TEST(ResponseHeaderParser, ReadsTheShortStatusLineOfNewerVersions) {
  ResponseHeaderParser parser;
  EXPECT_EQ(feedAll(parser, {"HTTP/2 204 \r\n", "\r\n"}), Outcome::complete);
  EXPECT_EQ(parser.statusCode(), 204);
  EXPECT_EQ(parser.httpVersion(), "2");
}

TEST(ResponseHeaderParser, SkipsInterimBlocksAndKeepsOnlyTheFinalOne) {
  ResponseHeaderParser parser;
  EXPECT_EQ(feedAll(parser, {"HTTP/1.1 100 Continue\r\n", "\r\n"}), Outcome::needMore);
  EXPECT_EQ(feedAll(parser, {"HTTP/1.1 103 Early Hints\r\n", "Link: </a>\r\n", "\r\n"}), Outcome::needMore);
  EXPECT_EQ(feedAll(parser, {"HTTP/1.1 200 OK\r\n", "A: b\r\n", "\r\n"}), Outcome::complete);
  EXPECT_EQ(parser.statusCode(), 200);
  EXPECT_EQ(parser.fields(), (HTTPHeaderFields{{"A", "b"}}));
}

TEST(ResponseHeaderParser, JoinsFoldedLinesToTheFieldBefore) {
  ResponseHeaderParser parser;
  feedAll(parser, {"HTTP/1.1 200 OK\r\n", "X-Long: first\r\n", " \tsecond\r\n", "\tthird\r\n", "\r\n"});
  EXPECT_EQ(parser.fields(), (HTTPHeaderFields{{"X-Long", "first second third"}}));
}

TEST(ResponseHeaderParser, IgnoresLinesThatAreNoFields) {
  ResponseHeaderParser parser;
  feedAll(parser, {"HTTP/1.1 200 OK\r\n", "no colon here\r\n", ": no name\r\n", "Kept: yes\n", "\n"});
  EXPECT_EQ(parser.fields(), (HTTPHeaderFields{{"Kept", "yes"}}));
}

TEST(ResponseHeaderParser, RefusesABlockThatDoesNotStartWithAStatusLine) {
  for (const std::string line :
       {"Content-Type: text/plain\r\n", "HTTP/1.1 2x0 OK\r\n", "HTTP/1.1\r\n", "HTTP/1.1 42\r\n",
        "HTTP/1.1 2000 OK\r\n", "HTTP/1.1 200OK\r\n"}) {
    ResponseHeaderParser parser;
    EXPECT_EQ(parser.feed(line), Outcome::malformed) << line;
  }
}

TEST(ResponseHeaderParser, RefusesContentLengthsThatDisagreeOrAreNoNumber) {
  const std::vector<std::pair<std::vector<std::string>, Outcome>> cases = {
      {{"Content-Length: 5\r\n", "Content-Length: 5\r\n"}, Outcome::complete},
      {{"Content-Length: 5, 5\r\n"}, Outcome::complete},
      {{"Content-Length: 5\r\n", "Content-Length: 6\r\n"}, Outcome::malformed},
      {{"Content-Length: 5, 6\r\n"}, Outcome::malformed},
      {{"Content-Length: 5x\r\n"}, Outcome::malformed},
      {{"Content-Length: -1\r\n"}, Outcome::malformed},
      {{"Content-Length:\r\n"}, Outcome::malformed},
      {{"Content-Length: 99999999999999999999\r\n"}, Outcome::malformed},
  };
  for (const auto& [fields, expected] : cases) {
    ResponseHeaderParser parser;
    parser.feed("HTTP/1.1 200 OK\r\n");
    EXPECT_EQ(feedAll(parser, fields), Outcome::needMore) << fields.front();
    EXPECT_EQ(parser.feed("\r\n"), expected) << fields.front();
  }
}

TEST(ResponseHeaderParser, RefusesABlockLargerThanTheLimitWhereverItGrows) {
  ResponseHeaderParser parser;
  parser.feed("HTTP/1.1 200 OK\r\n");
  const std::string field = "X-Filler: " + std::string(1000, 'f') + "\r\n";
  Outcome outcome = Outcome::needMore;
  std::size_t fed = 17;
  while (outcome == Outcome::needMore) {
    outcome = parser.feed(field);
    fed += field.size();
  }
  EXPECT_EQ(outcome, Outcome::tooLarge);
  EXPECT_GT(fed, ResponseHeaderParser::maximumBlockSize);
  EXPECT_LE(fed, ResponseHeaderParser::maximumBlockSize + field.size());
}

TEST(ResponseHeaderParser, CountsTheLimitPerBlock) {
  ResponseHeaderParser parser;
  const std::string field = "X-Filler: " + std::string(60 * 1024, 'f') + "\r\n";
  EXPECT_EQ(feedAll(parser, {"HTTP/1.1 100 Continue\r\n", field, "\r\n"}), Outcome::needMore);
  EXPECT_EQ(feedAll(parser, {"HTTP/1.1 200 OK\r\n", field, "\r\n"}), Outcome::complete);
}

// A lone carriage return inside a line must not survive to split the field
// when it is written out again.
TEST(ResponseHeaderParser, ABareCarriageReturnInsideAFieldBecomesASpace) {
  ResponseHeaderParser parser;
  ASSERT_EQ(feedAll(parser, {"HTTP/1.1 200 OK\r\n", "X-A: one\rX-Injected: 1\r\n", "X-B: two\r\n", " \rmore\r\n", "\r\n"}),
            Outcome::complete);
  EXPECT_EQ(parser.fields(), (HTTPHeaderFields{{"X-A", "one X-Injected: 1"}, {"X-B", "two more"}}));
}

// The transfer library ends a block at the first line that starts with a
// line break byte, interim or final: only an empty line ends it cleanly.
TEST(ResponseHeaderParser, ALineStartingWithALineBreakEndsTheBlockInDoubtUnlessEmpty) {
  // The line, then what it does to a final block and to an interim one.
  const std::vector<std::tuple<std::string, Outcome, Outcome>> cases = {
      {"\r\n", Outcome::complete, Outcome::needMore},
      {"\n", Outcome::complete, Outcome::needMore},
      {"\rX-Junk: 1\r\n", Outcome::endInDoubt, Outcome::endInDoubt},
      {"\r\r\n", Outcome::endInDoubt, Outcome::endInDoubt},
  };
  for (const auto& [end, asFinal, asInterim] : cases) {
    ResponseHeaderParser parser;
    EXPECT_EQ(feedAll(parser, {"HTTP/1.1 200 OK\r\n", "X-A: 1\r\n", end}), asFinal) << end;
    EXPECT_EQ(feedAll(parser, {"HTTP/1.1 103 Early Hints\r\n", "X-A: 1\r\n", end}), asInterim) << end;
  }
}
