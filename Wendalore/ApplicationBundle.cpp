#include "Wendalore/ApplicationBundle.h"

#include "Platform/Foundation/Bundle.h"
#include "Wendalore/ApplicationBundleInfo.h"

namespace wendalore {

void registerApplicationBundle() {
  platform::Bundle::registerMainInfoDictionary({
      {"CFBundleExecutable", applicationBundleInfo::executable},
      {"CFBundleIdentifier", applicationBundleInfo::identifier},
      {"CFBundleName", applicationBundleInfo::name},
      {"CFBundleShortVersionString", applicationBundleInfo::shortVersion},
      {"CFBundleVersion", applicationBundleInfo::buildVersion},
  });
}

}  // namespace wendalore
