#pragma once

#include <functional>
#include <memory>

#include "Platform/URLLoading/CachedURLResponse.h"
#include "Platform/URLLoading/URLSessionDataTask.h"

namespace wendanet {

// Decides what the URL loading system stores in its cache for a response.
class CachedResponseHandler {
 public:
  // Called exactly once, at once or later, from any thread: with the
  // response to store (the proposed one or another), or null to store
  // nothing.
  using Completion = std::move_only_function<void(std::shared_ptr<const platform::CachedURLResponse>)>;

  virtual ~CachedResponseHandler() = default;

  virtual void decideCachedResponse(const std::shared_ptr<platform::URLSessionDataTask>& task,
                                    const std::shared_ptr<const platform::CachedURLResponse>& proposedResponse,
                                    Completion completion) = 0;
};

}  // namespace wendanet
