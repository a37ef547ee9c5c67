#include <gtest/gtest.h>

#include "Platform/URLLoading/Engine/DownloadSink.h"
#include "tests/Platform/ScratchDirectory.h"

using namespace platform;
namespace fs = std::filesystem;

namespace {

const URL resource = *URL::string("http://127.0.0.1/file");
const URLRequest get(resource);

std::shared_ptr<HTTPURLResponse> response(int status, HTTPHeaderFields fields = {{"ETag", "\"v1\""}}) {
  return HTTPURLResponse::make(resource, status, fields);
}

int codeOf(const AnyError& error) { return static_cast<int>(errorAs<URLError>(error)->code()); }

class DownloadSinkTest : public testing::Test {
 protected:
  // What an earlier download left: a partial file and its resume data.
  DownloadResumeData partial(std::string_view bytes) {
    auto file = DownloadFile::create(directory.path());
    EXPECT_TRUE(file && file->append(bytes.data(), bytes.size()));
    file->keep();
    return {resource, "\"v1\"", std::nullopt, file->path(), static_cast<std::int64_t>(bytes.size())};
  }

  void write(DownloadSink& sink, std::string_view bytes) { ASSERT_TRUE(sink.write(bytes.data(), bytes.size())); }

  ScratchDirectory directory;
};

}  // namespace

TEST_F(DownloadSinkTest, EachFinalResponseWritesTheFileFromItsStart) {
  DownloadSink sink(std::nullopt, directory.path());
  ASSERT_TRUE(sink.prepare());
  EXPECT_EQ(sink.begin(get, *response(401)), std::nullopt);
  write(sink, "denied");
  ASSERT_TRUE(sink.begin(get, *response(200, {{"Content-Length", "5"}})));
  EXPECT_EQ(sink.expectedTotal(), 5);
  write(sink, "he");
  write(sink, "llo");
  EXPECT_EQ(sink.takeUnreported(), 5);
  EXPECT_EQ(sink.totalWritten(), 5);

  const auto file = sink.takeFile();
  EXPECT_EQ(readWholeFile(file->path()), "hello");
  EXPECT_FALSE(sink.keepForResuming()) << "the file is handed over";
}

TEST_F(DownloadSinkTest, ResumedDownloadAppendsExactlyTheRestItAskedFor) {
  const auto origin = partial("abc");
  DownloadSink sink(origin, directory.path());
  ASSERT_TRUE(sink.prepare());
  EXPECT_FALSE(fs::exists(origin.temporaryPath)) << "taken over under a name of its own";

  const auto rest = response(206, {{"Content-Range", "bytes 3-5/6"}, {"Content-Length", "3"}});
  const auto resumption = sink.begin(get, *rest);
  ASSERT_TRUE(resumption && *resumption);
  EXPECT_EQ((*resumption)->offset, 3);
  EXPECT_EQ((*resumption)->expectedTotal, 6);
  write(sink, "de");

  // The rest repeats no validator: the ones of the start still hold.
  const auto kept = DownloadResumeData::decode(*sink.keepForResuming());
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->offset, 5);
  EXPECT_EQ(kept->entityTag, "\"v1\"");
  EXPECT_EQ(readWholeFile(kept->temporaryPath), "abcde");
  fs::remove(kept->temporaryPath);
}

TEST_F(DownloadSinkTest, APartThatDoesNotContinueThePartialFileFailsIt) {
  for (const HTTPHeaderFields& fields :
       {HTTPHeaderFields{{"Content-Range", "bytes 0-4/5"}},
        HTTPHeaderFields{{"Content-Range", "bytes 5-9/10"}, {"Content-Encoding", "gzip"}}, HTTPHeaderFields{}}) {
    DownloadSink sink(partial("12345"), directory.path());
    ASSERT_TRUE(sink.prepare());
    const auto begun = sink.begin(get, *response(206, fields));
    ASSERT_FALSE(begun);
    EXPECT_EQ(codeOf(begun.error()), -1011);
    EXPECT_FALSE(sink.write("x", 1));
    EXPECT_FALSE(sink.keepForResuming());
  }
  EXPECT_TRUE(fs::is_empty(directory.path())) << "failed files are gone";
}

TEST_F(DownloadSinkTest, OnlyAWholeUnencodedGetWithAStrongValidatorCanGoOnLater) {
  URLRequest post(resource);
  post.setHTTPMethod("POST");
  const std::vector<std::tuple<URLRequest, std::shared_ptr<HTTPURLResponse>, bool>> cases = {
      {get, response(200, {{"Last-Modified", "Tue, 01 Apr 2025 10:00:00 GMT"}}), true},
      {get, response(200, {{"ETag", "W/\"v1\""}}), false},
      {post, response(200), false},
      {get, response(200, {{"ETag", "\"v1\""}, {"Content-Encoding", "br"}}), false},
      {get, response(404), false},
      {get, response(206, {{"ETag", "\"v1\""}, {"Content-Range", "bytes 0-0/9"}}), false},
  };
  for (const auto& [request, answer, resumable] : cases) {
    DownloadSink sink(std::nullopt, directory.path());
    ASSERT_TRUE(sink.begin(request, *answer));
    const auto resumeData = sink.keepForResuming();
    EXPECT_EQ(resumeData.has_value(), resumable) << answer->statusCode() << " to " << *request.httpMethod();
    if (resumeData) fs::remove(DownloadResumeData::decode(*resumeData)->temporaryPath);
  }
  EXPECT_TRUE(fs::is_empty(directory.path()));
}

TEST_F(DownloadSinkTest, APartialFileThatCannotBeTakenOverFailsTheTask) {
  const auto outside = directory.write("notes.txt", "keep me");
  auto missing = partial("abc");
  fs::remove(missing.temporaryPath);
  auto shortened = partial("abc");
  shortened.offset = 10;
  const DownloadResumeData elsewhere{resource, "\"v1\"", std::nullopt, outside, 7};
  for (const auto& origin : {elsewhere, missing, shortened}) {
    DownloadSink sink(origin, directory.path());
    const auto prepared = sink.prepare();
    ASSERT_FALSE(prepared);
    EXPECT_EQ(codeOf(prepared.error()), -3001) << prepared.error()->description();
    EXPECT_FALSE(sink.keepForResuming());
  }
  EXPECT_EQ(readWholeFile(outside), "keep me");
  fs::remove(outside);
  EXPECT_TRUE(fs::is_empty(directory.path())) << "a partial file of the wrong length is dropped";
}
