#include <gtest/gtest.h>

#include <memory>

#include "Wendanet/Source/Core/Session.h"
#include "Wendanet/Source/Support/Redirector.h"
#include "Wendanet/Source/Support/ResponseCacher.h"

using namespace wendanet;

namespace {

// Requests that are never started: only the chains are under test.
class RequestChains : public ::testing::Test {
 protected:
  static Session::URLRef url() { return std::make_shared<ConvertibleString>("http://127.0.0.1:9/"); }

  const std::shared_ptr<Session> session = Session::makeWithConfiguration(
      nullptr, nullptr, nullptr, Session::Settings{.startRequestsImmediately = false});
  const std::shared_ptr<platform::DispatchQueue> queue = platform::DispatchQueue::make("test.chains");
};

}  // namespace

// Every control answers with the request's own kind, so that any order of
// controls compiles and ends on the request it began with.
TEST_F(RequestChains, ControlsInAnyOrderKeepTheRequestsKind) {
  const auto upload = session->uploadMultipartClosureToURL([](MultipartFormData&) {}, url());
  DataRequest& uploaded = upload->validate()
                              .setUploadProgressHandler(queue, [](const platform::Progress&) {})
                              .responseData(queue, [](const DataResponse<platform::Data>&) {});
  EXPECT_EQ(&uploaded, upload.get());
  UploadRequest& progressFirst =
      upload->setUploadProgressHandler(queue, [](const platform::Progress&) {}).cURLDescription([](const auto&) {});
  EXPECT_EQ(&progressFirst, upload.get());

  const auto data = session->requestWithParameters(url());
  DataRequest& handled = data->authenticateWithUsername("user", "secret", platform::URLCredential::Persistence::none)
                             .setRedirectHandler(Redirector::doNotFollow())
                             .setCachedResponseHandler(ResponseCacher::doNotCache())
                             .onURLRequestCreation(queue, [](const platform::URLRequest&) {})
                             .validate()
                             .responseString(queue, [](const DataResponse<std::string>&) {});
  EXPECT_EQ(&handled, data.get());

  const auto download = session->downloadWithParameters(url());
  DownloadRequest& downloaded = download->setDownloadProgressHandler(queue, [](const platform::Progress&) {})
                                    .validate()
                                    .responseURL(queue, [](const DownloadResponse<platform::URL>&) {});
  EXPECT_EQ(&downloaded, download.get());

  const auto stream = session->streamRequestWithoutParameters(url());
  DataStreamRequest& streamed =
      stream->onURLSessionTaskCreation(queue, [](const auto&) {}).validate().resume().suspend();
  EXPECT_EQ(&streamed, stream.get());

  for (Request* request : {static_cast<Request*>(upload.get()), static_cast<Request*>(data.get()),
                           static_cast<Request*>(download.get()), static_cast<Request*>(stream.get())}) {
    request->cancel();
  }
}
