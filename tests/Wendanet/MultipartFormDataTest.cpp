#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "Platform/Files/FileError.h"
#include "Wendanet/Source/Support/MultipartFormData.h"
#include "tests/Platform/ScratchDirectory.h"
#include "tests/Wendanet/MultipartTesting.h"
#include "tests/Wendanet/TestErrors.h"

using namespace wendanet;
using namespace wendanet::testing;
using platform::Data;
using platform::FileManager;
using platform::InputStream;
using platform::URL;
using Reason = MultipartEncodingFailureReason;
namespace fs = std::filesystem;

namespace {

std::shared_ptr<MultipartFormData> formWithBoundary(
    std::shared_ptr<FileManager> fileManager = FileManager::defaultManager()) {
  return MultipartFormData::make(std::move(fileManager), "B");
}

URL fileURL(const fs::path& path) { return URL::fileURL(path.string()); }
URL webURL() { return *URL::string("https://h/x"); }

// Answers like the real manager except where a test says otherwise.
class StubFileManager final : public FileManager {
 public:
  bool reachable = true;
  bool sizeQueryFails = false;
  bool hasSize = true;
  bool seesFiles = true;

  bool checkPromisedItemIsReachable(const fs::path& path) const override {
    return reachable && FileManager::checkPromisedItemIsReachable(path);
  }
  platform::FileAttributes attributesOfItem(const fs::path& path) const override {
    if (sizeQueryFails) throw TestError(3);
    auto attributes = FileManager::attributesOfItem(path);
    if (!hasSize) attributes.size.reset();
    return attributes;
  }
  std::optional<platform::FileType> typeOfItem(const fs::path& path) const override {
    return seesFiles ? FileManager::typeOfItem(path) : std::nullopt;
  }
};

const std::string twoPartBody =
    "--B\r\nContent-Disposition: form-data; name=\"file\"\r\n\r\nabc"
    "\r\n--B\r\nContent-Disposition: form-data; name=\"b\"; filename=\"f.txt\"\r\nContent-Type: text/plain\r\n\r\nxyz"
    "\r\n--B--\r\n";

}  // namespace

TEST(MultipartFormData, EncodesPartsByteForByte) {
  auto form = formWithBoundary();
  form->append(Data("abc"), "file");
  EXPECT_EQ(form->encode().toString(), "--B\r\nContent-Disposition: form-data; name=\"file\"\r\n\r\nabc\r\n--B--\r\n");

  auto twoParts = formWithBoundary();
  twoParts->append(Data("abc"), "file");
  twoParts->append(Data("xyz"), "b", "f.txt", "text/plain");
  EXPECT_EQ(twoParts->encode().toString(), twoPartBody);
}

TEST(MultipartFormData, EmptyFormGivesNoBytesAndAnEmptyFile) {
  ScratchDirectory scratch;
  EXPECT_TRUE(formWithBoundary()->encode().empty());
  formWithBoundary()->writeEncodedData(fileURL(scratch / "empty"));
  ASSERT_TRUE(fs::exists(scratch / "empty"));
  EXPECT_EQ(fs::file_size(scratch / "empty"), 0u);
}

TEST(MultipartFormData, FileHoldsTheSameBytesAsMemory) {
  ScratchDirectory scratch;
  const auto source = scratch.write("notes.txt", std::string(3000, 'n'));
  const auto fill = [&](MultipartFormData& form) {
    form.append(Data("abc"), "file");
    form.append(fileURL(source), "notes");
    form.append(InputStream::fromData(Data(std::string(2500, 's'))), 2500, "stream", "s.bin", "application/x-s");
  };
  auto inMemory = formWithBoundary();
  fill(*inMemory);
  auto toFile = formWithBoundary();
  fill(*toFile);

  toFile->writeEncodedData(fileURL(scratch / "body"));
  EXPECT_EQ(readWholeFile(scratch / "body"), inMemory->encode().toString());
}

TEST(MultipartFormData, BoundaryContentTypeAndLength) {
  const std::regex shape("^wendanet\\.boundary\\.[0-9a-f]{16}$");
  auto first = MultipartFormData::make();
  auto second = MultipartFormData::make();
  EXPECT_TRUE(std::regex_match(first->boundary(), shape)) << first->boundary();
  EXPECT_NE(first->boundary(), second->boundary());
  EXPECT_EQ(first->contentType(), "multipart/form-data; boundary=" + first->boundary());

  first->setContentType("multipart/mixed; boundary=x");
  EXPECT_EQ(first->contentType(), "multipart/mixed; boundary=x");

  // Only the declared bodies count, not boundaries or headers.
  first->append(Data("abc"), "a", "a.txt", "text/plain");
  first->append(InputStream::fromData(Data("0123456789")), 10, HTTPHeaders{});
  EXPECT_EQ(first->contentLength(), 13u);
}

TEST(MultipartFormData, NamesCannotBreakOutOfTheirHeader) {
  auto form = formWithBoundary();
  form->append(Data(""), "a\"b\r\nX-Injected: 1", "say \"hi\"\n.txt");
  form->append(Data(""), "caf\xC3\xA9\\");
  const auto body = form->encode().toString();
  EXPECT_NE(body.find("Content-Disposition: form-data; name=\"a%22b%0D%0AX-Injected: 1\"; "
                      "filename=\"say %22hi%22%0A.txt\"\r\n\r\n"),
            std::string::npos)
      << body;
  EXPECT_EQ(body.find("\r\nX-Injected"), std::string::npos);
  // Backslashes and non-ASCII text stay as given.
  EXPECT_NE(body.find("name=\"caf\xC3\xA9\\\"\r\n"), std::string::npos) << body;
}

TEST(MultipartFormData, FileByURLTakesItsNameAndType) {
  ScratchDirectory scratch;
  auto form = formWithBoundary();
  form->append(fileURL(scratch.write("say \"hi\".txt", "hello")), "doc");
  form->append(fileURL(scratch.write("blob.zzqx", "?")), "blob");
  const auto body = form->encode().toString();
  EXPECT_NE(body.find("name=\"doc\"; filename=\"say %22hi%22.txt\"\r\nContent-Type: text/plain\r\n\r\nhello"),
            std::string::npos)
      << body;
  EXPECT_NE(body.find("filename=\"blob.zzqx\"\r\nContent-Type: application/octet-stream\r\n\r\n?"), std::string::npos)
      << body;
}

TEST(MultipartFormData, FirstRecordedFailureWinsAndNoPartIsAdded) {
  ScratchDirectory scratch;
  auto form = formWithBoundary();
  form->append(webURL(), "f", "x", "text/plain");
  form->append(fileURL(scratch.path()), "dir", "d", "text/plain");
  form->append(Data("abc"), "later");
  ASSERT_EQ(form->bodyParts().size(), 1u);

  const auto expected = "The URL provided is not a file URL: https://h/x";
  EXPECT_EQ(thrownWNError([&] { form->encode(); }).errorDescription(), expected);
  EXPECT_EQ(thrownWNError([&] { form->writeEncodedData(fileURL(scratch / "out")); }).errorDescription(), expected);
  // Raised before any stream or file is touched.
  EXPECT_EQ(form->bodyParts()[0]->bodyStream->streamStatus(), platform::StreamStatus::notOpen);
  EXPECT_FALSE(fs::exists(scratch / "out"));
}

TEST(MultipartFormData, FileChecksRecordTheirReasons) {
  ScratchDirectory scratch;
  const auto file = fileURL(scratch.write("a.txt", "abc"));
  fs::create_directory(scratch / "dir.d");
  const auto failureOf = [](std::shared_ptr<FileManager> manager, const URL& url) {
    auto form = MultipartFormData::make(std::move(manager), "B");
    form->append(url, "f");
    EXPECT_TRUE(form->bodyParts().empty());
    return form->bodyPartError().value();
  };
  const auto stub = [](auto change) {
    auto manager = std::make_shared<StubFileManager>();
    change(*manager);
    return manager;
  };

  auto missing = failureOf(FileManager::defaultManager(), fileURL(scratch / "missing.txt"));
  const auto* unreachable = multipartReason<Reason::BodyPartFileNotReachableWithError>(missing);
  ASSERT_NE(unreachable, nullptr);
  EXPECT_TRUE(platform::errorAs<platform::FileError>(unreachable->error));

  EXPECT_TRUE(multipartReason<Reason::BodyPartFilenameInvalid>(
      failureOf(FileManager::defaultManager(), fileURL(scratch.write("README", "")))));
  EXPECT_TRUE(multipartReason<Reason::BodyPartFileIsDirectory>(
      failureOf(FileManager::defaultManager(), fileURL(scratch.path() / "dir.d"))));
  EXPECT_TRUE(
      multipartReason<Reason::BodyPartFileNotReachable>(failureOf(stub([](auto& m) { m.reachable = false; }), file)));
  EXPECT_TRUE(
      multipartReason<Reason::BodyPartFileIsDirectory>(failureOf(stub([](auto& m) { m.seesFiles = false; }), file)));
  EXPECT_TRUE(
      multipartReason<Reason::BodyPartFileSizeNotAvailable>(failureOf(stub([](auto& m) { m.hasSize = false; }), file)));
  EXPECT_TRUE(multipartReason<Reason::BodyPartFileSizeQueryFailedWithError>(
      failureOf(stub([](auto& m) { m.sizeQueryFails = true; }), file)));
}

TEST(MultipartFormData, StreamShorterThanDeclaredFailsBothEncodings) {
  ScratchDirectory scratch;
  const auto shortForm = [] {
    auto form = formWithBoundary();
    form->append(InputStream::fromData(Data("abcd")), 10, HTTPHeaders{});
    return form;
  };
  for (const auto& error : {thrownWNError([&] { shortForm()->encode(); }),
                            thrownWNError([&] { shortForm()->writeEncodedData(fileURL(scratch / "short")); })}) {
    const auto* length = unexpectedLength(error);
    ASSERT_NE(length, nullptr) << error.errorDescription();
    EXPECT_EQ(length->bytesExpected, 10u);
    EXPECT_EQ(length->bytesRead, 4u);
  }
  // What the stream gave stays in the file for the caller to remove.
  EXPECT_EQ(readWholeFile(scratch / "short"), "--B\r\n\r\nabcd");
}

TEST(MultipartFormData, StreamLongerThanDeclared) {
  ScratchDirectory scratch;
  const auto longForm = [] {
    auto form = formWithBoundary();
    form->append(InputStream::fromData(Data("abcdef")), 3, HTTPHeaders{});
    return form;
  };
  const auto error = thrownWNError([&] { longForm()->encode(); });
  ASSERT_NE(unexpectedLength(error), nullptr);
  EXPECT_EQ(unexpectedLength(error)->bytesRead, 6u);

  // The file path takes the declared bytes and leaves the rest unread.
  longForm()->writeEncodedData(fileURL(scratch / "long"));
  EXPECT_EQ(readWholeFile(scratch / "long"), "--B\r\n\r\nabc\r\n--B--\r\n");
}

TEST(MultipartFormData, StreamFailuresCarryTheStreamsError) {
  ScratchDirectory scratch;
  const auto failingForm = [] {
    auto form = formWithBoundary();
    form->append(std::make_shared<FailingInputStream>(std::string(1500, 'x'), testError(5)), 4000, HTTPHeaders{});
    return form;
  };
  for (const auto& error : {thrownWNError([&] { failingForm()->encode(); }),
                            thrownWNError([&] { failingForm()->writeEncodedData(fileURL(scratch / "failed")); })}) {
    const auto* failed = multipartReason<Reason::InputStreamReadFailed>(error);
    ASSERT_NE(failed, nullptr);
    EXPECT_EQ(platform::errorAs<TestError>(failed->error)->code(), 5);
  }

  // A file that went away after it was added fails when it is read.
  auto form = formWithBoundary();
  form->append(fileURL(scratch.write("gone.txt", "abc")), "f");
  fs::remove(scratch / "gone.txt");
  const auto gone = thrownWNError([&] { form->encode(); });
  const auto* failed = multipartReason<Reason::InputStreamReadFailed>(gone);
  ASSERT_NE(failed, nullptr);
  EXPECT_TRUE(platform::errorAs<platform::FileError>(failed->error));
}

TEST(MultipartFormData, NeverWritesOverAnExistingItem) {
  ScratchDirectory scratch;
  const auto existing = scratch.write("existing", "keep me");
  const auto form = [](std::shared_ptr<FileManager> manager = FileManager::defaultManager()) {
    auto made = MultipartFormData::make(std::move(manager), "B");
    made->append(Data("abc"), "file");
    return made;
  };
  EXPECT_EQ(thrownWNError([&] { form()->writeEncodedData(fileURL(existing)); }).errorDescription(),
            "A file already exists at the provided URL: " + fileURL(existing).absoluteString());

  // Items the existence check misses (one that appears after it, a link
  // to nowhere) are refused all the same.
  auto blind = std::make_shared<StubFileManager>();
  blind->seesFiles = false;
  fs::create_symlink(scratch / "nowhere", scratch / "link");
  for (const auto& path : {existing, scratch / "link"}) {
    EXPECT_TRUE(multipartReason<Reason::OutputStreamFileAlreadyExists>(
        thrownWNError([&] { form(blind)->writeEncodedData(fileURL(path)); })));
  }
  EXPECT_EQ(readWholeFile(existing), "keep me");
  EXPECT_FALSE(fs::exists(scratch / "nowhere"));
}

TEST(MultipartFormData, WriteRefusesUnusableDestinations) {
  ScratchDirectory scratch;
  auto form = formWithBoundary();
  EXPECT_EQ(thrownWNError([&] { form->writeEncodedData(webURL()); }).errorDescription(),
            "The provided OutputStream URL is invalid: https://h/x");
  EXPECT_TRUE(multipartReason<Reason::OutputStreamCreationFailed>(
      thrownWNError([&] { form->writeEncodedData(fileURL(scratch / "no-such-dir" / "out")); })));
}
