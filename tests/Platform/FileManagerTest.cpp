#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "Platform/Files/FileError.h"
#include "Platform/Files/FileManager.h"
#include "tests/Platform/ScratchDirectory.h"

using namespace platform;
namespace fs = std::filesystem;

namespace {

const FileManager& files() { return *FileManager::defaultManager(); }

// Sets an environment variable for one scope and puts the old value back.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    set(value);
  }
  ~ScopedEnvironment() { set(old_); }

 private:
  void set(const std::optional<std::string>& value) {
    if (value) {
      setenv(name_, value->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  const char* name_;
  std::optional<std::string> old_;
};

template <class Operation>
FileError expectFileError(Operation operation) {
  try {
    operation();
  } catch (const FileError& error) {
    return error;
  }
  ADD_FAILURE() << "no FileError was thrown";
  return FileError("nothing", "", 0);
}

}  // namespace

TEST(FileManager, TellsFilesFromDirectoriesAndMissingItems) {
  ScratchDirectory scratch;
  auto file = scratch.write("a.txt", "hello");
  bool isDirectory = true;
  EXPECT_TRUE(files().fileExists(file, isDirectory));
  EXPECT_FALSE(isDirectory);
  EXPECT_TRUE(files().fileExists(scratch.path(), isDirectory));
  EXPECT_TRUE(isDirectory);
  EXPECT_FALSE(files().fileExists(scratch / "missing"));
}

TEST(FileManager, AttributesGiveTheSizeOfTheFileALinkPointsTo) {
  ScratchDirectory scratch;
  auto file = scratch.write("five", "12345");
  fs::create_symlink(file, scratch / "link");
  for (const auto& path : {file, scratch / "link"}) {
    auto attributes = files().attributesOfItem(path);
    EXPECT_EQ(attributes.type, FileType::regular);
    EXPECT_EQ(attributes.size, 5u);
  }
  auto error = expectFileError([&] { files().attributesOfItem(scratch / "missing"); });
  EXPECT_EQ(error.code(), FileError::Code::noSuchFile);
  EXPECT_EQ(error.description(),
            "Could not read the attributes of \"" + (scratch / "missing").string() + "\": No such file or directory");
}

TEST(FileManager, CreatesDirectoriesWithAndWithoutIntermediates) {
  ScratchDirectory scratch;
  auto nested = scratch / "one" / "two" / "three";
  files().createDirectory(nested, true);
  EXPECT_TRUE(fs::is_directory(nested));
  files().createDirectory(nested, true);  // already there: no failure

  EXPECT_EQ(expectFileError([&] { files().createDirectory(scratch / "x" / "y", false); }).code(),
            FileError::Code::noSuchFile);
  EXPECT_EQ(expectFileError([&] { files().createDirectory(nested, false); }).code(), FileError::Code::fileExists);

  auto blocker = scratch.write("blocker", "");
  EXPECT_EQ(expectFileError([&] { files().createDirectory(blocker, true); }).code(), FileError::Code::notADirectory);
  expectFileError([&] { files().createDirectory(blocker / "below", true); });
}

TEST(FileManager, RemovesFilesTreesAndLinksButNotLinkTargets) {
  ScratchDirectory scratch;
  auto target = scratch.write("target", "keep");
  fs::create_symlink(target, scratch / "link");
  files().removeItem(scratch / "link");
  EXPECT_EQ(readWholeFile(target), "keep");

  files().createDirectory(scratch / "tree" / "inner", true);
  scratch.write("tree/inner/file", "x");
  files().removeItem(scratch / "tree");
  EXPECT_FALSE(fs::exists(scratch / "tree"));

  EXPECT_EQ(expectFileError([&] { files().removeItem(scratch / "tree"); }).code(), FileError::Code::noSuchFile);
}

TEST(FileManager, MoveRefusesAnExistingDestinationAndKeepsBothItems) {
  ScratchDirectory scratch;
  auto source = scratch.write("source", "new");
  auto destination = scratch.write("destination", "old");
  auto error = expectFileError([&] { files().moveItem(source, destination); });
  EXPECT_EQ(error.code(), FileError::Code::fileExists);
  EXPECT_EQ(error.description(),
            "Could not move \"" + source.string() + "\" to \"" + destination.string() + "\": File exists");
  EXPECT_EQ(readWholeFile(source), "new");
  EXPECT_EQ(readWholeFile(destination), "old");

  files().moveItem(source, scratch / "moved");
  EXPECT_FALSE(fs::exists(source));
  EXPECT_EQ(readWholeFile(scratch / "moved"), "new");
  EXPECT_EQ(expectFileError([&] { files().moveItem(source, scratch / "again"); }).code(), FileError::Code::noSuchFile);
}

TEST(FileManager, MovesADirectoryTreeAcrossFileSystems) {
  ScratchDirectory disk;
  if (!fs::is_directory("/dev/shm")) GTEST_SKIP() << "no second file system to move to";
  ScratchDirectory memory("/dev/shm");
  struct stat diskStatus {
  }, memoryStatus{};
  stat(disk.path().c_str(), &diskStatus);
  stat(memory.path().c_str(), &memoryStatus);
  if (diskStatus.st_dev == memoryStatus.st_dev) GTEST_SKIP() << "both directories are on one file system";

  files().createDirectory(disk / "tree" / "inner", true);
  disk.write("tree/inner/file", "payload");
  files().moveItem(disk / "tree", memory / "tree");
  EXPECT_FALSE(fs::exists(disk / "tree"));
  EXPECT_EQ(readWholeFile(memory / "tree" / "inner" / "file"), "payload");

  disk.write("file", "x");
  memory.write("file", "y");
  EXPECT_EQ(expectFileError([&] { files().moveItem(disk / "file", memory / "file"); }).code(),
            FileError::Code::fileExists);
  EXPECT_EQ(readWholeFile(memory / "file"), "y");
}

TEST(FileManager, TemporaryDirectoryFollowsTMPDIR) {
  {
    ScopedEnvironment tmpdir("TMPDIR", "/var/tmp/elsewhere");
    EXPECT_EQ(files().temporaryDirectory(), "/var/tmp/elsewhere");
  }
  ScopedEnvironment tmpdir("TMPDIR", std::nullopt);
  EXPECT_EQ(files().temporaryDirectory(), "/tmp");
}

TEST(FileManager, UserDirectoriesFollowTheXdgConventions) {
  ScopedEnvironment home("HOME", "/home/tester");
  ScopedEnvironment data("XDG_DATA_HOME", "/data/home");
  ScopedEnvironment cache("XDG_CACHE_HOME", "relative/is/ignored");
  using enum SearchPathDirectory;
  EXPECT_EQ(files().urls(applicationSupport, SearchPathDomainMask::user), std::vector<fs::path>{"/data/home"});
  EXPECT_EQ(files().urls(caches, SearchPathDomainMask::all), std::vector<fs::path>{"/home/tester/.cache"});
  EXPECT_EQ(files().urls(documents, SearchPathDomainMask::user), std::vector<fs::path>{"/home/tester/Documents"});
  EXPECT_TRUE(files().urls(documents, SearchPathDomainMask::local | SearchPathDomainMask::system).empty());
}

TEST(FileManager, ReachabilityAndContentsFailForAMissingFile) {
  ScratchDirectory scratch;
  auto file = scratch.write("bytes", std::string("a\0b\xff", 4));
  EXPECT_TRUE(files().checkPromisedItemIsReachable(file));
  EXPECT_EQ(files().contentsOfFile(file).toString(), std::string("a\0b\xff", 4));

  EXPECT_EQ(expectFileError([&] { files().checkPromisedItemIsReachable(scratch / "gone"); }).code(),
            FileError::Code::noSuchFile);
  EXPECT_EQ(expectFileError([&] { files().contentsOfFile(scratch / "gone"); }).code(), FileError::Code::noSuchFile);
  EXPECT_EQ(expectFileError([&] { files().contentsOfFile(scratch.path()); }).code(), FileError::Code::isADirectory);
}
