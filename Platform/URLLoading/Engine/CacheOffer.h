#pragma once

#include <memory>

#include "Platform/Foundation/URLRequest.h"
#include "Platform/URLLoading/CachedURLResponse.h"
#include "Platform/URLLoading/Engine/DelegateChannel.h"
#include "Platform/URLLoading/URLCache.h"

namespace platform {

class URLSessionDataTask;

// A response read in full, or a stored one a 304 renewed, that a task
// offers to its session's cache.
struct CacheOffer {
  std::shared_ptr<URLCache> cache;
  URLRequest request;
  std::shared_ptr<CachedURLResponse> proposal;
  // Set for a renewal: what is stored then replaces only an entry this
  // holds of, and storing nothing removes that entry.
  URLCache::Replaceable renews = {};

  // Asks the delegate what to store: only what it answers is stored, and
  // nothing when it drops the handler.
  DelegateChannel::Call willCacheCall(std::shared_ptr<URLSessionDataTask> task) &&;
  // For a session without a delegate: the proposal as it is.
  void store() const { settle(proposal); }

 private:
  void settle(std::shared_ptr<CachedURLResponse> answer) const;
};

}  // namespace platform
