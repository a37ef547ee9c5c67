#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "tests/Platform/ScratchDirectory.h"

// Command lines run by a shell with a stand-in for curl first on PATH,
// which records every call's arguments and what it read on its standard
// input, byte for byte. The commands run in an empty folder of their own.
class CurlStandIn {
 public:
  struct Call {
    std::vector<std::string> arguments;
    std::string input;
    bool operator==(const Call&) const = default;
  };
  // As a script file the shell is given, or piped into the shell's input.
  enum class Feed { script, pipe };
  // The shells a command line must work in, as run without start-up files.
  static constexpr std::string_view shells[] = {"dash", "bash --norc", "zsh -f"};
  static constexpr Feed feeds[] = {Feed::script, Feed::pipe};

  CurlStandIn() { std::filesystem::create_symlink(CURL_STAND_IN, standIn_ / "curl"); }

  // The calls each of `commands` made, in order, run one after the other by
  // `shell` (a command such as "zsh -f"). Runs may go on at the same time.
  std::vector<std::vector<Call>> run(std::string_view shell, const std::vector<std::string>& commands,
                                     Feed feed) const {
    std::string script;
    for (std::size_t index = 0; index < commands.size(); ++index) {
      script += "export CASE=" + std::to_string(index) + "\n" + commands[index] + "\n";
    }
    const ScratchDirectory files;
    const auto scriptFile = files.write("script", script);
    const auto log = files / "calls";
    const std::string environment =
        "PATH='" + standIn_.path().string() + "':\"$PATH\" CURL_STAND_IN_LOG='" + log.string() + "' ";
    const std::string run = feed == Feed::script
                                ? environment + std::string(shell) + " '" + scriptFile.string() + "' </dev/null"
                                : "cat '" + scriptFile.string() + "' | " + environment + std::string(shell);
    (void)std::system(("cd '" + folder_.path().string() + "' && " + run + " >/dev/null 2>&1").c_str());
    return callsByCase(readWholeFile(log), commands.size());
  }

  const std::filesystem::path& folder() const { return folder_.path(); }

 private:
  static std::vector<std::vector<Call>> callsByCase(const std::string& log, std::size_t cases) {
    std::vector<std::vector<Call>> calls(cases);
    std::size_t position = 0;
    const auto text = [&] {
      const auto lineEnd = log.find('\n', position);
      const auto length = std::stoul(log.substr(position, lineEnd - position));
      position = lineEnd + 1 + length;
      return log.substr(lineEnd + 1, length);
    };
    while (position < log.size()) {
      const auto index = std::stoul(text());
      Call call;
      for (auto count = std::stoul(text()); count > 0; --count) call.arguments.push_back(text());
      call.input = text();
      if (index < cases) calls[index].push_back(std::move(call));
    }
    return calls;
  }

  ScratchDirectory standIn_;
  ScratchDirectory folder_;
};

// Each of `commands` must make exactly the call `expected` holds for it
// under every shell, read from a script or a pipe, and nothing else run.
inline void expectEveryShellHandsCurl(const std::vector<std::string>& commands,
                                      const std::vector<CurlStandIn::Call>& expected) {
  const CurlStandIn curl;
  for (const auto shell : CurlStandIn::shells) {
    for (const auto feed : CurlStandIn::feeds) {
      const auto calls = curl.run(shell, commands, feed);
      for (std::size_t index = 0; index < commands.size(); ++index) {
        EXPECT_EQ(calls[index], std::vector{expected[index]}) << shell << " " << static_cast<int>(feed) << "\n"
                                                              << commands[index];
      }
    }
  }
  EXPECT_TRUE(std::filesystem::is_empty(curl.folder()));
}
