#include "Platform/Security/detail/RevocationCache.h"

namespace platform::detail {

RevocationCache& RevocationCache::shared() {
  static RevocationCache cache;
  return cache;
}

std::optional<Data> RevocationCache::find(const std::string& key) const {
  std::lock_guard lock(mutex_);
  const auto found = answers_.find(key);
  if (found == answers_.end()) return std::nullopt;
  return found->second;
}

void RevocationCache::store(const std::string& key, Data answer) {
  std::lock_guard lock(mutex_);
  if (answers_.insert_or_assign(key, std::move(answer)).second) insertionOrder_.push_back(key);
  if (answers_.size() > capacity) {
    answers_.erase(insertionOrder_.front());
    insertionOrder_.pop_front();
  }
}

}  // namespace platform::detail
