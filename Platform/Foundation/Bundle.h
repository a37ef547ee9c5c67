#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace platform {

// A program's description: its information dictionary.
class Bundle {
 public:
  using InfoDictionary = std::map<std::string, std::string, std::less<>>;

  static std::shared_ptr<const Bundle> make(InfoDictionary infoDictionary);
  // This program's bundle: "CFBundleExecutable", "CFBundleIdentifier",
  // "CFBundleName", "CFBundleShortVersionString" and "CFBundleVersion", set
  // by the build.
  static std::shared_ptr<const Bundle> main();

  const InfoDictionary& infoDictionary() const { return infoDictionary_; }
  // The value under `key`, absent when the dictionary has no such key.
  std::optional<std::string> objectForInfoDictionaryKey(std::string_view key) const;

 private:
  explicit Bundle(InfoDictionary infoDictionary) : infoDictionary_(std::move(infoDictionary)) {}

  InfoDictionary infoDictionary_;
};

}  // namespace platform
