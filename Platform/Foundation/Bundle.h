#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// A program's description (its information dictionary) and the directory
// its resources live in. Resources lie in the bundle directory itself.
class Bundle {
 public:
  using InfoDictionary = std::map<std::string, std::string, std::less<>>;

  static std::shared_ptr<const Bundle> make(InfoDictionary infoDictionary);
  // Gives this program's bundle its information dictionary. A program calls
  // it once at start, before anything reads the main bundle; a later call
  // is a caller's error that stops the process. A program that never calls
  // it has an empty dictionary, as a bare executable has.
  static void registerMainInfoDictionary(InfoDictionary infoDictionary);
  // This program's bundle: the registered dictionary, and as its directory
  // the one holding the executable.
  static std::shared_ptr<const Bundle> main();
  // The bundle in the directory `path`, with an empty information
  // dictionary; null when no directory is there.
  static std::shared_ptr<const Bundle> atPath(const std::filesystem::path& path);
  // The resource bundle "<name>.bundle" of a module linked into this
  // program: looked for in the main bundle's resource directory, then in
  // its own directory. Stops the process with "unable to find bundle named
  // <name>" when neither holds it.
  static std::shared_ptr<const Bundle> moduleResourceBundle(std::string_view name);

  const InfoDictionary& infoDictionary() const { return infoDictionary_; }
  // The value under `key`, absent when the dictionary has no such key.
  std::optional<std::string> objectForInfoDictionaryKey(std::string_view key) const;

  // Absent for a bundle made from a dictionary alone.
  const std::optional<std::filesystem::path>& bundlePath() const { return bundlePath_; }
  const std::optional<std::filesystem::path>& resourcePath() const { return bundlePath_; }
  // The regular file `name`.`type` (just `name` when `type` is empty) in the
  // resource directory or its `subdirectory`; absent when there is none.
  std::optional<std::filesystem::path> pathForResource(std::string_view name, std::string_view type,
                                                       std::string_view subdirectory = {}) const;
  // Every regular file whose name ends in ".`type`" there, in name order.
  std::vector<std::filesystem::path> pathsForResources(std::string_view type, std::string_view subdirectory = {}) const;

 private:
  Bundle(InfoDictionary infoDictionary, std::optional<std::filesystem::path> bundlePath)
      : infoDictionary_(std::move(infoDictionary)), bundlePath_(std::move(bundlePath)) {}

  std::optional<std::filesystem::path> resourceDirectory(std::string_view subdirectory) const;

  InfoDictionary infoDictionary_;
  std::optional<std::filesystem::path> bundlePath_;
};

}  // namespace platform
