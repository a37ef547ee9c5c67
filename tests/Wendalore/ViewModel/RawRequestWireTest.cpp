#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Platform/Dispatch/RunLoop.h"
#include "Wendalore/History/RawRequestText.h"
#include "Wendalore/History/WireHeaders.h"
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

// The field lines of a head, sorted, each ending in a line feed: the order
// the raw text lists them in for ASCII names.
std::string sortedFieldLines(const std::string& head) {
  std::vector<std::string> lines;
  for (std::size_t start = head.find("\r\n"); start != std::string::npos;) {
    const auto end = head.find("\r\n", start + 2);
    auto line = head.substr(start + 2, end == std::string::npos ? std::string::npos : end - start - 2);
    // The library writes a field with no value without the space.
    if (line.ends_with(':')) line += ' ';
    lines.push_back(line + "\n");
    start = end;
  }
  std::ranges::sort(lines, {}, [](const std::string& line) { return line.substr(0, line.find(':')); });
  std::string text;
  for (const auto& line : lines) text += line;
  return text;
}

struct BodySend {
  const char* kind;
  RequestBodyType bodyType;
  std::string body;
  bool withFile = false;
};

// For every body kind, the Raw Request text is what the server received:
// the request line, every field with its value (the session's defaults and
// the transfer's own among them), and the body. A form's file is named in
// place of its bytes and its lines end in a line feed, as every line of the
// text does; a form without parts shows no body, as none went out.
TEST(RawRequestOnTheWire, MatchesWhatTheServerCapturedForEveryBodyKind) {
  testservers::CapturingHTTPServer server;
  const auto model = RequestViewModel::make();
  const auto file = std::filesystem::temp_directory_path() / "wendalore-raw-upload.txt";
  const std::string fileBytes = "line one\nline two";
  std::ofstream(file, std::ios::binary) << fileBytes;
  model->setMultipartFieldName("upload");
  model->setMultipartFileName("notes.txt");
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
    EXPECT_EQ(raw.substr(requestLine.size() + 1, headEnd - requestLine.size()), sortedFieldLines(captured.head))
        << send.kind << "\n" << captured.head;
    for (const char* name : {"User-Agent", "Accept", "Accept-Encoding", "Accept-Language", "Authorization"}) {
      EXPECT_NE(raw.find(std::string("\n") + name + ": "), std::string::npos) << send.kind << " " << name;
    }
    EXPECT_EQ(wireHeaders(*entry).value_or(HeaderDictionary{}).size(), std::ranges::count(sortedFieldLines(captured.head), '\n')) << send.kind;

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
