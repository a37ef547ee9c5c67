#pragma once

#include <curl/curl.h>

#include <cstddef>
#include <vector>

namespace platform {

// Easy handles kept for the next transfer: a kept handle keeps what it
// allocated (its receive buffer among it), which a fresh one would
// allocate again for every request. Every handle comes with the options all
// transfers share already set. A handle whose transfer set nothing beyond
// the options each transfer sets anew goes back as it is; any other is
// reset first, so no transfer inherits an option of an earlier one.
// Engine thread only.
class EasyHandlePool {
 public:
  using SharedOptions = void (*)(CURL* handle);

  EasyHandlePool(std::size_t kept, SharedOptions sharedOptions) : kept_(kept), sharedOptions_(sharedOptions) {}
  ~EasyHandlePool();
  EasyHandlePool(const EasyHandlePool&) = delete;
  EasyHandlePool& operator=(const EasyHandlePool&) = delete;

  // A handle with the shared options set and every other at its default,
  // or at the value a transfer sets anew anyway.
  CURL* take();
  // The handle must be off the multi handle. `setOnlyRenewed`: its transfer
  // set no option beyond those every transfer sets anew.
  void giveBack(CURL* handle, bool setOnlyRenewed);

 private:
  const std::size_t kept_;
  const SharedOptions sharedOptions_;
  std::vector<CURL*> handles_;
};

}  // namespace platform
