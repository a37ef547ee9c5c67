#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

// The integration tests check that downloads and uploads leave no file
// behind in the temporary directory. Another test process on the machine
// may write there at the same time, so this process gets a temporary
// directory of its own, set before any test or server starts and removed
// at exit, after the servers (which use it too) have stopped.
namespace {

std::string& privateDirectory() {
  static std::string directory;
  return directory;
}

void removePrivateDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(privateDirectory(), ignored);
}

const bool temporaryDirectoryIsPrivate = [] {
  const char* parent = std::getenv("TMPDIR");
  std::string pattern = std::string(parent && *parent ? parent : "/tmp") + "/wendalore-integration-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return false;
  privateDirectory() = pattern;
  setenv("TMPDIR", pattern.c_str(), 1);
  std::atexit(removePrivateDirectory);
  return true;
}();

}  // namespace
