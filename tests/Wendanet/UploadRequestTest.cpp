#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Platform/Streams/InputStream.h"
#include "Wendanet/Source/Core/UploadRequest.h"
#include "tests/Wendanet/DataRequestFixture.h"
#include "tests/Wendanet/TestErrors.h"

using namespace wendanet;
using namespace wendanet::testing;
using Lines = std::vector<std::string>;

namespace {

std::string kindOf(const Uploadable& uploadable) {
  return std::visit(Overloaded{
                        [](const Uploadable::Data& body) { return "data " + std::string(body.data.view()); },
                        [](const Uploadable::File& file) { return "file " + file.url.lastPathComponent(); },
                        [](const Uploadable::Stream&) { return std::string("stream"); },
                    },
                    uploadable.value());
}

class UploadEventLog final : public EventMonitor {
  using U = const std::shared_ptr<UploadRequest>&;

 public:
  explicit UploadEventLog(std::shared_ptr<Log> log) : log_(std::move(log)) {}
  void requestDidCreateUploadable(U, const Uploadable& uploadable) override {
    log_->add("didCreateUploadable " + kindOf(uploadable));
  }
  void requestDidFailToCreateUploadableWithError(U, const WNError& error) override {
    log_->add("didFailToCreateUploadable " + error.errorDescription());
  }
  void requestDidProvideInputStream(U, const std::shared_ptr<platform::InputStream>&) override {
    log_->add("didProvideInputStream");
  }
  void requestIsRetrying(const std::shared_ptr<Request>&) override { log_->add("isRetrying"); }
  void requestDidFinish(const std::shared_ptr<Request>&) override { log_->add("didFinish"); }

 private:
  std::shared_ptr<Log> log_;
};

// A URL request with its body ready, as the session's plain uploads give.
class ReadyUpload final : public UploadConvertible {
 public:
  explicit ReadyUpload(platform::URLRequest request) : request_(std::move(request)) {}
  platform::URLRequest asURLRequest() const override { return request_; }
  Uploadable createUploadable() const override { return Uploadable::data(platform::Data("body")); }

 private:
  platform::URLRequest request_;
};

}  // namespace

class UploadRequestFixture : public DataRequestFixture {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(directory);
    startNewRequest();
  }
  void TearDown() override {
    DataRequestFixture::TearDown();
    std::filesystem::remove_all(directory);
  }

  void startNewRequest() {
    upload = UploadRequest::make({.underlyingQueue = underlying,
                                  .serializationQueue = testQueue("org.wendanet.test.serialization"),
                                  .eventMonitor = std::make_shared<UploadEventLog>(log),
                                  .delegate = delegate,
                                  .shouldAutomaticallyResume = false},
                                 std::make_shared<ReadyUpload>(urlRequest), platform::FileManager::defaultManager());
    request = upload;
  }

  platform::URL makeFile(const char* name) {
    const auto path = directory / name;
    std::ofstream(path) << "file body";
    return platform::URL::fileURL(path.string());
  }

  void give(Uploadable uploadable) {
    onQueue([&] { upload->didCreateUploadable(uploadable); });
  }

  // One attempt that succeeds, with a data response handler on the main queue.
  void runSuccessfulAttempt() {
    upload->responseData(platform::DispatchQueue::main(),
                         [log = log](const DataResponse<platform::Data>& response) {
                           log->add("response " + response.result().value().toString());
                         });
    runAttempt(200, {}, {"ok"});
  }

  static bool exists(const platform::URL& url) { return std::filesystem::exists(url.path()); }

  const std::filesystem::path directory =
      std::filesystem::temp_directory_path() /
      ("wendanet-upload-request-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
  std::shared_ptr<UploadRequest> upload;
};

TEST_F(UploadRequestFixture, AStreamIsHandedOutAsTheSameObjectAndReportedOnEveryCall) {
  const auto stream = platform::InputStream::fromData(platform::Data("abc"));
  give(Uploadable::stream(stream));
  EXPECT_EQ(upload->inputStream(), stream);
  EXPECT_EQ(upload->inputStream(), stream);
  EXPECT_EQ(log->take(), (Lines{"didCreateUploadable stream", "didProvideInputStream", "didProvideInputStream"}));
}

TEST_F(UploadRequestFixture, AnOwnedTemporaryFileIsRemovedAtCleanUpAndNoOtherFile) {
  const auto owned = makeFile("owned");
  give(Uploadable::file(owned, true));
  runSuccessfulAttempt();
  EXPECT_FALSE(exists(owned));
  EXPECT_EQ(log->take(), (Lines{"didCreateUploadable file owned", "didFinish", "delegate cleanup", "response ok"}));

  const auto borrowed = makeFile("borrowed");
  startNewRequest();
  give(Uploadable::file(borrowed, false));
  runSuccessfulAttempt();
  EXPECT_TRUE(exists(borrowed));
  EXPECT_EQ(log->take().back(), "response ok");
}

TEST_F(UploadRequestFixture, AnOwnedFileAlreadyGoneIsNoFailure) {
  const auto owned = makeFile("owned");
  give(Uploadable::file(owned, true));
  std::filesystem::remove(owned.path());
  runSuccessfulAttempt();
  EXPECT_EQ(log->take().back(), "response ok");
}

TEST_F(UploadRequestFixture, AResetForgetsTheBodyButKeepsItsFileForTheNextAttempt) {
  const auto owned = makeFile("owned");
  give(Uploadable::file(owned, true));
  onQueue([&] { upload->prepareForRetry(); });
  EXPECT_FALSE(upload->uploadable().has_value());
  EXPECT_TRUE(exists(owned));
  give(Uploadable::file(owned, true));
  runSuccessfulAttempt();
  EXPECT_FALSE(exists(owned));
}

TEST_F(UploadRequestFixture, ARequestCancelledBetweenAResetAndItsNextBodyStillRemovesItsFile) {
  const auto owned = makeFile("owned");
  give(Uploadable::file(owned, true));
  upload->responseData(platform::DispatchQueue::main(), [](const auto&) {});
  onQueue([&] { upload->prepareForRetry(); });
  upload->cancel();
  settle();
  EXPECT_TRUE(upload->isCancelled());
  EXPECT_FALSE(exists(owned));
}

TEST_F(UploadRequestFixture, AFailedBodyFailsTheRequestAfterAskingForARetryWithoutATask) {
  const auto failure = WNError::createUploadableFailed(testError());
  upload->responseData(platform::DispatchQueue::main(), [log = log](const DataResponse<platform::Data>& response) {
    log->add("response " + response.result().error().errorDescription());
  });
  onQueue([&] { upload->didFailToCreateUploadable(failure); });
  const std::string text = failure.errorDescription();
  // The serializer offers the failure for a retry once more, as for any failure.
  EXPECT_EQ(log->take(), (Lines{"didFailToCreateUploadable " + text, "delegate retryResult " + text, "didFinish",
                                "delegate retryResult " + text, "delegate cleanup", "response " + text}));
  EXPECT_TRUE(upload->tasks().empty());
  EXPECT_EQ(upload->error()->errorDescription(), text);
}

using UploadRequestDeathTest = UploadRequestFixture;

TEST_F(UploadRequestDeathTest, ATaskOrStreamWithoutTheRightBodyStopsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(upload->createTask(urlRequest, nullptr),
               "Attempting to create a URLSessionUploadTask when Uploadable value doesn't exist\\.");
  EXPECT_DEATH(upload->inputStream(), "Attempting to access the input stream but the uploadable doesn't exist\\.");
  give(Uploadable::data(platform::Data("abc")));
  EXPECT_DEATH(upload->inputStream(), "Attempted to access the stream of an UploadRequest that wasn't created with one\\.");
}
