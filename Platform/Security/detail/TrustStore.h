#pragma once

#include <vector>

#include "Platform/Security/detail/OpenSSLPointers.h"

namespace platform::detail {

// The store a chain is verified against: `anchors` alone when
// `anchorsOnly`, else the system's trusted certificates (OpenSSL's default
// file and directory) together with `anchors`. Any certificate in the store
// is an anchor, root or not.
X509StorePointer makeTrustStore(const std::vector<X509*>& anchors, bool anchorsOnly);

}  // namespace platform::detail
