#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Platform/Dispatch/RunLoop.h"
#include "Wendalore/History/CurlCommand.h"
#include "Wendalore/History/HistoryRowText.h"
#include "Wendalore/History/RawRequestText.h"
#include "Wendalore/ViewModel/OutgoingRequest.h"
#include "Wendalore/ViewModel/RequestViewModel.h"
#include "tests/Wendalore/ViewModel/HeaderRows.h"
#include "tests/servers/HttpbinServer.h"
#include "tests/servers/LoopbackHTTPServer.h"

namespace wendalore {
namespace {

using namespace std::chrono_literals;
using test::Row;
using testservers::HttpbinServer;

std::string httpbin(const std::string& path) { return HttpbinServer::shared().baseURL() + path; }

struct Send {
  std::string url;
  std::string method = "GET";
  std::vector<Row> rows = {};
  std::string body = {};
  RequestBodyType bodyType = RequestBodyType::none;
  Credentials credentials = {};
};

class RequestViewModelHttpbin : public ::testing::Test {
 protected:
  std::shared_ptr<RequestHistoryItem> send(const Send& values) {
    model->sendRequest(values.url, values.method, test::headerRows(values.rows), values.body, values.bodyType,
                       values.credentials.type, values.credentials.username, values.credentials.password,
                       values.credentials.token);
    return model->requestHistory().front();
  }

  // Pumps the main queue, as the window's event loop does, until the
  // entries have their responses.
  static void await(const std::vector<std::shared_ptr<RequestHistoryItem>>& entries) {
    ASSERT_TRUE(platform::RunLoop::main().runUntil(
        [&] { return std::ranges::none_of(entries, &RequestHistoryItem::isPending); }, 60s));
  }

  std::shared_ptr<RequestHistoryItem> sendAndAwait(const Send& values) {
    auto entry = send(values);
    await({entry});
    return entry;
  }

  // What httpbin saw of a request, from the body its entry recorded.
  static nlohmann::json echo(const RequestHistoryItem& entry) {
    return nlohmann::json::parse(entry.responseBody(), nullptr, false);
  }

  std::shared_ptr<RequestViewModel> model = RequestViewModel::make();
};

TEST_F(RequestViewModelHttpbin, TheTemplatesValuesBecomeTheRequestOnTheWire) {
  struct Case {
    const char* name;
    Send send;
    std::string data;  // the body httpbin received
    std::optional<std::string> contentType;
    HeaderDictionary recorded;
    bool bodyWasSent;
  };
  const Case cases[] = {
      {"rows of one name", {.url = httpbin("/anything"), .rows = {{"Accept", "a"}, {"accept", "b"}}},
       "", std::nullopt, {{"accept", "b"}}, false},
      {"basic without credentials",
       {.url = httpbin("/anything"), .credentials = {RequestAuthType::basic, "", "", ""}},
       "", std::nullopt, {{"Authorization", "Basic Og=="}}, false},
      {"json with a lower-case method",
       {.url = httpbin("/anything"), .method = "patch", .body = R"({"k":1})", .bodyType = RequestBodyType::json},
       R"({"k":1})", "application/json", {}, true},
      {"raw text with GET",
       {.url = httpbin("/anything"), .body = "hello", .bodyType = RequestBodyType::rawText},
       "", "text/plain", {}, false},
      {"raw text with DELETE",
       {.url = httpbin("/anything"), .method = "DELETE", .body = "hello", .bodyType = RequestBodyType::rawText},
       "", "text/plain", {}, false},
      {"no body kind with a body text",
       {.url = httpbin("/anything"), .method = "POST", .body = "ignored"}, "", std::nullopt, {}, false},
      {"a form overrides the row's type",
       {.url = httpbin("/anything"), .method = "POST", .rows = {{"Content-Type", "text/plain"}}, .body = "a=1&b=2",
        .bodyType = RequestBodyType::formUrlEncoded},
       "", "application/x-www-form-urlencoded", {{"Content-Type", "text/plain"}}, true},
  };
  std::vector<std::shared_ptr<RequestHistoryItem>> entries;
  for (const auto& test : cases) entries.push_back(send(test.send));
  await(entries);
  for (std::size_t index = 0; index < std::size(cases); ++index) {
    const auto& test = cases[index];
    const auto& entry = *entries[index];
    const auto seen = echo(entry);
    ASSERT_TRUE(seen.is_object()) << test.name << ": " << entry.responseBody();
    EXPECT_EQ(seen["data"], test.data) << test.name;
    const auto& headers = seen["headers"];
    EXPECT_EQ(headers.contains("Content-Type") ? std::optional(headers["Content-Type"].get<std::string>())
                                               : std::nullopt,
              test.contentType)
        << test.name;
    EXPECT_EQ(entry.requestHeaders(), test.recorded) << test.name;
    EXPECT_EQ(entry.requestBody(), test.send.body.empty() ? std::nullopt : std::optional(test.send.body)) << test.name;
    EXPECT_EQ(entry.bodyWasSent(), test.bodyWasSent) << test.name;
  }
  EXPECT_EQ(echo(*entries[0])["headers"]["Accept"], "b");
  EXPECT_EQ(echo(*entries[1])["headers"]["Authorization"], "Basic Og==");
  EXPECT_EQ(echo(*entries[6])["form"], (nlohmann::json{{"a", "1"}, {"b", "2"}}));
}

TEST_F(RequestViewModelHttpbin, AFormWithGETIsRefusedByTheLibraryAndShownAsAFailure) {
  const auto entry = sendAndAwait(
      {.url = httpbin("/anything"), .body = "a=1", .bodyType = RequestBodyType::formUrlEncoded});
  EXPECT_EQ(entry->statusCode(), 0);
  // No task ran, so the duration is the time since the send.
  EXPECT_EQ(entry->metrics(), nullptr);
  EXPECT_GT(entry->duration(), 0);
  EXPECT_EQ(model->responseStatus(), "Sending...");
  EXPECT_TRUE(model->errorMessage().has_value());
  EXPECT_EQ(entry->error(), model->errorMessage()) << "the entry keeps why it failed";
  EXPECT_TRUE(model->responseBody().starts_with("Error: urlRequestValidationFailed(bodyDataInGETRequest("))
      << model->responseBody();
  EXPECT_FALSE(model->isLoading());
}

TEST_F(RequestViewModelHttpbin, AMultipartBodyCarriesTheChosenFileAsNamed) {
  const auto file = std::filesystem::temp_directory_path() / "wendalore-viewmodel-notes.txt";
  std::ofstream(file, std::ios::binary) << "line one\nline two";
  model->setSelectedFileURL(platform::URL::fileURL(file.string()));
  model->setMultipartFieldName("upload");
  model->setMultipartFileName("notes.txt");
  model->setMultipartMimeType("text/plain");
  const Send multipart{.url = httpbin("/post"), .method = "POST", .rows = {{"Content-Type", "text/plain"}},
                       .bodyType = RequestBodyType::multipart};

  const auto posted = sendAndAwait(multipart);
  const auto seen = echo(*posted);
  EXPECT_EQ(seen["files"], (nlohmann::json{{"upload", "line one\nline two"}}));
  EXPECT_TRUE(seen["headers"]["Content-Type"].get<std::string>().starts_with("multipart/form-data; boundary="));
  EXPECT_EQ(posted->requestHeaders(), (HeaderDictionary{{"Content-Type", "text/plain"}}));
  EXPECT_TRUE(posted->bodyWasSent());

  // httpbin keeps the part's file name and type to itself; an echo of the
  // raw body shows them.
  testservers::LoopbackHTTPServer loopback;
  auto echoed = multipart;
  echoed.url = loopback.baseURL() + "/echo";
  EXPECT_NE(sendAndAwait(echoed)->responseBody().find("Content-Disposition: form-data; name=\"upload\"; "
                                                      "filename=\"notes.txt\"\r\nContent-Type: text/plain\r\n\r\n"
                                                      "line one\nline two\r\n"),
            std::string::npos);

  model->setSelectedFileURL(std::nullopt);
  EXPECT_EQ(echo(*sendAndAwait(multipart))["files"], nlohmann::json::object());
  std::filesystem::remove(file);
}

TEST_F(RequestViewModelHttpbin, EachResponseIsShownAndRecordedInItsEntry) {
  testservers::LoopbackHTTPServer loopback;
  struct Case {
    Send send;
    std::string status;
    std::optional<std::string> error;
    std::string shown;  // the body, or the start of the failure text
    int code;
    std::string recorded;
  };
  const std::string unserializable = "Response could not be serialized, input data was nil or zero length.";
  const Case cases[] = {
      {{.url = httpbin("/base64/NDI=")}, "Status: 200", std::nullopt, "42", 200, "42"},
      {{.url = loopback.baseURL() + "/echo", .method = "POST", .body = "\xff\xfe",
        .bodyType = RequestBodyType::rawText},
       "Status: 200", std::nullopt, "Unable to decode data", 200, "Unable to decode data"},
      {{.url = httpbin("/status/204")}, "Status: 204", std::nullopt, "", 204, ""},
      {{.url = httpbin("/status/200")}, "Status: 200", unserializable, "Error: responseSerializationFailed(", 200, ""},
      {{.url = loopback.baseURL() + "/not-found-json"}, "Status: 404", "Response status code was unacceptable: 404.",
       "Error: responseValidationFailed(unacceptableStatusCode(", 404, "{\n  \"error\" : \"no such item\"\n}"},
      {{.url = "http://127.0.0.1:1/refused"}, "Sending...", std::nullopt, "Error: sessionTaskFailed(", 0, ""},
  };
  for (const auto& test : cases) {
    const auto entry = sendAndAwait(test.send);
    const auto& url = test.send.url;
    EXPECT_EQ(model->responseStatus(), test.status) << url;
    if (test.code != 0) {
      EXPECT_EQ(model->errorMessage(), test.error) << url;
    }
    EXPECT_TRUE(model->responseBody().starts_with(test.shown)) << url << ": " << model->responseBody();
    EXPECT_EQ(entry->statusCode(), test.code) << url;
    EXPECT_EQ(entry->responseBody(), test.recorded) << url;
    // Only a send without a response keeps a failure: the others show theirs.
    EXPECT_EQ(entry->error(), test.code == 0 ? model->errorMessage() : std::nullopt) << url;
    EXPECT_FALSE(model->isLoading()) << url;
  }
  const auto notFound = model->requestHistory()[1];
  EXPECT_EQ(notFound->responseHeaders().at("Content-Type"), "application/json");
  EXPECT_TRUE(model->errorMessage()->starts_with("URLSessionTask failed with error: "));
}

// A status line came, then the transfer failed: the entry keeps the code and
// says that the send failed; a head cut short leaves no code at all.
TEST_F(RequestViewModelHttpbin, ASendThatFailsAfterItsStatusLineIsAFailedEntry) {
  testservers::ScriptedHTTPServer server([](testservers::ScriptedConnection& connection,
                                            const testservers::ScriptedRequest& request) {
    if (request.path == "/half-body") {
      connection.send("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" + std::string(500, 'x'));
    } else {
      connection.send("HTTP/1.1 200 OK\r\n");
    }
    return testservers::ScriptedNext::close;
  });
  const auto halfBody = sendAndAwait({.url = server.baseURL() + "/half-body"});
  EXPECT_EQ(halfBody->statusCode(), 200);
  ASSERT_TRUE(halfBody->error().has_value());
  EXPECT_NE(halfBody->error()->find("network connection was lost"), std::string::npos) << *halfBody->error();
  EXPECT_EQ(rowStatus(*halfBody), RowStatus::failure);
  EXPECT_EQ(model->errorMessage(), halfBody->error());

  const auto cutHead = sendAndAwait({.url = server.baseURL() + "/cut-head"});
  EXPECT_EQ(cutHead->statusCode(), 0);
  ASSERT_TRUE(cutHead->error().has_value());
  EXPECT_NE(cutHead->error()->find("network connection was lost"), std::string::npos) << *cutHead->error();
  EXPECT_EQ(cutHead->responseBody(), "");
  EXPECT_EQ(model->errorMessage(), cutHead->error());
  EXPECT_EQ(rowStatus(*cutHead), RowStatus::failure);

  // A complete answer the checks refuse is no failed send.
  testservers::LoopbackHTTPServer loopback;
  EXPECT_EQ(sendAndAwait({.url = loopback.baseURL() + "/not-found-json"})->error(), std::nullopt);
}

// What httpbin echoes when the entry's cURL text is run by bash with the
// real curl.
nlohmann::json curlEcho(const RequestHistoryItem& entry) {
  const auto path = std::filesystem::temp_directory_path() / ("wendalore-curl-" + entry.id().uuidString() + ".sh");
  std::ofstream(path) << curlCommand(entry) << " --silent\n";
  FILE* shell = popen(("bash --norc " + path.string()).c_str(), "r");
  std::string output;
  char buffer[4096];
  for (std::size_t count; (count = fread(buffer, 1, sizeof buffer, shell)) > 0;) output.append(buffer, count);
  pclose(shell);
  std::filesystem::remove(path);
  return nlohmann::json::parse(output, nullptr, false);
}

// The cURL text repeats the send: httpbin sees the same method, URL, rows,
// Content-Type and body from both, whichever the body kind. The raw text
// shows the entry.
TEST_F(RequestViewModelHttpbin, TheCopiedCURLCommandSendsWhatTheAppSent) {
  const auto file = std::filesystem::temp_directory_path() / "wendalore-curl-upload.txt";
  std::ofstream(file, std::ios::binary) << "line one\nline two";
  model->setSelectedFileURL(platform::URL::fileURL(file.string()));
  model->setMultipartFieldName("upload");
  model->setMultipartFileName("notes.txt");
  model->setMultipartMimeType("text/plain");
  const Send sends[] = {
      {.url = httpbin("/anything?a=1"), .method = "POST", .rows = {{"X-User", "me"}}, .body = R"({"k":1})",
       .bodyType = RequestBodyType::json},
      {.url = httpbin("/anything"), .method = "PUT", .body = "plain words", .bodyType = RequestBodyType::rawText},
      {.url = httpbin("/anything"), .method = "POST", .rows = {{"content-type", "text/plain"}}, .body = "a=1&b=2",
       .bodyType = RequestBodyType::formUrlEncoded},
      {.url = httpbin("/anything"), .method = "POST", .rows = {{"Content-Type", "text/plain"}},
       .body = "left over from another kind", .bodyType = RequestBodyType::multipart},
      {.url = httpbin("/anything"), .rows = {{"X-User", "me"}}, .body = "{}", .bodyType = RequestBodyType::json},
  };
  for (const auto& values : sends) {
    const auto entry = sendAndAwait(values);
    const auto app = echo(*entry);
    const auto copied = curlEcho(*entry);
    ASSERT_TRUE(app.is_object() && copied.is_object()) << curlCommand(*entry);
    for (const char* field : {"method", "url", "data", "form", "files"}) {
      EXPECT_EQ(copied[field], app[field]) << field << "\n" << curlCommand(*entry);
    }
    EXPECT_EQ(copied["headers"].value("X-User", ""), app["headers"].value("X-User", "")) << curlCommand(*entry);
    const auto type = app["headers"].value("Content-Type", "");
    const auto copiedType = copied["headers"].value("Content-Type", "");
    if (values.bodyType == RequestBodyType::multipart) {
      EXPECT_TRUE(copiedType.starts_with("multipart/form-data; boundary=")) << copiedType;
      EXPECT_EQ(curlCommand(*entry).find("left over"), std::string::npos);
    } else {
      EXPECT_EQ(copiedType, type) << curlCommand(*entry);
      // A form's length depends on its boundary, which curl chooses anew.
      EXPECT_EQ(copied["headers"].value("Content-Length", ""), app["headers"].value("Content-Length", ""));
    }
    // The raw text renders the entry: its rows, a form's with the type the
    // server received in place of the row's, and a Host line; not the
    // Content-Type the send supplied without a row, nor body text that
    // stayed home.
    const auto raw = rawRequestText(*entry);
    const auto head = raw.substr(0, raw.find("\n\n"));
    std::size_t lines = 2;
    for (const auto& row : values.rows) {
      const bool typeRow = row.key == "content-type" || row.key == "Content-Type";
      const auto line = typeRow ? "Content-Type: " + type : row.key + ": " + row.value;
      EXPECT_NE(head.find("\n" + line), std::string::npos) << raw;
      ++lines;
    }
    EXPECT_EQ(static_cast<std::size_t>(std::ranges::count(head, '\n')) + 1, lines) << raw;
    EXPECT_EQ(raw.find("left over"), std::string::npos) << raw;
  }
  const auto multipart = model->requestHistory()[1];
  EXPECT_NE(rawRequestText(*multipart).find("Content-Disposition: form-data; name=\"upload\"; filename=\"notes.txt\"\n"
                                            "Content-Type: text/plain\n\n(17 bytes of the file " +
                                            file.string() + ")\n"),
            std::string::npos)
      << rawRequestText(*multipart);
  std::filesystem::remove(file);
}

TEST_F(RequestViewModelHttpbin, AJSONBodyIsPrettyPrintedAndTimedByTheTasksMetrics) {
  const auto entry = sendAndAwait({.url = httpbin("/get")});
  EXPECT_EQ(model->responseStatus(), "Status: 200");
  EXPECT_EQ(model->errorMessage(), std::nullopt);
  EXPECT_EQ(model->responseBody(), entry->responseBody());
  EXPECT_TRUE(entry->responseBody().starts_with("{\n  \"")) << entry->responseBody();
  EXPECT_NE(entry->responseBody().find("\"url\" : \"http:\\/\\/127.0.0.1:"), std::string::npos);
  EXPECT_EQ(entry->responseLanguage(), "json");
  ASSERT_NE(entry->metrics(), nullptr);
  EXPECT_EQ(entry->duration(), entry->metrics()->taskInterval.duration);
  EXPECT_GT(entry->duration(), 0);
}

TEST_F(RequestViewModelHttpbin, TwoSendsInARowLeaveTwoEntriesAndTheLastResponseShown) {
  std::vector<std::shared_ptr<RequestHistoryItem>> completed;
  std::vector<platform::ObservationToken> tokens;
  std::vector<std::shared_ptr<RequestHistoryItem>> entries;
  for (const char* path : {"/get?send=1", "/get?send=2"}) {
    auto entry = send({.url = httpbin(path)});
    tokens.push_back(entry->observe([&completed, weakEntry = std::weak_ptr(entry)](std::string_view field) {
      if (field == "isPending") completed.push_back(weakEntry.lock());
    }));
    entries.push_back(entry);
  }
  await(entries);
  EXPECT_EQ(model->requestHistory(), (std::vector{entries[1], entries[0]}));
  EXPECT_FALSE(model->isLoading());
  ASSERT_EQ(completed.size(), 2u);
  EXPECT_EQ(model->responseBody(), completed.back()->responseBody());
}

TEST_F(RequestViewModelHttpbin, TheFiftyFirstSendDropsTheOldestEntry) {
  std::vector<std::shared_ptr<RequestHistoryItem>> entries;
  for (int index = 0; index <= 50; ++index) {
    entries.push_back(send({.url = httpbin("/anything/" + std::to_string(index))}));
  }
  ASSERT_EQ(model->requestHistory().size(), 50u);
  EXPECT_EQ(model->requestHistory().front(), entries.back());
  EXPECT_EQ(model->requestHistory().back(), entries[1]);
  await({entries.begin() + 1, entries.end()});
  // The dropped entry's response still arrives; it changes only the display.
  EXPECT_TRUE(platform::RunLoop::main().runUntil([&] { return !model->isLoading(); }, 60s));
  EXPECT_TRUE(entries.front()->isPending());
}

TEST_F(RequestViewModelHttpbin, AViewModelGoneWhileARequestRunsLeavesNothingBehind) {
  const auto entry = send({.url = httpbin("/delay/10")});
  const std::weak_ptr<wendanet::Session> session = model->session();
  const std::weak_ptr<RequestViewModel> gone = model;
  model.reset();
  // The view model went here, on the main thread; the session goes as soon
  // as its own queues have let go of it (a block of its pipeline may still
  // hold it for a moment).
  EXPECT_TRUE(gone.expired());
  EXPECT_TRUE(platform::RunLoop::main().runUntil([&] { return session.expired(); }, 10s));
  // The session finished the request; its completion finds nobody.
  platform::RunLoop::main().runUntil([] { return false; }, 200ms);
  EXPECT_TRUE(entry->isPending());
  EXPECT_EQ(entry.use_count(), 1);
}

}  // namespace
}  // namespace wendalore
