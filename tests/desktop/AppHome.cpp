#include "tests/desktop/AppHome.h"

#include <stdlib.h>

#include <system_error>

namespace desktop {

AppHome::AppHome() {
  std::string pattern = (std::filesystem::temp_directory_path() / "wendalore-home-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::system_error(errno, std::generic_category(), "mkdtemp");
  path_ = pattern;
  std::filesystem::create_directories(dataHome());
  // The runtime directory must be the user's alone, or Qt refuses it.
  std::filesystem::create_directories(runtimeDirectory());
  std::filesystem::permissions(runtimeDirectory(), std::filesystem::perms::owner_all);
}

AppHome::~AppHome() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace desktop
