#include "Platform/URLLoading/Engine/TransferScheduler.h"

#include <algorithm>
#include <utility>

#include "Platform/URLLoading/Engine/Transfer.h"

namespace platform {

namespace {

// Without a cap per host, as many as a busy session is likely to reuse.
constexpr std::size_t handlesKeptWithoutCap = 64;

}  // namespace

TransferScheduler::TransferScheduler(CURLM* multi, int connectionsPerHost)
    : multi_(multi),
      connectionsPerHost_(static_cast<std::size_t>(std::max(connectionsPerHost, 0))),
      handles_(connectionsPerHost_ == 0 ? handlesKeptWithoutCap : connectionsPerHost_, &Transfer::setSharedOptions) {
  sizeConnectionCache();
}

void TransferScheduler::enqueue(Transfer& transfer) {
  if (connectionsPerHost_ == 0) return transfer.start();
  auto& origin = origins_[transfer.origin()];
  sizeConnectionCache();
  if (hasPlace(transfer.origin(), origin) && origin.waiting.empty()) {
    ++origin.active;
    return transfer.start();
  }
  origin.waiting.push_back(&transfer);
}

void TransferScheduler::remove(Transfer& transfer) {
  if (connectionsPerHost_ == 0) return;
  const auto found = origins_.find(transfer.origin());
  if (found == origins_.end()) return;
  auto& origin = found->second;
  if (transfer.started()) {
    --origin.active;
    placesFreed_ = placesFreed_ || !origin.waiting.empty();
  } else {
    std::erase(origin.waiting, &transfer);
  }
  if (origin.active == 0 && origin.waiting.empty()) origins_.erase(found);
}

void TransferScheduler::startWaiting() {
  if (!std::exchange(placesFreed_, false)) return;
  for (auto& [key, origin] : origins_) {
    while (hasPlace(key, origin) && !origin.waiting.empty()) {
      ++origin.active;
      auto* next = origin.waiting.front();
      origin.waiting.pop_front();
      next->start();
    }
  }
}

void TransferScheduler::originMultiplexes(const std::string& origin) {
  if (connectionsPerHost_ == 0 || !multiplexedOrigins_.insert(origin).second) return;
  placesFreed_ = true;
}

bool TransferScheduler::hasPlace(const std::string& key, const Origin& origin) const {
  return origin.active < connectionsPerHost_ || multiplexedOrigins_.contains(key);
}

// The library's default follows the number of transfers under way, so a
// burst that ends would close the connections the next burst needs.
void TransferScheduler::sizeConnectionCache() {
  if (connectionsPerHost_ == 0) return;
  const auto size = static_cast<long>(connectionsPerHost_ * std::max<std::size_t>(origins_.size(), 1));
  if (size == connectionCacheSize_) return;
  connectionCacheSize_ = size;
  curl_multi_setopt(multi_, CURLMOPT_MAXCONNECTS, size);
}

}  // namespace platform
