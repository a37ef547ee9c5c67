#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "Platform/Files/FileManager.h"
#include "Platform/Foundation/URL.h"

namespace wendanet::testing {

// A directory of its own for one test, removed with everything in it.
class ScratchDirectory {
 public:
  ScratchDirectory() {
    auto pattern = (platform::FileManager::defaultManager()->temporaryDirectory() / "scratch-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "No scratch directory could be made.";
    path_ = pattern;
  }
  ~ScratchDirectory() { std::filesystem::remove_all(path_); }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }
  platform::URL url(const std::string& relativePath) const {
    return platform::URL::fileURL((path_ / relativePath).string());
  }

 private:
  std::filesystem::path path_;
};

inline void writeFile(const std::filesystem::path& path, const std::string& contents) {
  std::ofstream(path, std::ios::binary) << contents;
}

// The file's contents, or "missing".
inline std::string fileContents(const std::filesystem::path& path) {
  if (!std::filesystem::is_regular_file(path)) return "missing";
  std::ostringstream contents;
  contents << std::ifstream(path, std::ios::binary).rdbuf();
  return contents.str();
}

}  // namespace wendanet::testing
