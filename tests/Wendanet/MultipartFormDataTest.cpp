#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "Platform/Files/FileError.h"
#include "Wendanet/Source/Support/MultipartFormData.h"
#include "Wendanet/Source/Support/MultipartStreams.h"
#include "Wendanet/Source/Support/OutputStreamStalled.h"
#include "tests/Platform/ScratchDirectory.h"

using namespace wendanet;
using platform::Data;
using platform::FileManager;
using platform::URL;
using Reason = MultipartEncodingFailureReason;
namespace fs = std::filesystem;

namespace {

template <class Action>
WNError thrownWNError(Action&& action) {
  try {
    action();
  } catch (const WNError& error) {
    return error;
  }
  ADD_FAILURE() << "no WNError was thrown";
  return WNError::explicitlyCancelled();
}

template <class Case>
const Case* reason(const WNError& error) {
  const auto* failed = std::get_if<WNError::MultipartEncodingFailed>(&error.value());
  return failed ? std::get_if<Case>(&failed->reason.value()) : nullptr;
}

const UnexpectedInputStreamLength* unexpectedLength(const WNError& error) {
  const auto* failed = reason<Reason::InputStreamReadFailed>(error);
  return failed ? platform::errorAs<UnexpectedInputStreamLength>(failed->error) : nullptr;
}

std::shared_ptr<MultipartFormData> formWithBoundary(
    std::shared_ptr<FileManager> manager = FileManager::defaultManager()) {
  return MultipartFormData::make(std::move(manager), "B");
}

URL fileURL(const fs::path& path) { return URL::fileURL(path.string()); }

// Never sees an item on disk, as when one appears right after the check.
class BlindFileManager final : public FileManager {
 public:
  std::optional<platform::FileType> typeOfItem(const fs::path&) const override { return std::nullopt; }
};

// Takes no bytes and reports no failure, as a stuck sink would.
class StuckOutputStream final : public platform::OutputStream {
  std::expected<void, platform::AnyError> openResource() override { return {}; }
  void closeResource() override {}
  std::expected<std::size_t, platform::AnyError> writeBytes(const std::uint8_t*, std::size_t) override { return 0; }
};

}  // namespace

TEST(MultipartFormData, EncodesPartsByteForByte) {
  auto form = formWithBoundary();
  EXPECT_TRUE(form->encode().empty());
  form->append(Data("abc"), "file");
  EXPECT_EQ(form->encode().toString(), "--B\r\nContent-Disposition: form-data; name=\"file\"\r\n\r\nabc\r\n--B--\r\n");

  auto twoParts = formWithBoundary();
  twoParts->append(Data("abc"), "file");
  twoParts->append(Data("xyz"), "b", "f.txt", "text/plain");
  EXPECT_EQ(twoParts->encode().toString(),
            "--B\r\nContent-Disposition: form-data; name=\"file\"\r\n\r\nabc\r\n--B\r\n"
            "Content-Disposition: form-data; name=\"b\"; filename=\"f.txt\"\r\nContent-Type: text/plain\r\n\r\nxyz"
            "\r\n--B--\r\n");
}

TEST(MultipartFormData, FileHoldsTheSameBytesAsMemory) {
  ScratchDirectory scratch;
  formWithBoundary()->writeEncodedData(fileURL(scratch / "empty"));
  EXPECT_TRUE(fs::exists(scratch / "empty") && fs::file_size(scratch / "empty") == 0);

  const auto source = scratch.write("notes.txt", std::string(3000, 'n'));
  const auto filled = [&] {
    auto form = formWithBoundary();
    form->append(Data("abc"), "file");
    form->append(fileURL(source), "notes");
    form->append(platform::InputStream::fromData(Data(std::string(2500, 's'))), 2500, "s", "s.bin", "x/s");
    return form;
  };
  filled()->writeEncodedData(fileURL(scratch / "body"));
  EXPECT_EQ(readWholeFile(scratch / "body"), filled()->encode().toString());
}

TEST(MultipartFormData, EncodedLengthIsTheSizeOfTheBody) {
  EXPECT_EQ(formWithBoundary()->encodedContentLength(), 0u);
  for (const std::size_t parts : {1, 3}) {
    auto form = formWithBoundary();
    form->append(Data("abc"), "file");
    if (parts == 3) {
      form->append(platform::InputStream::fromData(Data("0123456789")), 10, "s", "s\".bin", "x/s");
      form->append(Data("xyz"), "b", "f.txt", "text/plain");
    }
    const auto length = form->encodedContentLength();
    EXPECT_EQ(length, form->encode().size()) << parts;
  }
}

TEST(MultipartFormData, BoundaryContentTypeAndLength) {
  // ^wendanet\.boundary\.[0-9a-f]{16}$
  const auto hasBoundaryShape = [](std::string_view boundary) {
    constexpr std::string_view prefix = "wendanet.boundary.";
    return boundary.size() == prefix.size() + 16 && boundary.starts_with(prefix) &&
           boundary.find_first_not_of("0123456789abcdef", prefix.size()) == std::string_view::npos;
  };
  auto form = MultipartFormData::make();
  EXPECT_TRUE(hasBoundaryShape(form->boundary())) << form->boundary();
  EXPECT_NE(form->boundary(), MultipartFormData::make()->boundary());
  EXPECT_EQ(form->contentType(), "multipart/form-data; boundary=" + form->boundary());

  // Only the declared bodies count, not boundaries or headers.
  form->append(Data("abc"), "a", "a.txt", "text/plain");
  form->append(platform::InputStream::fromData(Data("0123456789")), 10, HTTPHeaders{});
  EXPECT_EQ(form->contentLength(), 13u);
}

TEST(MultipartFormData, NamesCannotBreakOutOfTheirHeader) {
  ScratchDirectory scratch;
  auto form = formWithBoundary();
  form->append(Data(""), "a\"b\r\nX-Injected: 1", "c\n.txt");
  form->append(fileURL(scratch.write("say \"hi\".txt", "hello")), "doc");
  form->append(fileURL(scratch.write("blob.zzqx", "?")), "caf\xC3\xA9\\");
  // A MIME type a person typed is part of a header line too.
  form->append(Data("m"), "typed", std::string("m.txt"), std::string("text/plain\r\nX-Injected-Mime: 1\n"));
  const auto body = form->encode().toString();
  EXPECT_EQ(body.find("\r\nX-Injected"), std::string::npos);
  EXPECT_EQ(body.find("\nX-Injected"), std::string::npos);
  for (const auto* expected :
       {"name=\"a%22b%0D%0AX-Injected: 1\"; filename=\"c%0A.txt\"\r\n\r\n",
        "name=\"doc\"; filename=\"say %22hi%22.txt\"\r\nContent-Type: text/plain\r\n\r\nhello",
        // Backslashes and non-ASCII text stay as given.
        "name=\"caf\xC3\xA9\\\"; filename=\"blob.zzqx\"\r\nContent-Type: application/octet-stream",
        "Content-Type: text/plain%0D%0AX-Injected-Mime: 1%0A\r\n\r\nm"}) {
    EXPECT_NE(body.find(expected), std::string::npos) << expected << "\nin\n" << body;
  }
}

// A NUL ends the header text for many a reader: it is encoded like a line
// break.
TEST(MultipartFormData, ANulInANameOrTypeIsEncoded) {
  auto form = formWithBoundary();
  const std::string nul(1, '\0');
  form->append(Data("n"), "a" + nul + "b", "c" + nul + ".txt", "text/plain" + nul + "x");
  const auto body = form->encode().toString();
  const auto headerBlock = body.substr(0, body.find("\r\n\r\nn"));
  EXPECT_EQ(headerBlock.find('\0'), std::string::npos);
  EXPECT_NE(headerBlock.find("name=\"a%00b\"; filename=\"c%00.txt\"\r\nContent-Type: text/plain%00x"), std::string::npos)
      << headerBlock;
}

TEST(MultipartFormData, FirstRecordedFailureWinsAndNothingIsTouched) {
  ScratchDirectory scratch;
  auto form = formWithBoundary();
  form->append(*URL::string("https://h/x"), "f", "x", "text/plain");
  form->append(fileURL(scratch.path()), "dir", "d", "text/plain");
  form->append(Data("abc"), "later");
  ASSERT_EQ(form->bodyParts().size(), 1u);

  const auto expected = "The URL provided is not a file URL: https://h/x";
  EXPECT_EQ(thrownWNError([&] { form->encode(); }).errorDescription(), expected);
  EXPECT_EQ(thrownWNError([&] { form->writeEncodedData(fileURL(scratch / "out")); }).errorDescription(), expected);
  EXPECT_EQ(form->bodyParts()[0]->bodyStream->streamStatus(), platform::StreamStatus::notOpen);
  EXPECT_FALSE(fs::exists(scratch / "out"));
}

TEST(MultipartFormData, FileChecksRecordTheirReasons) {
  ScratchDirectory scratch;
  fs::create_directory(scratch / "dir.d");
  const auto failure = [](const URL& url) {
    auto form = formWithBoundary();
    form->append(url, "f");
    EXPECT_TRUE(form->bodyParts().empty());
    return form->bodyPartError().value();
  };
  const auto missing = failure(fileURL(scratch / "missing.txt"));
  ASSERT_TRUE(reason<Reason::BodyPartFileNotReachableWithError>(missing));
  EXPECT_TRUE(
      platform::errorAs<platform::FileError>(reason<Reason::BodyPartFileNotReachableWithError>(missing)->error));
  EXPECT_TRUE(reason<Reason::BodyPartFilenameInvalid>(failure(fileURL(scratch.write("README", "")))));
  EXPECT_TRUE(reason<Reason::BodyPartFileIsDirectory>(failure(fileURL(scratch / "dir.d"))));
}

TEST(MultipartFormData, ShortStreamFailsBothWaysAndLongStreamOnlyInMemory) {
  ScratchDirectory scratch;
  const auto formWithStream = [](const char* bytes, std::uint64_t declared) {
    auto form = formWithBoundary();
    form->append(platform::InputStream::fromData(Data(bytes)), declared, HTTPHeaders{});
    return form;
  };
  const auto inMemory = thrownWNError([&] { formWithStream("abcd", 10)->encode(); });
  const auto toFile = thrownWNError([&] { formWithStream("abcd", 10)->writeEncodedData(fileURL(scratch / "s")); });
  for (const auto& error : {inMemory, toFile}) {
    ASSERT_TRUE(unexpectedLength(error)) << error.errorDescription();
    EXPECT_EQ(unexpectedLength(error)->bytesExpected, 10u);
    EXPECT_EQ(unexpectedLength(error)->bytesRead, 4u);
  }
  EXPECT_EQ(readWholeFile(scratch / "s"), "--B\r\n\r\nabcd");  // left for the caller to remove

  ASSERT_TRUE(unexpectedLength(thrownWNError([&] { formWithStream("abcdef", 3)->encode(); })));
  // The file takes the declared bytes and leaves the rest unread.
  formWithStream("abcdef", 3)->writeEncodedData(fileURL(scratch / "l"));
  EXPECT_EQ(readWholeFile(scratch / "l"), "--B\r\n\r\nabc\r\n--B--\r\n");
}

TEST(MultipartFormData, NeverWritesOverAnExistingItem) {
  ScratchDirectory scratch;
  const auto existing = scratch.write("existing", "keep me");
  EXPECT_EQ(thrownWNError([&] { formWithBoundary()->writeEncodedData(fileURL(existing)); }).errorDescription(),
            "A file already exists at the provided URL: " + fileURL(existing).absoluteString());

  // Items the existence check misses (one that appeared after it, a link
  // to nowhere) are refused all the same.
  auto blind = std::make_shared<BlindFileManager>();
  fs::create_symlink(scratch / "nowhere", scratch / "link");
  for (const auto& path : {existing, scratch / "link"}) {
    auto form = formWithBoundary(blind);
    form->append(Data("abc"), "file");
    EXPECT_TRUE(
        reason<Reason::OutputStreamFileAlreadyExists>(thrownWNError([&] { form->writeEncodedData(fileURL(path)); })));
  }
  EXPECT_EQ(readWholeFile(existing), "keep me");
  EXPECT_FALSE(fs::exists(scratch / "nowhere"));

  EXPECT_EQ(
      thrownWNError([&] { formWithBoundary()->writeEncodedData(*URL::string("https://h/x")); }).errorDescription(),
      "The provided OutputStream URL is invalid: https://h/x");
  EXPECT_TRUE(reason<Reason::OutputStreamCreationFailed>(
      thrownWNError([&] { formWithBoundary()->writeEncodedData(fileURL(scratch / "no-dir" / "out")); })));
}

TEST(MultipartFormData, WriteThatMovesNothingFailsInsteadOfSpinning) {
  const std::uint8_t bytes[] = {1, 2, 3};
  StuckOutputStream stuck;
  stuck.open();
  const auto error = thrownWNError([&] { writeAllBytes(stuck, bytes); });
  ASSERT_TRUE(reason<Reason::OutputStreamWriteFailed>(error));
  EXPECT_TRUE(platform::errorAs<OutputStreamStalled>(reason<Reason::OutputStreamWriteFailed>(error)->error));

  // A closed stream has no space; its bytes are not dropped silently.
  stuck.close();
  EXPECT_TRUE(reason<Reason::OutputStreamWriteFailed>(thrownWNError([&] { writeAllBytes(stuck, bytes); })));
}
