#include "Platform/URLLoading/Engine/EasyHandlePool.h"

#include "Platform/Fatal.h"

namespace platform {

EasyHandlePool::~EasyHandlePool() {
  for (CURL* handle : handles_) curl_easy_cleanup(handle);
}

CURL* EasyHandlePool::take() {
  if (handles_.empty()) {
    CURL* handle = curl_easy_init();
    if (handle == nullptr) fatal("The transfer library could not create a transfer handle.");
    sharedOptions_(handle);
    return handle;
  }
  CURL* handle = handles_.back();
  handles_.pop_back();
  return handle;
}

void EasyHandlePool::giveBack(CURL* handle) {
  if (handles_.size() >= kept_) return curl_easy_cleanup(handle);
  curl_easy_reset(handle);
  sharedOptions_(handle);
  handles_.push_back(handle);
}

}  // namespace platform
