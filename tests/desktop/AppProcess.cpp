#include "tests/desktop/AppProcess.h"

#include <fmt/format.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <thread>
#include <vector>

extern char** environ;

namespace desktop {
namespace {

// The parent's environment with the private directories in place.
std::vector<std::string> environmentFor(const AppHome& home) {
  std::map<std::string, std::string> variables;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    std::string text(*entry);
    const auto equals = text.find('=');
    if (equals != std::string::npos) variables[text.substr(0, equals)] = text.substr(equals + 1);
  }
  variables["HOME"] = home.path().string();
  variables["XDG_DATA_HOME"] = home.dataHome().string();
  variables["XDG_RUNTIME_DIR"] = home.runtimeDirectory().string();
  variables["XDG_CONFIG_HOME"] = (home.path() / "config").string();
  variables["XDG_CACHE_HOME"] = (home.path() / "cache").string();
  variables["QT_QPA_PLATFORM"] = "xcb";
  std::vector<std::string> environment;
  for (const auto& [name, value] : variables) environment.push_back(name + "=" + value);
  return environment;
}

}  // namespace

AppProcess::AppProcess(const AppHome& home) : errorFile_(home.path() / "stderr.txt") {
  const auto environment = environmentFor(home);
  std::vector<char*> envp;
  for (const auto& variable : environment) envp.push_back(const_cast<char*>(variable.c_str()));
  envp.push_back(nullptr);
  std::string binary = WENDALORE_BINARY;
  char* argv[] = {binary.data(), nullptr};

  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, (home.path() / "stdout.txt").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&files, STDERR_FILENO, errorFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  startedAt_ = std::chrono::steady_clock::now();
  const int result = posix_spawn(&pid_, binary.c_str(), &files, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&files);
  if (result != 0) throw std::runtime_error(fmt::format("{} could not start: {}", binary, strerror(result)));
}

AppProcess::~AppProcess() {
  if (!isRunning()) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
}

bool AppProcess::isRunning() {
  if (exitStatus_) return false;
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) != pid_) return true;
  exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return false;
}

std::optional<int> AppProcess::waitForExit(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (isRunning()) {
    if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return exitStatus_;
}

std::string AppProcess::standardError() const {
  std::ifstream file(errorFile_, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

std::size_t AppProcess::residentBytes() const {
  std::ifstream status(fmt::format("/proc/{}/status", pid_));
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with("VmRSS:")) return std::stoull(line.substr(6)) * 1024;
  }
  return 0;
}

std::filesystem::path screenshotDirectory() {
  const std::filesystem::path directory = WENDALORE_SCREENSHOT_DIR;
  std::filesystem::create_directories(directory);
  return directory;
}

}  // namespace desktop
