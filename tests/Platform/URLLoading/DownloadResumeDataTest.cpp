#include <gtest/gtest.h>

#include "Platform/Coding/JSONSerialization.h"
#include "Platform/URLLoading/Engine/DownloadResumeData.h"
#include "Platform/URLLoading/ResumeDataError.h"

using namespace platform;

namespace {

const DownloadResumeData sample{*URL::string("http://127.0.0.1/files/big?x=1"), "W/\"weak\"",
                                "Tue, 01 Apr 2025 10:00:00 GMT", "/tmp/WendaloreDownload-1.tmp", 1234};

// The sample's encoding with one field replaced, or removed when null.
Data sampleWith(std::string_view key, const JSONValue& value) {
  auto root = JSONSerialization::jsonObject(sample.encoded());
  JSONObject changed;
  for (const auto& [name, old] : *root.as<JSONObject>()) {
    if (name != key) changed.set(name, old);
  }
  if (!value.isNull()) changed.set(std::string(key), value);
  return JSONSerialization::data(JSONValue(std::move(changed)));
}

}  // namespace

TEST(DownloadResumeData, ReadsBackWhatItWroteAndAsksForTheRestOnlyIfUnchanged) {
  const auto decoded = DownloadResumeData::decode(sample.encoded());
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->encoded(), sample.encoded());

  const auto request = sample.request();
  EXPECT_EQ(request.url(), sample.url);
  EXPECT_EQ(request.valueForHTTPHeaderField("Range"), "bytes=1234-");
  // A weak tag cannot vouch for the bytes; the date can.
  EXPECT_EQ(request.valueForHTTPHeaderField("If-Range"), sample.lastModified);
  EXPECT_EQ(request.valueForHTTPHeaderField("Accept-Encoding"), "identity");
  auto strong = sample;
  strong.entityTag = "\"v2\"";
  EXPECT_EQ(strong.request().valueForHTTPHeaderField("If-Range"), "\"v2\"");
}

TEST(DownloadResumeData, RefusesDataItCannotTrustAndSaysWhy) {
  const std::vector<std::pair<Data, std::string>> cases = {
      {Data("bplist00 not ours"), "not in this system's format"},
      {Data(R"({"url":"http://127.0.0.1/","offset":3})"), "not in this system's format"},
      {sampleWith("version", 2), "version of this system"},
      {sampleWith("url", "file:///etc/passwd"), "\"file:///etc/passwd\" is not an HTTP URL"},
      {sampleWith("url", nullptr), "has no url"},
      {sampleWith("lastModified", "today\r\nX-Injected: 1"), "lastModified holds a line break"},
      {sampleWith("entityTag", 7), "entityTag is a number, not text"},
      {sampleWith("temporaryPath", "WendaloreDownload-1.tmp"), "not named by an absolute path"},
      {sampleWith("offset", -1), "no byte count"},
      {sampleWith("offset", 1.5), "no byte count"},
      {sampleWith("lastModified", nullptr), "nothing that tells whether the resource changed"},
  };
  for (const auto& [data, reason] : cases) {
    const auto decoded = DownloadResumeData::decode(data);
    ASSERT_FALSE(decoded) << reason;
    const auto* error = errorAs<ResumeDataError>(decoded.error());
    ASSERT_TRUE(error) << reason;
    EXPECT_NE(error->description().find(reason), std::string::npos) << error->description();
  }
}
