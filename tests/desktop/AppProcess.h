#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

#include "tests/desktop/AppHome.h"

namespace desktop {

// The built program, started under the current display with a private home
// (HOME, XDG_DATA_HOME, XDG_RUNTIME_DIR and the rest inside `home`). Its
// standard output and error go to files in that home. A process still
// running when this object goes away is killed.
class AppProcess {
 public:
  explicit AppProcess(const AppHome& home);
  ~AppProcess();
  AppProcess(const AppProcess&) = delete;
  AppProcess& operator=(const AppProcess&) = delete;

  pid_t pid() const { return pid_; }
  std::chrono::steady_clock::time_point startedAt() const { return startedAt_; }

  bool isRunning();
  // The exit status (128 + signal number for a killed process), or none
  // when the process is still running after `timeout`.
  std::optional<int> waitForExit(std::chrono::milliseconds timeout);
  std::string standardError() const;
  // Resident memory now, in bytes.
  std::size_t residentBytes() const;

 private:
  pid_t pid_ = -1;
  std::optional<int> exitStatus_;
  std::filesystem::path errorFile_;
  std::chrono::steady_clock::time_point startedAt_;
};

// Where screenshots of test runs are kept, created on first use.
std::filesystem::path screenshotDirectory();

}  // namespace desktop
