#pragma once

#include <curl/curl.h>

#include <cstddef>
#include <vector>

namespace platform {

// Easy handles kept for the next transfer: a kept handle keeps what it
// allocated (its receive buffer among it), which a fresh one would
// allocate again for every request. Every handle comes with the options all
// transfers share already set. Each is reset as it goes back: besides the
// options of its transfer, a handle carries what the library counted for
// it, such as how often a request was resent on a new connection, and a
// request on a kept handle must go as on a fresh one.
// Engine thread only.
class EasyHandlePool {
 public:
  using SharedOptions = void (*)(CURL* handle);

  EasyHandlePool(std::size_t kept, SharedOptions sharedOptions) : kept_(kept), sharedOptions_(sharedOptions) {}
  ~EasyHandlePool();
  EasyHandlePool(const EasyHandlePool&) = delete;
  EasyHandlePool& operator=(const EasyHandlePool&) = delete;

  // A handle with the shared options set and every other at its default.
  CURL* take();
  // The handle must be off the multi handle.
  void giveBack(CURL* handle);

 private:
  const std::size_t kept_;
  const SharedOptions sharedOptions_;
  std::vector<CURL*> handles_;
};

}  // namespace platform
