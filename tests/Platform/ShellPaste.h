#pragma once

#include <poll.h>
#include <signal.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/Platform/ScratchDirectory.h"

// A command line as an interactive bash (no start-up files, history
// expansion on) reads it, with `curl` a function that writes its arguments
// to a file, each ended by a NUL, and what it reads on its standard input
// when an argument asks for that ("@-"). The lines reach the shell through a pipe,
// or on a terminal, where its line editor acts on every byte: typed, or
// pasted as a terminal pastes (bracketed, so a tab inserts itself rather
// than completing).
class ShellPaste {
 public:
  enum class Input { pipe, typed, pasted };

  // The arguments curl received; none when the command did not run.
  std::vector<std::string> arguments(const std::string& command, Input input) {
    std::filesystem::remove(received());
    std::filesystem::remove(receivedInput());
    const std::string function = "curl() { printf '%s\\0' \"$@\" > '" + received().string() +
                                 "'; for a; do [ \"$a\" != @- ] || cat > '" + receivedInput().string() + "'; done; }\n";
    if (input == Input::pipe) {
      const auto file = files_.write("script.sh", function + command + "\nexit\n");
      (void)std::system(("cd '" + folder_.path().string() + "' && bash --norc -i < '" + file.string() +
                         "' > /dev/null 2>&1")
                            .c_str());
    } else if (input == Input::typed) {
      typeOnTerminal(function + command + "\nexit\n");
    } else {
      typeOnTerminal(function + "\x1b[200~" + command + "\x1b[201~\rexit\n");
    }
    std::ifstream stream(received(), std::ios::binary);
    const std::string output{std::istreambuf_iterator<char>(stream), {}};
    std::vector<std::string> arguments;
    for (std::size_t start = 0, end; (end = output.find('\0', start)) != std::string::npos; start = end + 1) {
      arguments.push_back(output.substr(start, end - start));
    }
    return arguments;
  }

  // What the last command's curl read on its standard input.
  std::string input() const {
    std::ifstream stream(receivedInput(), std::ios::binary);
    return std::string{std::istreambuf_iterator<char>(stream), {}};
  }

  // The shell's working folder, empty: a file a command would make lands
  // there, and a tab completes nothing.
  const std::filesystem::path& folder() const { return folder_.path(); }

 private:
  std::filesystem::path received() const { return files_.path() / "curl-arguments"; }
  std::filesystem::path receivedInput() const { return files_.path() / "curl-input"; }

  // Writes `text` to a bash on a new terminal and reads what it shows until
  // it exits, so that neither side waits on a full buffer.
  void typeOnTerminal(const std::string& text) {
    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child == 0) {
      if (chdir(folder_.path().c_str()) != 0) _exit(127);
      setenv("TERM", "xterm", 1);
      execlp("bash", "bash", "--norc", "-i", static_cast<char*>(nullptr));
      _exit(127);
    }
    if (child < 0) return;
    std::size_t written = 0;
    // A shell left waiting for the rest of a quote shows nothing more.
    constexpr auto quietLimit = std::chrono::seconds(10);
    auto lastHeard = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - lastHeard < quietLimit) {
      pollfd descriptor{terminal, static_cast<short>(POLLIN | (written < text.size() ? POLLOUT : 0)), 0};
      if (poll(&descriptor, 1, 1000) < 0) break;
      if (descriptor.revents & POLLIN) {
        char buffer[4096];
        if (read(terminal, buffer, sizeof buffer) <= 0) break;
        lastHeard = std::chrono::steady_clock::now();
      } else if (descriptor.revents & (POLLHUP | POLLERR)) {
        break;
      }
      if ((descriptor.revents & POLLOUT) && written < text.size()) {
        // A line at a time, as a person types, so the line editor keeps up.
        const auto lineEnd = text.find('\n', written);
        const auto count = (lineEnd == std::string::npos ? text.size() : lineEnd + 1) - written;
        const auto sent = write(terminal, text.data() + written, count);
        if (sent > 0) written += static_cast<std::size_t>(sent);
      }
    }
    close(terminal);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
  }

  ScratchDirectory files_;
  ScratchDirectory folder_;
};
