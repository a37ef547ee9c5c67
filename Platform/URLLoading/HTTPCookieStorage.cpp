#include "Platform/URLLoading/HTTPCookieStorage.h"

namespace platform {

const std::shared_ptr<HTTPCookieStorage>& HTTPCookieStorage::shared() {
  static const auto storage = make();
  return storage;
}

}  // namespace platform
