#include "Highlighter/ResourceBundle.h"

#include <string>

#include "Platform/Fatal.h"

namespace highlighter {

std::shared_ptr<const platform::Bundle> findResourceBundle(std::string_view bundleName) {
  // The bundle holding the module's code is the main bundle itself, so its
  // places are searched once each.
  const auto main = platform::Bundle::main();
  for (const auto& candidate : {main->resourcePath(), main->bundlePath()}) {
    if (!candidate) continue;
    if (auto found = platform::Bundle::atPath(*candidate / bundleName)) return found;
  }
  std::string_view name = bundleName.substr(0, bundleName.rfind(".bundle"));
  platform::fatal("unable to find bundle named " + std::string(name));
}

}  // namespace highlighter
