#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "Platform/Dispatch/RunLoop.h"
#include "Platform/URLLoading/URLSession.h"
#include "Platform/URLLoading/URLSessionConfiguration.h"
#include "Platform/URLLoading/URLSessionDataTask.h"
#include "Wendalore/History/CurlCommand.h"
#include "Wendalore/ViewModel/RequestViewModel.h"
#include "Wendanet/Source/Support/CURLCommand.h"
#include "tests/Platform/CurlStandIn.h"
#include "tests/Platform/ScratchDirectory.h"
#include "tests/Wendalore/ViewModel/HeaderRows.h"
#include "tests/servers/CapturingHTTPServer.h"

using namespace wendalore;

namespace {

// The exit status of `command` run from a script by `shell` with the real
// curl; a run still going after `seconds` is stopped, with curl, and gives
// 124.
int statusWithRealCurl(const std::string& shell, const std::string& command, int seconds = 60) {
  const ScratchDirectory files;
  const auto script = files.write("script", command + "\n");
  const auto status = std::system(("cd '" + files.path().string() + "' && timeout -k 10 " + std::to_string(seconds) +
                                   " " + shell + " '" + script.string() + "' </dev/null >/dev/null 2>&1")
                                      .c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct ShellRun {
  std::string shell;
  std::string path;
  std::string command;
};

// The exit status of each run, a few at a time. Against a local server a
// run takes moments; one that waits for an answer is stopped after seconds.
std::vector<int> statusesWithRealCurl(const std::vector<ShellRun>& runs) {
  std::vector<int> statuses(runs.size(), -1);
  std::atomic<std::size_t> next = 0;
  std::vector<std::future<void>> workers;
  for (int worker = 0; worker < 12; ++worker) {
    workers.push_back(std::async(std::launch::async, [&] {
      for (std::size_t index; (index = next++) < runs.size();) {
        statuses[index] = statusWithRealCurl(runs[index].shell, runs[index].command, 5);
      }
    }));
  }
  for (auto& worker : workers) worker.get();
  return statuses;
}

std::size_t replaceAll(std::string& text, std::string_view from, std::string_view to) {
  std::size_t count = 0;
  for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size(), ++count) {
    text.replace(at, from.size(), to);
  }
  return count;
}

// What curl must repeat of a request: its method, the length it gave and
// its body. curl names a form's boundary itself, so that one is left out.
struct Framing {
  std::string method;
  std::optional<std::string> length;
  std::string body;
  bool operator==(const Framing&) const = default;
};

Framing framing(const testservers::ScriptedRequest& request) {
  Framing framing{request.method, request.field("Content-Length"), request.body};
  constexpr std::string_view formType = "multipart/form-data; boundary=";
  const auto type = request.field("Content-Type").value_or("");
  if (!type.starts_with(formType) || framing.body.empty()) return framing;
  const auto boundary = type.substr(formType.size());
  constexpr std::string_view stands = "(boundary)";
  const auto count = replaceAll(framing.body, boundary, stands);
  if (framing.length) {
    framing.length = std::to_string(std::stoul(*framing.length) + count * stands.size() - count * boundary.size());
  }
  return framing;
}

// A request that went out, by the path it went to, and the cURL text that
// is to repeat it.
struct SentText {
  std::string path;
  std::string text;
};

const std::string methods[] = {"GET", "POST", "PUT", "PATCH", "DELETE", "OPTIONS", "HEAD"};
// None, blank, or a wrong length.
const std::optional<test::Row> lengthRows[] = {std::nullopt, test::Row{"Content-Length", ""},
                                               test::Row{"content-length", "999"}};

// Every method with every body kind, sent by the view model to `server`.
std::vector<SentText> sendFromTheApplication(const testservers::CapturingHTTPServer& server,
                                             const std::filesystem::path& file) {
  struct BodyKind {
    RequestBodyType type;
    std::string body;
    bool withFile = false;
  };
  const BodyKind kinds[] = {{RequestBodyType::none, "stays home"},   {RequestBodyType::formUrlEncoded, "a=1&b=2"},
                            {RequestBodyType::rawText, "plain words"}, {RequestBodyType::json, ""},
                            {RequestBodyType::multipart, "", true},    {RequestBodyType::multipart, ""}};
  const auto model = RequestViewModel::make();
  std::vector<SentText> sent;
  for (const auto& method : methods) {
    for (const auto& kind : kinds) {
      // The library refuses a GET with a body before anything goes out.
      if (method == "GET" && kind.type == RequestBodyType::formUrlEncoded) continue;
      for (const auto& lengthRow : lengthRows) {
        const auto path = "/app/" + std::to_string(sent.size());
        std::vector<test::Row> rows{{"X-Row", "1"}};
        if (lengthRow) rows.push_back(*lengthRow);
        model->setSelectedFileURL(kind.withFile ? std::optional(platform::URL::fileURL(file.string())) : std::nullopt);
        model->sendRequest(server.baseURL() + path, method, test::headerRows(rows), kind.body, kind.type,
                           RequestAuthType::none, "", "", "");
        const auto entry = model->requestHistory().front();
        if (!platform::RunLoop::main().runUntil([&] { return !entry->isPending(); }, std::chrono::seconds(30))) {
          ADD_FAILURE() << method << " " << path << " did not end";
          return sent;
        }
        sent.push_back({path, curlCommand(*entry)});
      }
    }
  }
  return sent;
}

// Every method with no body, an empty and a short one, sent by a session
// of the engine to `server`; waits until the server has them all.
std::vector<SentText> sendFromTheLibrary(const testservers::CapturingHTTPServer& server) {
  const std::optional<std::string> bodies[] = {std::nullopt, "", "a=1&b=2"};
  const auto awaited = server.requests().size() + std::size(methods) * std::size(bodies) * std::size(lengthRows);
  const auto session = platform::URLSession::make(platform::URLSessionConfiguration::ephemeralConfiguration());
  std::vector<SentText> sent;
  for (const auto& method : methods) {
    for (const auto& body : bodies) {
      for (const auto& lengthRow : lengthRows) {
        const auto path = "/library/" + std::to_string(sent.size());
        platform::URLRequest request(platform::URL::string(server.baseURL() + path));
        request.setHTTPMethod(method);
        if (body) request.setHTTPBody(platform::Data(*body));
        if (lengthRow) request.setValueForHTTPHeaderField(lengthRow->value, lengthRow->key);
        session->dataTaskWithRequest(request)->resume();
        // The text starts with a prompt.
        sent.push_back({path, wendanet::makeCURLCommand(request, {}).substr(2)});
      }
    }
  }
  for (int wait = 0; wait < 3000 && server.requests().size() < awaited; ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  session->invalidateAndCancel();
  return sent;
}

}  // namespace

// Both texts of a HEAD with an empty and a blank field, run by every shell
// with the real curl against a local server: each run must end on its own,
// and the server must get a HEAD with both fields, empty.
TEST(CurlTexts, EveryShellRunsCurlToSendABlankFieldAndAHeadThatEnds) {
  testservers::CapturingHTTPServer server;
  const HeaderDictionary headers{{"X-Empty", ""}, {"X-Blank", " \t"}, {"X-Kept", "1"}};
  std::vector<ShellRun> runs;
  for (const auto shell : CurlStandIn::shells) {
    const std::string name(shell.substr(0, shell.find(' ')));
    const auto historyPath = "/history-" + name;
    const auto item = RequestHistoryItem::make(platform::Date{}, "HEAD", server.baseURL() + historyPath, headers,
                                               std::nullopt);
    runs.push_back({std::string(shell), historyPath, curlCommand(*item)});

    const auto libraryPath = "/library-" + name;
    platform::URLRequest request(platform::URL::string(server.baseURL() + libraryPath));
    request.setHTTPMethod("HEAD");
    request.setAllHTTPHeaderFields(platform::HTTPHeaderFields(headers.begin(), headers.end()));
    // The text starts with a prompt.
    runs.push_back({std::string(shell), libraryPath, wendanet::makeCURLCommand(request, {}).substr(2)});
  }
  std::vector<std::future<int>> statuses;
  for (const auto& run : runs) {
    statuses.push_back(std::async(std::launch::async, [&run] { return statusWithRealCurl(run.shell, run.command); }));
  }
  for (std::size_t index = 0; index < runs.size(); ++index) {
    EXPECT_EQ(statuses[index].get(), 0) << runs[index].shell << "\n" << runs[index].command;
  }
  const auto requests = server.requests();
  const std::pair<std::string, std::optional<std::string>> arrived[] = {
      {"X-Empty", ""}, {"X-Blank", ""}, {"X-Kept", "1"}};
  for (const auto& run : runs) {
    const auto received = std::ranges::find(requests, run.path, &testservers::ScriptedRequest::path);
    ASSERT_NE(received, requests.end()) << run.shell << "\n" << run.command;
    EXPECT_EQ(received->method, "HEAD") << run.shell << "\n" << run.command;
    for (const auto& [name, value] : arrived) {
      EXPECT_EQ(received->field(name), value) << name << " " << run.shell << "\n" << received->head;
    }
  }
}

// Every method with every body kind, and a Content-Length row given blank,
// wrong or not at all, sent by the application and by the library through
// the engine; then both texts run by every shell with the real curl against
// a local server. curl must send the method and the length the engine sent,
// and the same body (a form's boundary aside); a HEAD goes without a body,
// as the engine sends it. A body curl could not frame, or a length it would
// wait to fill, would leave the server without the request.
TEST(CurlTexts, EveryShellRunsCurlToSendTheMethodAndLengthThatWentOut) {
  testservers::CapturingHTTPServer engineServer;
  testservers::CapturingHTTPServer curlServer;
  const ScratchDirectory files;
  auto sent = sendFromTheApplication(engineServer, files.write("notes.txt", "line one\nline two"));
  std::ranges::move(sendFromTheLibrary(engineServer), std::back_inserter(sent));
  const auto wentOut = engineServer.requests();
  ASSERT_EQ(wentOut.size(), sent.size());

  std::vector<ShellRun> runs;
  for (const auto shell : CurlStandIn::shells) {
    const auto prefix = "/" + std::string(shell.substr(0, shell.find(' ')));
    for (const auto& [path, text] : sent) {
      auto command = text;
      replaceAll(command, engineServer.baseURL() + "/", curlServer.baseURL() + prefix + "/");
      runs.push_back({std::string(shell), prefix + path, command});
    }
  }
  const auto statuses = statusesWithRealCurl(runs);
  const auto curlSent = curlServer.requests();
  int failures = 0;
  for (std::size_t index = 0; index < runs.size() && failures < 10; ++index) {
    const auto& run = runs[index];
    const auto engine = std::ranges::find(wentOut, sent[index % sent.size()].path, &testservers::ScriptedRequest::path);
    const auto curl = std::ranges::find(curlSent, run.path, &testservers::ScriptedRequest::path);
    const bool same = statuses[index] == 0 && engine != wentOut.end() && curl != curlSent.end() &&
                      framing(*curl) == framing(*engine);
    if (same) continue;
    ++failures;
    ADD_FAILURE() << run.shell << ", exit status " << statuses[index] << "\n"
                  << run.command << "\nthe engine sent:\n"
                  << (engine == wentOut.end() ? "nothing" : engine->head + engine->body) << "\ncurl sent:\n"
                  << (curl == curlSent.end() ? "nothing" : curl->head + curl->body);
  }
}
