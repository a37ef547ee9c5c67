#pragma once

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// Memory of a process and of the helper processes it started, read from
// /proc, in MiB.
namespace processmemory {

inline double statusField(pid_t pid, const std::string& file, const std::string& field) {
  std::ifstream source("/proc/" + std::to_string(pid) + "/" + file);
  std::string line;
  while (std::getline(source, line)) {
    if (line.starts_with(field + ":")) return std::stod(line.substr(field.size() + 1)) / 1024.0;
  }
  return 0;
}

inline double residentMiB(pid_t pid) { return statusField(pid, "status", "VmRSS"); }
// Each shared page counted once over all the processes that map it.
inline double proportionalMiB(pid_t pid) { return statusField(pid, "smaps_rollup", "Pss"); }

inline pid_t parentOf(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), {});
  // The command name in parentheses may hold spaces; the state and the
  // parent follow its closing parenthesis.
  const auto close = text.rfind(')');
  if (close == std::string::npos || close + 4 > text.size()) return 0;
  return static_cast<pid_t>(std::stol(text.substr(close + 4)));
}

// `pid` and every process below it.
inline std::vector<pid_t> processTree(pid_t pid) {
  std::vector<pid_t> tree{pid};
  std::vector<std::pair<pid_t, pid_t>> parents;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const auto name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    const auto child = static_cast<pid_t>(std::stol(name));
    parents.emplace_back(child, parentOf(child));
  }
  for (std::size_t next = 0; next < tree.size(); ++next) {
    for (const auto& [child, parent] : parents) {
      if (parent == tree[next]) tree.push_back(child);
    }
  }
  return tree;
}

inline double treeProportionalMiB(pid_t pid) {
  double total = 0;
  for (const auto member : processTree(pid)) total += proportionalMiB(member);
  return total;
}

}  // namespace processmemory
