#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Platform/Dispatch/RunLoop.h"
#include "Wendalore/History/RawRequestText.h"
#include "Wendalore/History/RowsAsSent.h"
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
  const char* method = "POST";
};

// For every body kind, each line the Raw Request text and the Headers tab
// show went out as shown: the request line, the recorded rows with the
// Host, and the body. Where the send wrote a field itself over a row (a
// form's type, a multipart form's with its boundary, the body's real
// length) the row shows what went out; a row for a field the request went
// out without is not shown, and a row the send kept is shown as typed. The
// headers the send added on its way (the session's defaults, the
// transfer's own, a Content-Type no row named) are not shown. A form's file
// is named in place of its bytes, its names as the library encoded them,
// and its lines end in a line feed, as every line of the text does; a form
// without parts shows no body, as none went out, nor does a HEAD.
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
      {"raw with GET", RequestBodyType::rawText, "stays home", false, "GET"},
      {"empty json with PATCH", RequestBodyType::json, "", false, "PATCH"},
      {"none with DELETE", RequestBodyType::none, "", false, "DELETE"},
      // The answer comes at once, without the body a GET would have; a
      // HEAD that sent a body would wait for one until its time-out.
      {"form with HEAD", RequestBodyType::formUrlEncoded, "a=1", false, "HEAD"},
      {"form with a file with HEAD", RequestBodyType::multipart, "stays home", true, "HEAD"},
  };
  for (const auto& send : sends) {
    for (const bool withTypeAndLengthRows : {false, true}) {
      const std::string kind = std::string(send.kind) + (withTypeAndLengthRows ? " with type and length rows" : "");
      std::vector<test::Row> rows{{"X-Row", "1"}};
      if (withTypeAndLengthRows) rows.insert(rows.end(), {{"content-type", "text/csv"}, {"Content-Length", "999"}});
      model->setSelectedFileURL(send.withFile ? std::optional(platform::URL::fileURL(file.string())) : std::nullopt);
      model->sendRequest(server.baseURL() + "/items?id=7&q=a%20b", send.method, test::headerRows(rows), send.body,
                         send.bodyType, RequestAuthType::bearer, "", "", "t0k");
      const auto entry = model->requestHistory().front();
      ASSERT_TRUE(platform::RunLoop::main().runUntil([&] { return !entry->isPending(); }, 30s)) << kind;
      EXPECT_EQ(entry->error(), std::nullopt) << kind;
      EXPECT_EQ(entry->statusCode(), 200) << kind;
      const auto captured = server.requests().back();
      const auto wentOut = [&, head = captured.head + "\r\n"](const std::string& line) {
        return head.find("\r\n" + line + "\r\n") != std::string::npos;
      };

      const auto raw = rawRequestText(*entry);
      const auto headEnd = raw.find("\n\n");
      ASSERT_NE(headEnd, std::string::npos) << raw;
      const auto requestLine = raw.substr(0, raw.find('\n'));
      EXPECT_EQ(requestLine, captured.head.substr(0, captured.head.find("\r\n"))) << kind;
      std::vector<std::string> names;
      for (const auto& line : headerLines(raw.substr(0, headEnd))) {
        EXPECT_TRUE(wentOut(line)) << kind << ": " << line << "\n" << captured.head;
        names.push_back(line.substr(0, line.find(':')));
      }
      for (const auto& [name, value] : rowsAsSent(*entry)) {
        EXPECT_TRUE(wentOut(name + ": " + value)) << kind << ": " << name << "\n" << captured.head;
      }
      // A row the send kept keeps its name, which sorts after the capitals.
      const bool rowTypeKept = captured.field("Content-Type") == "text/csv";
      std::vector<std::string> expected{"Authorization"};
      if (withTypeAndLengthRows && captured.field("Content-Length")) expected.push_back("Content-Length");
      if (withTypeAndLengthRows && !rowTypeKept) expected.push_back("Content-Type");
      expected.insert(expected.end(), {"Host", "X-Row"});
      if (withTypeAndLengthRows && rowTypeKept) expected.push_back("content-type");
      EXPECT_EQ(names, expected) << kind << "\n" << raw << "\n" << captured.head;
      EXPECT_TRUE(captured.field("User-Agent")) << captured.head;

      auto body = captured.body;
      if (send.bodyType == RequestBodyType::multipart) {
        body = replaceAll(body, fileBytes, "(17 bytes of the file " + file.string() + ")");
        body = replaceAll(body, "\r\n", "\n");
      }
      EXPECT_EQ(raw.substr(headEnd + 2), body) << kind;
    }
  }
  std::filesystem::remove(file);
}

}  // namespace
}  // namespace wendalore
