#include "Platform/URLLoading/Engine/CacheOffer.h"

#include "Platform/URLLoading/Engine/OnceReply.h"
#include "Platform/URLLoading/URLSessionDelegate.h"

namespace platform {

DelegateChannel::Call CacheOffer::willCacheCall(std::shared_ptr<URLSessionDataTask> task) && {
  auto proposed = proposal;
  auto reply = makeOnceReply<std::shared_ptr<CachedURLResponse>>(
      [offer = std::move(*this)](std::shared_ptr<CachedURLResponse> answer) { offer.settle(std::move(answer)); },
      nullptr);
  return [task = std::move(task), proposal = std::move(proposed), reply = std::move(reply)](
             URLSessionDelegate& delegate, URLSessionDelegate::SessionRef session) {
    delegate.willCacheResponse(session, task, proposal, reply);
  };
}

void CacheOffer::settle(std::shared_ptr<CachedURLResponse> answer) const {
  if (renews) return cache->replaceCachedResponse(request, renews, std::move(answer));
  if (answer) cache->storeCachedResponse(std::move(answer), request);
}

}  // namespace platform
