#include "Platform/Foundation/Bundle.h"

#include "Platform/Foundation/MainBundleInfo.h"

namespace platform {

std::shared_ptr<const Bundle> Bundle::make(InfoDictionary infoDictionary) {
  return std::shared_ptr<const Bundle>(new Bundle(std::move(infoDictionary)));
}

std::shared_ptr<const Bundle> Bundle::main() {
  static const auto mainBundle = make({
      {"CFBundleExecutable", mainBundleInfo::executable},
      {"CFBundleIdentifier", mainBundleInfo::identifier},
      {"CFBundleName", mainBundleInfo::name},
      {"CFBundleShortVersionString", mainBundleInfo::shortVersion},
      {"CFBundleVersion", mainBundleInfo::buildVersion},
  });
  return mainBundle;
}

std::optional<std::string> Bundle::objectForInfoDictionaryKey(std::string_view key) const {
  const auto found = infoDictionary_.find(key);
  if (found == infoDictionary_.end()) return std::nullopt;
  return found->second;
}

}  // namespace platform
