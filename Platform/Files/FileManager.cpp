#include "Platform/Files/FileManager.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <system_error>

#include "Platform/Files/FileDescriptor.h"
#include "Platform/Files/FileError.h"

namespace platform {

namespace fs = std::filesystem;

namespace {

std::optional<fs::path> environmentPath(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  return fs::path(value);
}

std::optional<fs::path> homeDirectory() {
  if (auto home = environmentPath("HOME")) return home;
  passwd entry{};
  passwd* found = nullptr;
  char buffer[4096];
  if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr && *found->pw_dir != '\0') {
    return fs::path(found->pw_dir);
  }
  return std::nullopt;
}

// An XDG base directory: the variable when it holds an absolute path (the
// convention ignores relative ones), otherwise the fallback under home.
std::optional<fs::path> xdgDirectory(const char* variable, const char* fallbackUnderHome) {
  if (auto value = environmentPath(variable); value && value->is_absolute()) return value;
  if (auto home = homeDirectory()) return *home / fallbackUnderHome;
  return std::nullopt;
}

bool existsWithoutFollowing(const fs::path& path) {
  struct stat status {};
  return lstat(path.c_str(), &status) == 0;
}

// Copies `source` to `destination`, which must not exist; on failure
// removes whatever part of the copy was made and throws.
void copyAcrossFileSystems(const fs::path& source, const fs::path& destination) {
  if (existsWithoutFollowing(destination)) throw FileError("move", source, destination, EEXIST);
  std::error_code error;
  fs::copy(source, destination, fs::copy_options::recursive | fs::copy_options::copy_symlinks, error);
  if (error) {
    std::error_code ignored;
    fs::remove_all(destination, ignored);
    throw FileError("move", source, destination, error.value());
  }
  fs::remove_all(source, error);
  if (error) throw FileError("move", source, destination, error.value());
}

}  // namespace

std::shared_ptr<FileManager> FileManager::make() { return std::shared_ptr<FileManager>(new FileManager()); }

const std::shared_ptr<FileManager>& FileManager::defaultManager() {
  static const std::shared_ptr<FileManager> shared = make();
  return shared;
}

std::optional<FileType> FileManager::typeOfItem(const fs::path& path) const {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) return std::nullopt;
  if (S_ISREG(status.st_mode)) return FileType::regular;
  if (S_ISDIR(status.st_mode)) return FileType::directory;
  return FileType::other;
}

bool FileManager::fileExists(const fs::path& path, bool& isDirectory) const {
  auto type = typeOfItem(path);
  if (!type) return false;
  isDirectory = *type == FileType::directory;
  return true;
}

FileAttributes FileManager::attributesOfItem(const fs::path& path) const {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) throw FileError("read the attributes of", path, errno);
  FileAttributes attributes;
  if (S_ISREG(status.st_mode)) {
    attributes.type = FileType::regular;
  } else if (S_ISDIR(status.st_mode)) {
    attributes.type = FileType::directory;
  } else {
    return attributes;
  }
  attributes.size = static_cast<std::uint64_t>(status.st_size);
  return attributes;
}

fs::path FileManager::temporaryDirectory() const { return environmentPath("TMPDIR").value_or("/tmp"); }

void FileManager::createDirectory(const fs::path& path, bool withIntermediateDirectories) const {
  if (!withIntermediateDirectories) {
    if (mkdir(path.c_str(), 0777) != 0) throw FileError("create the directory", path, errno);
    return;
  }
  std::error_code error;
  fs::create_directories(path, error);
  if (error) throw FileError("create the directory", path, error.value());
}

void FileManager::removeItem(const fs::path& path) const {
  if (!existsWithoutFollowing(path)) throw FileError("remove", path, ENOENT);
  std::error_code error;
  fs::remove_all(path, error);
  if (error) throw FileError("remove", path, error.value());
}

void FileManager::moveItem(const fs::path& source, const fs::path& destination) const {
  if (!existsWithoutFollowing(source)) throw FileError("move", source, destination, ENOENT);
  if (renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, destination.c_str(), RENAME_NOREPLACE) == 0) return;
  int reason = errno;
  if (reason == EINVAL || reason == ENOSYS) {
    // The file system cannot refuse replacement atomically: check, then rename.
    if (existsWithoutFollowing(destination)) throw FileError("move", source, destination, EEXIST);
    if (std::rename(source.c_str(), destination.c_str()) == 0) return;
    reason = errno;
  }
  if (reason == EXDEV) return copyAcrossFileSystems(source, destination);
  throw FileError("move", source, destination, reason);
}

std::vector<fs::path> FileManager::urls(SearchPathDirectory directory, SearchPathDomainMask domains) const {
  if ((static_cast<unsigned>(domains) & static_cast<unsigned>(SearchPathDomainMask::user)) == 0) return {};
  std::optional<fs::path> found;
  switch (directory) {
    case SearchPathDirectory::applicationSupport:
      found = xdgDirectory("XDG_DATA_HOME", ".local/share");
      break;
    case SearchPathDirectory::caches:
      found = xdgDirectory("XDG_CACHE_HOME", ".cache");
      break;
    case SearchPathDirectory::documents:
      if (auto home = homeDirectory()) found = *home / "Documents";
      break;
  }
  if (!found) return {};
  return {*found};
}

bool FileManager::checkPromisedItemIsReachable(const fs::path& path) const {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) throw FileError("reach", path, errno);
  return true;
}

Data FileManager::contentsOfFile(const fs::path& path) const {
  auto file = FileDescriptor::open(path, O_RDONLY);
  if (!file) throw FileError("open", path, file.error());
  std::vector<std::uint8_t> bytes;
  std::uint8_t chunk[64 * 1024];
  while (true) {
    auto count = file->read(chunk, sizeof chunk);
    if (!count) throw FileError("read", path, count.error());
    if (*count == 0) break;
    bytes.insert(bytes.end(), chunk, chunk + *count);
  }
  return Data(std::move(bytes));
}

}  // namespace platform
