#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Platform/Dispatch/RunLoop.h"
#include "Wendalore/History/RawRequestText.h"
#include "Wendalore/ViewModel/RequestViewModel.h"
#include "tests/Wendalore/ViewModel/HeaderRows.h"
#include "tests/servers/CapturingHTTPServer.h"

namespace wendalore {
namespace {

using namespace std::chrono_literals;

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// The lines after the request line of a head without its empty line.
std::vector<std::string> headerLines(const std::string& head) {
  std::vector<std::string> lines;
  for (std::size_t start = head.find('\n'); start != std::string::npos;) {
    const auto end = head.find('\n', start + 1);
    lines.push_back(head.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1));
    start = end;
  }
  return lines;
}

struct BodySend {
  const char* kind;
  RequestBodyType bodyType;
  std::string body;
  bool withFile = false;
};

// For every body kind, each line the Raw Request text shows went out as
// shown: the request line, the recorded headers with the Host, and the
// body. The headers the send added on its way (the session's defaults, the
// transfer's own, the Content-Type it supplied) are not in the record and
// not shown. A form's file is named in place of its bytes, its names as the
// library encoded them, and its lines end in a line feed, as every line of
// the text does; a form without parts shows no body, as none went out.
TEST(RawRequestOnTheWire, EveryShownLineWentOutAndTheAddedHeadersAreLeftOut) {
  testservers::CapturingHTTPServer server;
  const auto model = RequestViewModel::make();
  const auto file = std::filesystem::temp_directory_path() / "wendalore-raw-upload.txt";
  const std::string fileBytes = "line one\nline two";
  std::ofstream(file, std::ios::binary) << fileBytes;
  model->setMultipartFieldName("up\"load");
  model->setMultipartFileName("my \"notes\".txt");
  model->setMultipartMimeType("text/plain");

  const BodySend sends[] = {
      {"none", RequestBodyType::none, "stays home"},
      {"form", RequestBodyType::formUrlEncoded, "a=1&b=two"},
      {"raw", RequestBodyType::rawText, "plain\r\nwords"},
      {"json", RequestBodyType::json, R"({"k":1})"},
      {"empty form", RequestBodyType::multipart, "stays home"},
      {"form with a file", RequestBodyType::multipart, "stays home", true},
  };
  for (const auto& send : sends) {
    model->setSelectedFileURL(send.withFile ? std::optional(platform::URL::fileURL(file.string())) : std::nullopt);
    model->sendRequest(server.baseURL() + "/items?id=7&q=a%20b", "POST", test::headerRows({{"X-Row", "1"}}),
                       send.body, send.bodyType, RequestAuthType::bearer, "", "", "t0k");
    const auto entry = model->requestHistory().front();
    ASSERT_TRUE(platform::RunLoop::main().runUntil([&] { return !entry->isPending(); }, 30s)) << send.kind;
    const auto captured = server.requests().back();

    const auto raw = rawRequestText(*entry);
    const auto headEnd = raw.find("\n\n");
    ASSERT_NE(headEnd, std::string::npos) << raw;
    const auto requestLine = raw.substr(0, raw.find('\n'));
    EXPECT_EQ(requestLine, captured.head.substr(0, captured.head.find("\r\n"))) << send.kind;
    const std::vector<std::string> recorded{"Authorization: Bearer t0k", "Host: " + server.baseURL().substr(7),
                                            "X-Row: 1"};
    EXPECT_EQ(headerLines(raw.substr(0, headEnd)), recorded) << send.kind << "\n" << raw;
    for (const auto& line : recorded) {
      EXPECT_NE(captured.head.find("\r\n" + line + "\r\n"), std::string::npos) << send.kind << "\n" << captured.head;
    }
    EXPECT_TRUE(captured.field("User-Agent")) << captured.head;

    auto body = captured.body;
    if (send.bodyType == RequestBodyType::multipart) {
      body = replaceAll(body, fileBytes, "(17 bytes of the file " + file.string() + ")");
      body = replaceAll(body, "\r\n", "\n");
    }
    EXPECT_EQ(raw.substr(headEnd + 2), body) << send.kind;
  }
  std::filesystem::remove(file);
}

}  // namespace
}  // namespace wendalore
