#include "Platform/URLLoading/Engine/CacheOffer.h"

#include "Platform/URLLoading/Engine/OnceReply.h"
#include "Platform/URLLoading/URLSessionDelegate.h"

namespace platform {

DelegateChannel::Call CacheOffer::willCacheCall(std::shared_ptr<URLSessionDataTask> task) && {
  auto reply = makeOnceReply<std::shared_ptr<CachedURLResponse>>(
      [cache = std::move(cache), request = std::move(request)](std::shared_ptr<CachedURLResponse> answer) {
        if (answer) cache->storeCachedResponse(std::move(answer), request);
      },
      nullptr);
  return [task = std::move(task), proposal = std::move(proposal), reply = std::move(reply)](
             URLSessionDelegate& delegate, URLSessionDelegate::SessionRef session) {
    delegate.willCacheResponse(session, task, proposal, reply);
  };
}

}  // namespace platform
