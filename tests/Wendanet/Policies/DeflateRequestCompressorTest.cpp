#include <gtest/gtest.h>
#include <zlib.h>

#include <optional>
#include <string>
#include <vector>

#include "Wendanet/Source/Policies/DeflateRequestCompressor.h"
#include "tests/Wendanet/RequestTestDoubles.h"

using namespace wendanet;
using platform::Data;
using platform::URLRequest;
using Behavior = DeflateRequestCompressor::DuplicateHeaderBehavior;

namespace {

URLRequest postWithBody(std::optional<Data> body, std::optional<std::pair<std::string, std::string>> header = {}) {
  URLRequest request = wendanet::testing::makeURLRequest("https://example.com/upload", "POST");
  request.setHTTPBody(std::move(body));
  if (header) request.setValueForHTTPHeaderField(header->second, header->first);
  return request;
}

AdaptResult adaptNow(DeflateRequestCompressor compressor, const URLRequest& request) {
  std::optional<AdaptResult> answer;
  compressor.adapt(request, nullptr, [&](AdaptResult result) { answer = std::move(result); });
  EXPECT_TRUE(answer.has_value()) << "the compressor must answer before it returns";
  return *answer;
}

// Decodes the zlib format independently of the compressor.
std::string inflate(const Data& compressed) {
  std::vector<unsigned char> output(1 << 20);
  uLongf length = output.size();
  EXPECT_EQ(uncompress(output.data(), &length, compressed.bytes(), compressed.size()), Z_OK);
  return std::string(reinterpret_cast<const char*>(output.data()), length);
}

std::vector<std::uint8_t> lastFour(const Data& data) { return {data.end() - 4, data.end()}; }

}  // namespace

TEST(DeflateRequestCompressor, OutputIsZlibFormatThatInflatesBack) {
  const auto abc = DeflateRequestCompressor::deflateBody(Data("abc"));
  EXPECT_EQ(abc[0], 0x78);
  EXPECT_EQ(abc[1], 0x5E);
  EXPECT_EQ((abc[0] << 8 | abc[1]) % 31, 0);
  EXPECT_EQ(lastFour(abc), (std::vector<std::uint8_t>{0x02, 0x4D, 0x01, 0x27}));
  EXPECT_EQ(inflate(abc), "abc");

  std::string large;
  for (int line = 0; line < 20000; ++line) large += "line " + std::to_string(line) + " of a repetitive body\n";
  const auto compressed = DeflateRequestCompressor::deflateBody(Data(large));
  EXPECT_LT(compressed.size(), large.size() / 4);
  EXPECT_EQ(inflate(compressed), large);
}

TEST(DeflateRequestCompressor, EmptyBodyStillGetsHeaderStreamAndChecksumOne) {
  const auto empty = DeflateRequestCompressor::deflateBody(Data());
  EXPECT_GT(empty.size(), 6u);
  EXPECT_EQ(lastFour(empty), (std::vector<std::uint8_t>{0, 0, 0, 1}));
  EXPECT_EQ(inflate(empty), "");

  const auto adapted = adaptNow(DeflateRequestCompressor(), postWithBody(Data()));
  ASSERT_TRUE(adapted);
  EXPECT_EQ(*adapted->httpBody(), empty);
  EXPECT_EQ(adapted->valueForHTTPHeaderField("Content-Encoding"), "deflate");
}

TEST(DeflateRequestCompressor, CompressesTheBodyAndMarksTheEncoding) {
  const auto original = postWithBody(Data("{\"name\":\"value\"}"), std::pair{"Content-Type", "application/json"});
  const auto adapted = adaptNow(DeflateRequestCompressor(), original);
  ASSERT_TRUE(adapted);
  EXPECT_EQ(inflate(*adapted->httpBody()), "{\"name\":\"value\"}");
  EXPECT_EQ(adapted->valueForHTTPHeaderField("Content-Encoding"), "deflate");
  EXPECT_EQ(adapted->valueForHTTPHeaderField("Content-Type"), "application/json");
  EXPECT_EQ(adapted->url(), original.url());
  EXPECT_EQ(adapted->httpMethod(), original.httpMethod());
}

TEST(DeflateRequestCompressor, RequestsLeftAlonePassUnchanged) {
  const auto encoded = std::pair{"Content-Encoding", "br"};
  const auto declining = DeflateRequestCompressor(Behavior::error, [](const Data&) { return false; });
  for (const auto& [compressor, request] : std::vector<std::pair<DeflateRequestCompressor, URLRequest>>{
           {DeflateRequestCompressor(), postWithBody(std::nullopt, encoded)},
           {declining, postWithBody(Data("body"), encoded)},
           {DeflateRequestCompressor(Behavior::skip), postWithBody(Data("body"), encoded)},
       }) {
    const auto adapted = adaptNow(compressor, request);
    ASSERT_TRUE(adapted);
    EXPECT_EQ(*adapted, request);
  }
}

TEST(DeflateRequestCompressor, ExistingEncodingInAnyCaseFailsByDefaultOrIsReplaced) {
  const auto request = postWithBody(Data("body"), std::pair{"content-ENCODING", "gzip"});
  const auto failed = adaptNow(DeflateRequestCompressor(), request);
  ASSERT_FALSE(failed);
  EXPECT_NE(platform::errorAs<DeflateRequestCompressor::DuplicateHeaderError>(failed.error()), nullptr);

  const auto replaced = adaptNow(DeflateRequestCompressor(Behavior::replace), request);
  ASSERT_TRUE(replaced);
  EXPECT_EQ(inflate(*replaced->httpBody()), "body");
  const auto& fields = *replaced->allHTTPHeaderFields();
  const auto names = [&] {
    std::vector<std::string> found;
    for (const auto& [name, value] : fields) found.push_back(name + ": " + value);
    return found;
  }();
  EXPECT_EQ(names, std::vector<std::string>{"Content-Encoding: deflate"});
}

