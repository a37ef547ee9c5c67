#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct OperatingSystemVersion {
  int majorVersion = 0;
  int minorVersion = 0;
  int patchVersion = 0;

  // The leading "major.minor.patch" numbers of a kernel release such as
  // "6.1.0-18-amd64"; numbers that are missing or unreadable are 0.
  static OperatingSystemVersion fromKernelRelease(std::string_view release);

  friend auto operator<=>(const OperatingSystemVersion&, const OperatingSystemVersion&) = default;
};

// Facts about this process and the system it runs on, gathered once.
class ProcessInfo {
 public:
  static const ProcessInfo& processInfo();

  // The command line as the process was started, program name first; empty
  // when it cannot be read.
  const std::vector<std::string>& arguments() const { return arguments_; }
  // The kernel's name, "Linux".
  const std::string& operatingSystemName() const { return operatingSystemName_; }
  OperatingSystemVersion operatingSystemVersion() const { return operatingSystemVersion_; }
  // The kernel release as the kernel states it, such as "6.1.0-18-amd64".
  const std::string& operatingSystemVersionString() const { return operatingSystemVersionString_; }
  // Seconds on a clock that only moves forward, unaffected by changes of the
  // wall clock; for measuring durations.
  double systemUptime() const;
  int processIdentifier() const;
  // The value of an environment variable, absent when it is not set.
  std::optional<std::string> environmentValue(std::string_view name) const;

  // Splits a NUL-separated command line (the last NUL ends it); empty
  // arguments in between are kept.
  static std::vector<std::string> argumentsFromCommandLine(std::string_view commandLine);

 private:
  ProcessInfo();

  std::vector<std::string> arguments_;
  std::string operatingSystemName_;
  OperatingSystemVersion operatingSystemVersion_;
  std::string operatingSystemVersionString_;
};

}  // namespace platform
