#pragma once

#include <curl/curl.h>

#include <cstddef>
#include <vector>

namespace platform {

// Easy handles kept for the next transfer: a reset handle keeps what it
// allocated (its receive buffer among it), which a fresh one would
// allocate again for every request. Engine thread only.
class EasyHandlePool {
 public:
  explicit EasyHandlePool(std::size_t kept) : kept_(kept) {}
  ~EasyHandlePool();
  EasyHandlePool(const EasyHandlePool&) = delete;
  EasyHandlePool& operator=(const EasyHandlePool&) = delete;

  // A handle with every option at its default.
  CURL* take();
  // The handle must be off the multi handle.
  void giveBack(CURL* handle);

 private:
  const std::size_t kept_;
  std::vector<CURL*> handles_;
};

}  // namespace platform
