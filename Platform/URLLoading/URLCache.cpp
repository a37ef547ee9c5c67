#include "Platform/URLLoading/URLCache.h"

#include "Platform/Foundation/HTTPURLResponse.h"

namespace platform {

namespace {

std::optional<std::string> cacheKey(const URLRequest& request) {
  if (!request.url()) return std::nullopt;
  const auto& text = request.url()->absoluteString();
  return text.substr(0, text.find('#'));
}

std::size_t costOf(const std::string& key, const CachedURLResponse& cached) {
  std::size_t cost = key.size() + cached.data().size();
  if (const auto* http = dynamic_cast<const HTTPURLResponse*>(cached.response().get())) {
    for (const auto& [name, value] : http->allHeaderFields()) cost += name.size() + value.size();
  }
  return cost;
}

}  // namespace

const std::shared_ptr<URLCache>& URLCache::shared() {
  static const auto cache = make();
  return cache;
}

std::size_t URLCache::currentMemoryUsage() const {
  std::lock_guard lock(mutex_);
  return usage_;
}

std::shared_ptr<CachedURLResponse> URLCache::cachedResponse(const URLRequest& request) const {
  const auto found = entry(request);
  return found ? found->response : nullptr;
}

std::optional<URLCache::Entry> URLCache::entry(const URLRequest& request) const {
  const auto key = cacheKey(request);
  if (!key) return std::nullopt;
  std::lock_guard lock(mutex_);
  const auto found = index_.find(*key);
  if (found == index_.end()) return std::nullopt;
  nodes_.splice(nodes_.begin(), nodes_, found->second);
  return found->second->entry;
}

void URLCache::storeCachedResponse(std::shared_ptr<CachedURLResponse> cachedResponse, const URLRequest& request) {
  const auto key = cacheKey(request);
  if (!key || !cachedResponse) return;
  std::lock_guard lock(mutex_);
  storeLocked(*key, std::move(cachedResponse));
}

void URLCache::replaceCachedResponse(const URLRequest& request, const Replaceable& replaceable,
                                     std::shared_ptr<CachedURLResponse> replacement) {
  const auto key = cacheKey(request);
  if (!key) return;
  std::lock_guard lock(mutex_);
  const auto found = index_.find(*key);
  if (found == index_.end() || !replaceable(*found->second->entry.response)) return;
  if (!replacement) return removeLocked(*key);
  storeLocked(*key, std::move(replacement));
}

void URLCache::storeLocked(const std::string& key, std::shared_ptr<CachedURLResponse> cachedResponse) {
  const auto cost = costOf(key, *cachedResponse);
  if (cachedResponse->storagePolicy() == CachedURLResponse::StoragePolicy::notAllowed || cost > memoryCapacity_) {
    return removeLocked(key);
  }
  Entry entry{std::move(cachedResponse), Date::now()};
  // A URL asked for again and again keeps its place in the index.
  if (const auto found = index_.find(key); found != index_.end()) {
    usage_ -= found->second->cost;
    found->second->entry = std::move(entry);
    found->second->cost = cost;
    nodes_.splice(nodes_.begin(), nodes_, found->second);
  } else {
    nodes_.push_front({key, std::move(entry), cost});
    index_.emplace(key, nodes_.begin());
  }
  usage_ += cost;
  while (usage_ > memoryCapacity_) {
    const std::string leastRecentlyUsed = nodes_.back().key;
    removeLocked(leastRecentlyUsed);
  }
}

void URLCache::removeCachedResponse(const URLRequest& request) {
  const auto key = cacheKey(request);
  if (!key) return;
  std::lock_guard lock(mutex_);
  removeLocked(*key);
}

void URLCache::removeAllCachedResponses() {
  std::lock_guard lock(mutex_);
  nodes_.clear();
  index_.clear();
  usage_ = 0;
}

void URLCache::removeLocked(const std::string& key) {
  const auto found = index_.find(key);
  if (found == index_.end()) return;
  usage_ -= found->second->cost;
  nodes_.erase(found->second);
  index_.erase(found);
}

}  // namespace platform
