#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "Platform/Streams/InputStream.h"
#include "Wendanet/Source/Core/Session.h"
#include "Wendanet/Source/Core/URLRequestConvertible.h"
#include "tests/Integration/SessionHttpbinTest.h"
#include "tests/servers/CapturingHTTPServer.h"

using namespace wendanet;
using namespace wendanet::testing;

// The server answers a HEAD at once with the length a GET's body would
// have, and keeps the connection open. A HEAD given a body of any kind goes
// out without it and ends with that answer, rather than waiting for a body
// that an answer to HEAD never has until the time-out.
TEST(SessionHeadWithBody, EndsWithTheAnswerAndSendsNoBody) {
  testservers::CapturingHTTPServer server;
  const auto session = Session::makeWithConfiguration(
      nullptr, nullptr, platform::DispatchQueue::make(std::string(Session::defaultRootQueueLabel)));
  const auto handlers = platform::DispatchQueue::make("test.handlers");
  const auto file = std::filesystem::temp_directory_path() / "wendanet-head-with-body.txt";
  std::ofstream(file, std::ios::binary) << "from a file";
  // A wait for a body would end well before the test gives up.
  const auto shortTimeout = [](platform::URLRequest& request) { request.setTimeoutInterval(5); };
  const auto url = [&](const std::string& path) {
    return std::make_shared<ConvertibleString>(server.baseURL() + path);
  };

  platform::URLRequest withData(platform::URL::string(server.baseURL() + "/data"));
  withData.setHTTPMethod("HEAD");
  withData.setHTTPBody(platform::Data("a=1"));
  shortTimeout(withData);
  const std::pair<std::string, std::function<std::shared_ptr<DataRequest>()>> sends[] = {
      {"/data", [&] { return session->requestWithURLRequest(std::make_shared<ConvertibleURLRequest>(withData)); }},
      {"/upload-data",
       [&] {
         return session->uploadDataToURL(platform::Data("bytes"), url("/upload-data"), HTTPMethod::head(),
                                         std::nullopt, nullptr, std::nullopt,
                                         platform::FileManager::defaultManager(), shortTimeout);
       }},
      {"/upload-file",
       [&] {
         return session->uploadFileToURL(platform::URL::fileURL(file.string()), url("/upload-file"),
                                         HTTPMethod::head(), std::nullopt, nullptr, std::nullopt,
                                         platform::FileManager::defaultManager(), shortTimeout);
       }},
      {"/upload-stream",
       [&] {
         return session->uploadStreamToURL(platform::InputStream::fromData(platform::Data("streamed")),
                                           url("/upload-stream"), HTTPMethod::head(), std::nullopt, nullptr,
                                           platform::FileManager::defaultManager(), shortTimeout);
       }},
  };
  for (const auto& [path, send] : sends) {
    OneResponse<DataResponse<platform::Data>> response;
    send()->responseData(handlers, response.handler());
    expectDelivered(response.get());
    const auto requests = server.requests();
    const auto captured = std::ranges::find(requests, path, &testservers::ScriptedRequest::path);
    ASSERT_NE(captured, requests.end()) << path;
    EXPECT_EQ(captured->method, "HEAD") << path;
    EXPECT_EQ(captured->body, "") << path;
    EXPECT_EQ(captured->field("Content-Length"), std::nullopt) << path << "\n" << captured->head;
    EXPECT_EQ(captured->field("Transfer-Encoding"), std::nullopt) << path << "\n" << captured->head;
  }
  std::filesystem::remove(file);
}
