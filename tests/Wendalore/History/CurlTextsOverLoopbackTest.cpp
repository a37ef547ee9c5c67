#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <future>
#include <optional>
#include <string>
#include <vector>

#include "Wendalore/History/CurlCommand.h"
#include "Wendanet/Source/Support/CURLCommand.h"
#include "tests/Platform/CurlStandIn.h"
#include "tests/Platform/ScratchDirectory.h"
#include "tests/servers/CapturingHTTPServer.h"

using namespace wendalore;

namespace {

// The exit status of `command` run from a script by `shell` with the real
// curl; a run still going after a minute is stopped, with curl, and gives
// 124.
int statusWithRealCurl(const std::string& shell, const std::string& command) {
  const ScratchDirectory files;
  const auto script = files.write("script", command + "\n");
  const auto status = std::system(("cd '" + files.path().string() + "' && timeout -k 10 60 " + shell + " '" +
                                   script.string() + "' </dev/null >/dev/null 2>&1")
                                      .c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct ShellRun {
  std::string shell;
  std::string path;
  std::string command;
};

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
