#include "Platform/Security/detail/TrustStore.h"

#include <openssl/err.h>

namespace platform::detail {

namespace {

X509StorePointer newStore() {
  X509StorePointer store(X509_STORE_new());
  // Pinned leaves and intermediates are anchors in their own right.
  if (store) X509_STORE_set_flags(store.get(), X509_V_FLAG_PARTIAL_CHAIN);
  return store;
}

void addSystemAnchors(X509_STORE* store) {
  // A system without a certificate bundle simply trusts nothing by default.
  X509_STORE_set_default_paths(store);
  ERR_clear_error();
}

// Reading the system's bundle takes a while, so the plain case shares one.
X509_STORE* sharedSystemStore() {
  static X509_STORE* const store = [] {
    X509StorePointer made = newStore();
    if (made) addSystemAnchors(made.get());
    return made.release();
  }();
  return store;
}

}  // namespace

X509StorePointer makeTrustStore(const std::vector<X509*>& anchors, bool anchorsOnly) {
  if (anchors.empty() && !anchorsOnly) {
    X509_STORE* shared = sharedSystemStore();
    if (shared == nullptr || X509_STORE_up_ref(shared) != 1) return nullptr;
    return X509StorePointer(shared);
  }
  X509StorePointer store = newStore();
  if (!store) return nullptr;
  if (!anchorsOnly) addSystemAnchors(store.get());
  for (X509* anchor : anchors) {
    // Adding a certificate the store already holds is not a failure.
    X509_STORE_add_cert(store.get(), anchor);
  }
  ERR_clear_error();
  return store;
}

}  // namespace platform::detail
