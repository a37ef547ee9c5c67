#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

// A file this user may not write: the immutable attribute holds even for
// root, who may write anything else.
class ImmutableFile {
 public:
  explicit ImmutableFile(std::filesystem::path file) : file_(std::move(file)) {
    set_ = std::system(("chattr +i '" + file_.string() + "' 2>/dev/null").c_str()) == 0;
  }
  ~ImmutableFile() {
    if (set_) (void)std::system(("chattr -i '" + file_.string() + "'").c_str());
  }
  ImmutableFile(const ImmutableFile&) = delete;
  ImmutableFile& operator=(const ImmutableFile&) = delete;
  bool isSet() const { return set_; }

 private:
  std::filesystem::path file_;
  bool set_ = false;
};
