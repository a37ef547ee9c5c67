#include <gtest/gtest.h>

#include "Platform/Foundation/HTTPURLResponse.h"

using namespace platform;

namespace {

std::shared_ptr<HTTPURLResponse> response(std::string_view url, HTTPHeaderFields fields) {
  return HTTPURLResponse::make(*URL::string(url), 200, fields);
}

}  // namespace

TEST(HTTPURLResponse, JoinsRepeatedFieldsInTheOrderReceived) {
  const auto received = response("http://h/", {{"Set-Cookie", "a=1"},
                                               {"Content-Type", "text/plain"},
                                               {"set-cookie", "b=2"},
                                               {"X-Empty", ""},
                                               {"SET-COOKIE", "c=3"}});
  EXPECT_EQ(received->allHeaderFields(),
            (HTTPHeaderFields{{"Set-Cookie", "a=1, b=2, c=3"}, {"Content-Type", "text/plain"}, {"X-Empty", ""}}));
  EXPECT_EQ(received->valueForHTTPHeaderField("set-COOKIE"), "a=1, b=2, c=3");
  EXPECT_EQ(received->valueForHTTPHeaderField("x-empty"), "");
  EXPECT_EQ(received->valueForHTTPHeaderField("Missing"), std::nullopt);
  EXPECT_EQ(received->statusCode(), 200);
}

TEST(HTTPURLResponse, ReadsTypeCharsetAndLengthFromTheHeaders) {
  const auto json = response("http://h/", {{"content-type", " Application/JSON ; Charset=\"UTF-8\"; q=1"},
                                           {"Content-Length", "1234"}});
  EXPECT_EQ(json->mimeType(), "application/json");
  EXPECT_EQ(json->textEncodingName(), "UTF-8");
  EXPECT_EQ(json->expectedContentLength(), 1234);

  const auto bare = response("http://h/", {{"Content-Type", "text/html"}, {"Content-Length", "12x"}});
  EXPECT_EQ(bare->mimeType(), "text/html");
  EXPECT_EQ(bare->textEncodingName(), std::nullopt);
  EXPECT_EQ(bare->expectedContentLength(), -1);

  const auto none = response("http://h/", {{"Content-Length", "-5"}});
  EXPECT_EQ(none->mimeType(), std::nullopt);
  EXPECT_EQ(none->expectedContentLength(), -1);
  EXPECT_EQ(response("http://h/", {{"Content-Type", " ; charset=x"}})->mimeType(), std::nullopt);
}

TEST(HTTPURLResponse, SuggestsAFileNameThatStaysInItsDirectory) {
  EXPECT_EQ(response("http://h/files/report.pdf?x=1", {{"Content-Disposition", "attachment; filename=\"a; b.txt\""}})
                ->suggestedFilename(),
            "a; b.txt");
  EXPECT_EQ(response("http://h/files/report.pdf?x=1", {})->suggestedFilename(), "report.pdf");
  EXPECT_EQ(response("http://h/", {})->suggestedFilename(), "Unknown");
  EXPECT_EQ(response("http://h", {})->suggestedFilename(), "Unknown");
  // A name from the server never climbs out of the download directory.
  EXPECT_EQ(response("http://h/r", {{"Content-Disposition", "attachment; filename=../../etc/passwd"}})
                ->suggestedFilename(),
            ".._.._etc_passwd");
  EXPECT_EQ(response("http://h/r", {{"Content-Disposition", "attachment; filename=\"..\""}})->suggestedFilename(),
            "r");
  EXPECT_EQ(response("http://h/a%2Fb", {})->suggestedFilename(), "a_b");
  EXPECT_EQ(URLResponse::make(*URL::string("file:///tmp/x.bin"), "application/octet-stream", 3, std::nullopt)
                ->suggestedFilename(),
            "x.bin");
}
