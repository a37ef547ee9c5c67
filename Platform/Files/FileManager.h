#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "Platform/Foundation/Data.h"

namespace platform {

enum class FileType { regular, directory, other };

// What the file system tells about one item. Symbolic links are followed,
// so the size is that of the file a link points to.
struct FileAttributes {
  FileType type = FileType::other;
  // Absent when the item has no byte size of its own.
  std::optional<std::uint64_t> size;
};

enum class SearchPathDirectory { applicationSupport, caches, documents };

// Domains as bits, so several can be asked for at once.
enum class SearchPathDomainMask : unsigned { user = 1, local = 2, network = 4, system = 8, all = 0xffff };

constexpr SearchPathDomainMask operator|(SearchPathDomainMask left, SearchPathDomainMask right) {
  return static_cast<SearchPathDomainMask>(static_cast<unsigned>(left) | static_cast<unsigned>(right));
}

// The file-system service. Operations that fail throw FileError. The
// operations are virtual so that a caller can be handed a manager that
// answers differently (a test double, a sandbox).
class FileManager {
 public:
  static std::shared_ptr<FileManager> make();
  // The process's shared manager.
  static const std::shared_ptr<FileManager>& defaultManager();

  virtual ~FileManager() = default;
  FileManager(const FileManager&) = delete;
  FileManager& operator=(const FileManager&) = delete;

  // The type of the item at `path`, or absent when nothing is there.
  virtual std::optional<FileType> typeOfItem(const std::filesystem::path& path) const;

  bool fileExists(const std::filesystem::path& path) const { return typeOfItem(path).has_value(); }
  // `isDirectory` is written only when something exists at `path`.
  bool fileExists(const std::filesystem::path& path, bool& isDirectory) const;

  virtual FileAttributes attributesOfItem(const std::filesystem::path& path) const;

  // $TMPDIR when set, /tmp otherwise.
  virtual std::filesystem::path temporaryDirectory() const;

  // With intermediate directories, missing parents are created and an
  // existing directory is no failure; without, the parent must exist and
  // the directory must not.
  virtual void createDirectory(const std::filesystem::path& path, bool withIntermediateDirectories) const;

  // Removes a file, a symbolic link (not its target) or a whole directory tree.
  virtual void removeItem(const std::filesystem::path& path) const;

  // Never replaces an existing destination. Across file systems the item is
  // copied and the source removed; a failed copy leaves no partial copy.
  virtual void moveItem(const std::filesystem::path& source, const std::filesystem::path& destination) const;

  // The user's standard directories; other domains have none here.
  virtual std::vector<std::filesystem::path> urls(SearchPathDirectory directory, SearchPathDomainMask domains) const;

  // True when the item can be reached; throws when it cannot (a missing file).
  virtual bool checkPromisedItemIsReachable(const std::filesystem::path& path) const;

  // The whole file's bytes.
  virtual Data contentsOfFile(const std::filesystem::path& path) const;

 protected:
  FileManager() = default;
};

}  // namespace platform
