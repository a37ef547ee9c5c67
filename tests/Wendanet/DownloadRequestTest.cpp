#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include "Platform/Files/FileError.h"
#include "Platform/Foundation/URLError.h"
#include "Platform/URLLoading/Engine/DownloadFile.h"
#include "Platform/URLLoading/Engine/DownloadResumeData.h"
#include "Platform/URLLoading/URLSessionConfiguration.h"
#include "Wendanet/Source/Core/DownloadRequest.h"
#include "tests/Wendanet/DownloadRequestFixture.h"
#include "tests/Wendanet/TestErrors.h"

using namespace wendanet;
using namespace wendanet::testing;
using Lines = std::vector<std::string>;
using Options = DownloadRequest::Options;
namespace fs = std::filesystem;

namespace {

// The file-system failure a failed move carries, or "none".
std::string moveFailure(const std::optional<WNError>& error) {
  if (!error) return "none";
  if (!error->isDownloadedFileMoveFailed()) return error->errorDescription();
  const auto underlying = error->getUnderlyingError();
  if (const auto* file = dynamic_cast<const platform::FileError*>(underlying.get())) {
    return file->operation() + " " + std::to_string(file->errorNumber());
  }
  return underlying->description();
}

}  // namespace

TEST_F(DownloadRequestFixture, TheFileIsPutWhereTheDestinationSaysAndNothingIsReplacedUnasked) {
  struct Case {
    const char* name;
    const char* destination;
    Options options;
    // What lies at the destination before: nothing, a file or a directory.
    std::string before;
    std::string failure;
  };
  const std::vector<Case> cases{
      {"a free place", "file.bin", {}, "", "none"},
      {"a missing parent", "sub/dir/file.bin", {}, "", "move 2"},
      {"a missing parent, created", "sub/dir/file.bin", Options::createIntermediateDirectories(), "", "none"},
      {"an existing file", "file.bin", {}, "file", "move 17"},
      {"an existing file, removed", "file.bin", Options::removePreviousFile(), "file", "none"},
      {"a directory, never removed", "file.bin",
       {Options::removePreviousFile(), Options::createIntermediateDirectories()}, "directory", "remove 21"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    const auto target = scratch.path() / test.destination;
    fs::remove_all(scratch.path() / "sub");
    fs::remove_all(target);
    if (test.before == "file") writeFile(target, "previous");
    if (test.before == "directory") {
      fs::create_directory(target);
      writeFile(target / "kept", "kept");
    }
    destination = [&](const auto&, const auto&) {
      return DownloadRequest::DestinationChoice{scratch.url(test.destination), test.options};
    };
    request = makeDownloadRequest();
    runAttempt(200, {}, "new");

    EXPECT_EQ(moveFailure(request->error()), test.failure);
    const bool moved = test.failure == "none";
    EXPECT_EQ(request->fileURL(), moved ? std::optional(scratch.url(test.destination)) : std::nullopt);
    // Whatever was there before stays unless it was to be replaced.
    const std::string expected = moved ? "new" : test.before == "file" ? "previous" : "missing";
    EXPECT_EQ(fileContents(test.before == "directory" ? target / "kept" : target),
              test.before == "directory" ? "kept" : expected);
    if (!moved) {
      EXPECT_EQ(request->error()->getSourceURL(), scratch.url("transfer.tmp"));
      EXPECT_EQ(request->error()->getDestinationURL(), scratch.url(test.destination));
    }
    log->take();
  }
}

TEST_F(DownloadRequestFixture, ADestinationThatIsNoFilePathIsRefusedBeforeTouchingAnything) {
  for (const char* text : {"http://example.com/file.bin", "file:relative/file.bin"}) {
    destination = [&](const auto&, const auto&) {
      return DownloadRequest::DestinationChoice{*platform::URL::string(text),
                                                {Options::createIntermediateDirectories()}};
    };
    request = makeDownloadRequest();
    runAttempt(200, {}, "new");
    EXPECT_EQ(moveFailure(request->error()), "URLError(-1002): The URL is not supported.") << text;
    EXPECT_EQ(request->fileURL(), std::nullopt);
    EXPECT_EQ(fileContents(scratch.path() / "transfer.tmp"), "new") << "the temporary file stays where it was";
  }
}

TEST_F(DownloadRequestFixture, WithoutAnHTTPResponseTheFileLandsBesideTheTemporaryOneUnasked) {
  destination = [](const auto&, const auto&) -> DownloadRequest::DestinationChoice {
    ADD_FAILURE() << "The destination is asked only with a response.";
    return {*platform::URL::string("file:///nowhere"), {}};
  };
  const auto task = startAttempt();
  finishDownload(task, "body");
  EXPECT_EQ(request->fileURL(), scratch.url("Wendanet_transfer.tmp"));
  EXPECT_EQ(fileContents(scratch.path() / "Wendanet_transfer.tmp"), "body");
  EXPECT_EQ(log->take(), (Lines{"destination Wendanet_transfer.tmp", "downloaded Wendanet_transfer.tmp"}));
}

TEST_F(DownloadRequestFixture, TheSuggestedDestinationUsesTheResponsesFileNameInTheStandardDirectory) {
  const auto response = httpResponse(200, {{"Content-Disposition", "attachment; filename=\"../report.pdf\""}});
  const auto temporary = scratch.url("transfer.tmp");
  const auto documents = platform::FileManager::defaultManager()->urls(platform::SearchPathDirectory::documents,
                                                                        platform::SearchPathDomainMask::user);
  ASSERT_FALSE(documents.empty());
  const auto chosen = DownloadRequest::suggestedDownloadDestination(
      platform::SearchPathDirectory::documents, platform::SearchPathDomainMask::user,
      Options::removePreviousFile())(temporary, response);
  // The name cannot climb out of the directory.
  EXPECT_EQ(chosen.destinationURL.path(), (documents.front() / ".._report.pdf").string());
  EXPECT_EQ(chosen.options, Options::removePreviousFile());
  // A domain without standard directories leaves the file where it is.
  const auto none = DownloadRequest::suggestedDownloadDestination(
      platform::SearchPathDirectory::documents, platform::SearchPathDomainMask::system)(temporary, response);
  EXPECT_EQ(none.destinationURL, temporary);
  EXPECT_EQ(none.options, Options());
}

TEST_F(DownloadRequestFixture, ProgressStartsAtTheResumeOffsetAndAddsEachWrite) {
  std::vector<std::int64_t> seen;
  request->setDownloadProgressHandler(platform::DispatchQueue::main(), [&](const platform::Progress& progress) {
    seen.push_back(progress.completedUnitCount());
    EXPECT_EQ(progress.totalUnitCount(), 1000);
  });
  request->updateDownloadProgress(400, 1000);
  settle();
  request->updateDownloadProgress(100, 1000);
  request->updateDownloadProgress(50, 1000);
  settle();
  // Each queued call reads the progress when it runs.
  EXPECT_EQ(seen, (std::vector<std::int64_t>{400, 550, 550}));
}

TEST_F(DownloadRequestFixture, ResumeDataFallsBackToTheErrorsAndAResetClearsTheWholeAttempt) {
  const platform::Data left("left over");
  const platform::URLError lost(platform::URLError::Code::networkConnectionLost, nullptr,
                                {{std::string(platform::URLError::resumeDataKey), left}});
  const auto failure = WNError::sessionTaskFailed(platform::makeError(lost));
  runAttempt(200, {}, "partial", failure);
  EXPECT_EQ(request->resumeData(), left);
  EXPECT_EQ(request->fileURL(), scratch.url("file.bin"));
  onQueue([&] { request->reset(); });
  EXPECT_EQ(request->resumeData(), std::nullopt);
  EXPECT_EQ(request->fileURL(), std::nullopt);
}

TEST_F(DownloadRequestFixture, CancellingWithoutARunningDownloadTaskFinishesAndNeverCallsTheHandler) {
  // A task of another kind, then none at all.
  for (const bool withTask : {true, false}) {
    request = makeDownloadRequest();
    if (withTask) startAttempt();
    log->take();
    request->cancelWithResumeDataHandler([&](const auto&) { log->add("handler"); });
    request->cancelWithResumeDataHandler([&](const auto&) { log->add("second handler"); });
    request->cancel();
    settle();
    EXPECT_EQ(log->take(), (Lines{"didCancel", "delegate cleanup", "didFinish"})) << "with task: " << withTask;
    EXPECT_TRUE(request->isCancelled());
    EXPECT_EQ(request->resumeData(), std::nullopt);
  }
}

namespace {

// A loopback port whose connections the kernel accepts and nobody answers.
class SilentListener {
 public:
  SilentListener() : socket_(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (socket_ < 0 || ::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(socket_, 4) != 0 || ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      ADD_FAILURE() << "No loopback listener";
      return;
    }
    port_ = ntohs(address.sin_port);
  }
  ~SilentListener() {
    if (socket_ >= 0) ::close(socket_);
  }
  SilentListener(const SilentListener&) = delete;
  SilentListener& operator=(const SilentListener&) = delete;

  int port() const { return port_; }

 private:
  int socket_;
  int port_ = 0;
};

}  // namespace

// An unstarted download task made from resume data hands that data back
// when it is cancelled for it.
TEST_F(DownloadRequestFixture, CancellingADownloadTaskKeepsTheResumeDataItHandsBack) {
  const auto directory = platform::FileManager::defaultManager()->temporaryDirectory();
  auto partial = platform::DownloadFile::create(directory);
  ASSERT_TRUE(partial && partial->append("abc", 3));
  partial->keep();
  // Cancelling resumes the task first: its connection must stay pending
  // until the cancel arrives, so the port listens and never answers.
  const SilentListener listener;
  const platform::DownloadResumeData original{
      *platform::URL::string("http://127.0.0.1:" + std::to_string(listener.port()) + "/file"), "\"v1\"",
      std::nullopt, partial->path(), 3};
  const auto session = platform::URLSession::make(platform::URLSessionConfiguration::defaultConfiguration());
  request = makeDownloadRequest(original.encoded());
  const auto task = request->createTaskWithResumeData(original.encoded(), session);
  onQueue([&] { request->didCreateTask(task); });

  std::promise<std::optional<platform::Data>> answered;
  request->cancelWithResumeDataHandler([&](const auto& data) { answered.set_value(data); });
  auto answer = answered.get_future();
  ASSERT_EQ(answer.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  const auto handedBack = answer.get();
  settle();
  ASSERT_TRUE(handedBack);
  EXPECT_EQ(request->resumeData(), handedBack);
  EXPECT_EQ(log->take(), (Lines{"didCancel", "didCancelTask"}));
  // The task completes as cancelled; its completion finishes the request.
  onQueue([&] { request->didCompleteTask(task, WNError::explicitlyCancelled()); });
  EXPECT_EQ(request->resumeData(), handedBack) << "the kept data wins over the error's";
  session->invalidateAndCancel();
  if (const auto kept = platform::DownloadResumeData::decode(*handedBack)) fs::remove(kept->temporaryPath);
  fs::remove(original.temporaryPath);
}

TEST_F(DownloadRequestFixture, DefaultValidationChecksStatusThenTheFileAgainstTheAcceptHeader) {
  const auto validated = [&](int status, std::optional<std::string> contents) {
    request = makeDownloadRequest();
    request->validate();
    urlRequest.setValueForHTTPHeaderField("application/json", "Accept");
    fs::remove(scratch.path() / "file.bin");
    runAttempt(status, {{"Content-Type", "text/html"}}, contents);
    return errorText(request->error());
  };
  EXPECT_EQ(validated(500, "<p>"), "Response status code was unacceptable: 500.");
  EXPECT_EQ(validated(200, "<p>"),
            "Response Content-Type \"text/html\" does not match any acceptable types: application/json.");
  EXPECT_EQ(validated(200, ""), "none");
  EXPECT_EQ(validated(200, std::nullopt), "Response could not be validated, data file was nil.");
}

TEST_F(DownloadRequestFixture, ValidatorsSeeTheFileURLAndRunOnlyWithAResponseAndNoError) {
  std::vector<std::optional<platform::URL>> seen;
  request->validate([&](const auto&, const auto& response, const auto& file) -> ValidationResult {
    seen.push_back(file);
    EXPECT_EQ(response->statusCode(), 200);
    return std::unexpected(testError(4));
  });
  request->validateStatusCode(std::vector{201});
  runAttempt(200, {}, "body");
  EXPECT_EQ(seen, (std::vector<std::optional<platform::URL>>{scratch.url("file.bin")}));
  EXPECT_EQ(errorText(request->error()), "Custom response validation failed with error: Something went wrong.");
  EXPECT_EQ(log->take()[2], "validated TestError(code: 4)");

  // A failed move, or no response at all, skips every validator.
  onQueue([&] { request->prepareForRetry(); });
  destination = [&](const auto&, const auto&) {
    return DownloadRequest::DestinationChoice{scratch.url("missing/file.bin"), {}};
  };
  runAttempt(200, {}, "body");
  onQueue([&] { request->prepareForRetry(); });
  const auto task = startAttempt();
  onQueue([&] { request->didCompleteTask(task, std::nullopt); });
  EXPECT_EQ(seen.size(), 1u);
}
