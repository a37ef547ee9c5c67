#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>

#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Files/FileManager.h"
#include "Platform/Streams/InputStream.h"
#include "Wendanet/Source/Core/UploadRequest.h"
#include "Wendanet/Source/Support/MultipartUpload.h"
#include "tests/Integration/RecordingSessionDelegate.h"
#include "tests/servers/HttpbinServer.h"

using namespace wendanet;
using testservers::HttpbinServer;

namespace {

platform::URLRequest postRequest() {
  platform::URLRequest request(platform::URL::string(HttpbinServer::shared().baseURL() + "/post"));
  request.setHTTPMethod("POST");
  request.setValueForHTTPHeaderField("text/plain", "Content-Type");
  return request;
}

// A URL request whose body the test hands to the request itself.
class PostUpload final : public UploadConvertible {
 public:
  platform::URLRequest asURLRequest() const override { return postRequest(); }
  Uploadable createUploadable() const override { return Uploadable::data(platform::Data()); }
};

class UploadRequestHttpbin : public testing::Test {
 protected:
  void TearDown() override {
    session->invalidateAndCancel();
    EXPECT_TRUE(delegate->waitForInvalidation());
  }

  std::shared_ptr<UploadRequest> makeRequest(std::shared_ptr<const UploadConvertible> upload) {
    return UploadRequest::make({.underlyingQueue = queue}, std::move(upload),
                               platform::FileManager::defaultManager());
  }

  // Runs `step` on the request's queue, as the session does.
  void onQueue(const std::function<void()>& step) { queue->sync(step); }

  // Sends the request's current body and gives what httpbin saw.
  nlohmann::json send(const std::shared_ptr<UploadRequest>& request) {
    const auto task = request->createTask(request->upload()->asURLRequest(), session);
    task->resume();
    const auto record = delegate->waitForCompletion(task);
    EXPECT_EQ(record.errorCode(), 0);
    return nlohmann::json::parse(record.data.view());
  }

  std::shared_ptr<platform::DispatchQueue> queue = platform::DispatchQueue::make("org.wendanet.test.upload");
  std::shared_ptr<RecordingSessionDelegate> delegate = std::make_shared<RecordingSessionDelegate>();
  std::shared_ptr<platform::URLSession> session = makeRecordingSession(delegate);
};

}  // namespace

TEST_F(UploadRequestHttpbin, EachKindOfBodyIsSentByTheTaskMadeForIt) {
  const auto request = makeRequest(std::make_shared<PostUpload>());
  onQueue([&] { request->didCreateUploadable(Uploadable::data(platform::Data("from memory"))); });
  EXPECT_EQ(send(request)["data"], "from memory");

  const auto path = std::filesystem::temp_directory_path() / "wendanet-upload-request-body.txt";
  std::ofstream(path, std::ios::binary) << "from a file";
  onQueue([&] { request->didCreateUploadable(Uploadable::file(platform::URL::fileURL(path.string()), false)); });
  EXPECT_EQ(send(request)["data"], "from a file");
  std::filesystem::remove(path);

  delegate->answerBodyStreamsWith([&] { return request->inputStream(); });
  onQueue([&] {
    request->didCreateUploadable(Uploadable::stream(platform::InputStream::fromData(platform::Data("from a stream"))));
  });
  EXPECT_EQ(send(request)["data"], "from a stream");
}

TEST_F(UploadRequestHttpbin, AMultipartFormWrittenToAFileArrivesWholeAndTheFileGoesAtCleanUp) {
  const auto form = MultipartFormData::make();
  form->append(platform::Data("John"), "name");
  form->append(platform::Data(std::string(20'000, 'x')), "file", "big.txt", "text/plain");
  const auto upload = MultipartUpload::make(0, std::make_shared<ConvertibleURLRequest>(postRequest()), form);
  const auto request = makeRequest(upload);
  onQueue([&] { request->didCreateUploadable(upload->createUploadable()); });
  const auto file = std::get<Uploadable::File>(request->uploadable()->value()).url;

  const auto body = send(request);
  EXPECT_EQ(body["form"]["name"], "John");
  EXPECT_EQ(body["files"]["file"], std::string(20'000, 'x'));
  EXPECT_EQ(body["headers"]["Content-Type"], form->contentType());

  onQueue([&] { request->cleanup(); });
  EXPECT_FALSE(std::filesystem::exists(file.path()));
}
