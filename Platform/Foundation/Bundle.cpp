#include "Platform/Foundation/Bundle.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <system_error>

#include "Platform/Fatal.h"

namespace platform {

std::shared_ptr<const Bundle> Bundle::make(InfoDictionary infoDictionary) {
  return std::shared_ptr<const Bundle>(new Bundle(std::move(infoDictionary), std::nullopt));
}

namespace {

std::optional<std::filesystem::path> executableDirectory() {
  std::error_code error;
  const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::nullopt;
  return executable.parent_path();
}

// What the program registered for its main bundle, until the bundle is made.
struct MainRegistration {
  std::mutex lock;
  Bundle::InfoDictionary infoDictionary;
  bool bundleMade = false;
};

MainRegistration& mainRegistration() {
  static MainRegistration registration;
  return registration;
}

bool isDirectory(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::is_directory(path, error);
}

}  // namespace

std::shared_ptr<const Bundle> Bundle::atPath(const std::filesystem::path& path) {
  if (!isDirectory(path)) return nullptr;
  return std::shared_ptr<const Bundle>(new Bundle({}, path));
}

void Bundle::registerMainInfoDictionary(InfoDictionary infoDictionary) {
  auto& registration = mainRegistration();
  const std::lock_guard guard(registration.lock);
  if (registration.bundleMade) fatal("The main bundle's information was registered after the main bundle was read.");
  registration.infoDictionary = std::move(infoDictionary);
}

std::shared_ptr<const Bundle> Bundle::main() {
  static const auto mainBundle = [] {
    auto& registration = mainRegistration();
    const std::lock_guard guard(registration.lock);
    registration.bundleMade = true;
    return std::shared_ptr<const Bundle>(new Bundle(registration.infoDictionary, executableDirectory()));
  }();
  return mainBundle;
}

std::optional<std::string> Bundle::objectForInfoDictionaryKey(std::string_view key) const {
  const auto found = infoDictionary_.find(key);
  if (found == infoDictionary_.end()) return std::nullopt;
  return found->second;
}

std::optional<std::filesystem::path> Bundle::resourceDirectory(std::string_view subdirectory) const {
  if (!bundlePath_) return std::nullopt;
  auto directory = subdirectory.empty() ? *bundlePath_ : *bundlePath_ / subdirectory;
  if (!isDirectory(directory)) return std::nullopt;
  return directory;
}

std::optional<std::filesystem::path> Bundle::pathForResource(std::string_view name, std::string_view type,
                                                             std::string_view subdirectory) const {
  const auto directory = resourceDirectory(subdirectory);
  if (!directory || name.empty()) return std::nullopt;
  std::string fileName(name);
  if (!type.empty()) fileName += "." + std::string(type);
  const auto path = *directory / fileName;
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  return path;
}

std::vector<std::filesystem::path> Bundle::pathsForResources(std::string_view type, std::string_view subdirectory) const {
  std::vector<std::filesystem::path> paths;
  const auto directory = resourceDirectory(subdirectory);
  if (!directory) return paths;
  const std::string ending = "." + std::string(type);
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(*directory, error)) {
    const auto fileName = entry.path().filename().string();
    if (entry.is_regular_file(error) && fileName.size() > ending.size() && fileName.ends_with(ending)) {
      paths.push_back(entry.path());
    }
  }
  std::ranges::sort(paths);
  return paths;
}

std::shared_ptr<const Bundle> Bundle::moduleResourceBundle(std::string_view name) {
  // The bundle holding the module's code is the main bundle itself, so its
  // places are searched once each.
  const auto main = Bundle::main();
  const std::string folder = std::string(name) + ".bundle";
  for (const auto& candidate : {main->resourcePath(), main->bundlePath()}) {
    if (!candidate) continue;
    if (auto found = atPath(*candidate / folder)) return found;
  }
  fatal("unable to find bundle named " + std::string(name));
}

}  // namespace platform
