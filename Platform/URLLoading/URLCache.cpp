#include "Platform/URLLoading/URLCache.h"

namespace platform {

const std::shared_ptr<URLCache>& URLCache::shared() {
  static const auto storage = make();
  return storage;
}

}  // namespace platform
