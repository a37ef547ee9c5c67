#pragma once

#include <cstddef>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

#include "Platform/Foundation/Date.h"
#include "Platform/Foundation/URLRequest.h"
#include "Platform/URLLoading/CachedURLResponse.h"

namespace platform {

// Responses kept for reuse. The process-wide cache is what the default configuration uses; an ephemeral configuration
// gets one of its own, in memory.
//
// Responses are kept in memory by their request's URL (without its
// fragment). When they outgrow the capacity the least recently used go
// first. Any thread may use a cache.
class URLCache {
 public:
  static constexpr std::size_t defaultMemoryCapacity = 10 * 1024 * 1024;

  struct Entry {
    std::shared_ptr<CachedURLResponse> response;
    // When it was stored, which is when its age starts.
    Date storedDate;
  };

  static std::shared_ptr<URLCache> make(std::size_t memoryCapacity = defaultMemoryCapacity) {
    return std::make_shared<URLCache>(memoryCapacity);
  }
  static const std::shared_ptr<URLCache>& shared();

  explicit URLCache(std::size_t memoryCapacity) : memoryCapacity_(memoryCapacity) {}

  std::size_t memoryCapacity() const { return memoryCapacity_; }
  // Bytes held: bodies, header fields and URLs.
  std::size_t currentMemoryUsage() const;

  std::shared_ptr<CachedURLResponse> cachedResponse(const URLRequest& request) const;
  std::optional<Entry> entry(const URLRequest& request) const;
  // Replaces what was stored for the request's URL. A response whose
  // storage policy forbids keeping it, or that alone exceeds the capacity,
  // only removes what was there.
  void storeCachedResponse(std::shared_ptr<CachedURLResponse> cachedResponse, const URLRequest& request);
  // Whether a stored response may be replaced; asked with the cache locked.
  using Replaceable = std::function<bool(const CachedURLResponse& stored)>;
  // Like storeCachedResponse, or removes the entry given no replacement,
  // but only while what is stored for the request's URL is `replaceable`:
  // another task may have stored a newer response meanwhile, and nothing
  // is stored where nothing was.
  void replaceCachedResponse(const URLRequest& request, const Replaceable& replaceable,
                             std::shared_ptr<CachedURLResponse> replacement);
  void removeCachedResponse(const URLRequest& request);
  void removeAllCachedResponses();

 private:
  struct Node {
    std::string key;
    Entry entry;
    std::size_t cost;
  };
  using Nodes = std::list<Node>;

  void storeLocked(const std::string& key, std::shared_ptr<CachedURLResponse> cachedResponse);
  void removeLocked(const std::string& key);

  const std::size_t memoryCapacity_;
  mutable std::mutex mutex_;
  // Most recently used first.
  mutable Nodes nodes_;
  std::unordered_map<std::string, Nodes::iterator> index_;
  std::size_t usage_ = 0;
};

}  // namespace platform
