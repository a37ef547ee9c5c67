#include "Platform/Foundation/ProcessInfo.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <charconv>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace platform {
namespace {

std::string readCommandLine() {
  std::ifstream file("/proc/self/cmdline", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace

OperatingSystemVersion OperatingSystemVersion::fromKernelRelease(std::string_view release) {
  int numbers[3] = {0, 0, 0};
  const char* position = release.data();
  const char* const end = release.data() + release.size();
  for (int& number : numbers) {
    const auto [next, error] = std::from_chars(position, end, number);
    if (error != std::errc()) {
      number = 0;
      break;
    }
    if (next == end || *next != '.') break;
    position = next + 1;
  }
  return {numbers[0], numbers[1], numbers[2]};
}

const ProcessInfo& ProcessInfo::processInfo() {
  static const ProcessInfo shared;
  return shared;
}

ProcessInfo::ProcessInfo() : arguments_(argumentsFromCommandLine(readCommandLine())), operatingSystemName_("Linux") {
  utsname system{};
  if (uname(&system) == 0) {
    operatingSystemName_ = system.sysname;
    operatingSystemVersionString_ = system.release;
    operatingSystemVersion_ = OperatingSystemVersion::fromKernelRelease(operatingSystemVersionString_);
  }
}

double ProcessInfo::systemUptime() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

int ProcessInfo::processIdentifier() const { return static_cast<int>(getpid()); }

std::optional<std::string> ProcessInfo::environmentValue(std::string_view name) const {
  const char* value = std::getenv(std::string(name).c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

std::vector<std::string> ProcessInfo::argumentsFromCommandLine(std::string_view commandLine) {
  std::vector<std::string> arguments;
  if (commandLine.empty()) return arguments;
  if (commandLine.back() == '\0') commandLine.remove_suffix(1);
  while (true) {
    const std::size_t end = commandLine.find('\0');
    arguments.emplace_back(commandLine.substr(0, end));
    if (end == std::string_view::npos) return arguments;
    commandLine.remove_prefix(end + 1);
  }
}

}  // namespace platform
