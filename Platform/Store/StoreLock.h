#pragma once

#include <expected>
#include <filesystem>

#include "Platform/Foundation/Error.h"

namespace platform {

// Exclusive use of one store file for as long as the lock lives, so that two
// containers (in one process or in two) never write the same file. The lock
// is an advisory flock on a file beside the store ("<store>.lock"), apart
// from the locks SQLite keeps on the store itself.
class StoreLock {
 public:
  // Fails at once, with a message fit to show, when another container holds
  // the store.
  static std::expected<StoreLock, AnyError> acquire(const std::filesystem::path& store);

  StoreLock(StoreLock&& other) noexcept;
  StoreLock& operator=(StoreLock&& other) noexcept;
  StoreLock(const StoreLock&) = delete;
  StoreLock& operator=(const StoreLock&) = delete;
  ~StoreLock();

  // Gives the lock up and, when this lock made the lock file, removes it: for
  // a store that was refused or could not be made.
  void abandon();

  static std::filesystem::path lockFile(const std::filesystem::path& store);

 private:
  StoreLock(std::filesystem::path path, int descriptor, bool created)
      : path_(std::move(path)), descriptor_(descriptor), created_(created) {}

  std::filesystem::path path_;
  int descriptor_ = -1;
  bool created_ = false;
};

}  // namespace platform
