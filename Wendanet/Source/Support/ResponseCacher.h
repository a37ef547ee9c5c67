#pragma once

#include <functional>
#include <memory>
#include <variant>

#include "Wendanet/Source/Support/CachedResponseHandler.h"

namespace wendanet {

// A cached-response handler that answers every proposed cache entry the
// same way: store it, store nothing, or let a closure choose what to store.
class ResponseCacher final : public CachedResponseHandler {
 public:
  // May be kept and called on any thread, so it must be safe to share. Null
  // stores nothing.
  using Modifier = std::function<std::shared_ptr<const platform::CachedURLResponse>(
      const std::shared_ptr<platform::URLSessionDataTask>& task,
      const std::shared_ptr<const platform::CachedURLResponse>& proposedResponse)>;

  struct Cache {};
  struct DoNotCache {};
  struct Modify {
    Modifier modifier;
  };
  using Behavior = std::variant<Cache, DoNotCache, Modify>;

  explicit ResponseCacher(Behavior behavior) : behavior_(std::move(behavior)) {}

  static std::shared_ptr<ResponseCacher> cache() { return std::make_shared<ResponseCacher>(Cache{}); }
  static std::shared_ptr<ResponseCacher> doNotCache() { return std::make_shared<ResponseCacher>(DoNotCache{}); }
  static std::shared_ptr<ResponseCacher> modify(Modifier modifier) {
    return std::make_shared<ResponseCacher>(Modify{std::move(modifier)});
  }

  const Behavior& behavior() const { return behavior_; }

  // Answers before returning, on the calling thread.
  void decideCachedResponse(const std::shared_ptr<platform::URLSessionDataTask>& task,
                            const std::shared_ptr<const platform::CachedURLResponse>& proposedResponse,
                            Completion completion) override;

 private:
  Behavior behavior_;
};

}  // namespace wendanet
