#include "Platform/URLLoading/URLCredentialStorage.h"

namespace platform {

const std::shared_ptr<URLCredentialStorage>& URLCredentialStorage::shared() {
  static const auto storage = make();
  return storage;
}

}  // namespace platform
