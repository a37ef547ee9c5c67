#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "Platform/Foundation/HTTPURLResponse.h"
#include "Platform/Foundation/URLRequest.h"
#include "Platform/URLLoading/URLSessionTask.h"

namespace wendanet {

// Decides what happens when the URL loading system is about to follow an
// HTTP redirect.
class RedirectHandler {
 public:
  // Called exactly once, at once or later, from any thread: with the URL
  // request to send instead of `request` (`request` itself to follow
  // unchanged), or with none to stop following.
  using Completion = std::move_only_function<void(std::optional<platform::URLRequest>)>;

  virtual ~RedirectHandler() = default;

  virtual void decideRedirect(const std::shared_ptr<platform::URLSessionTask>& task,
                              const platform::URLRequest& request,
                              const std::shared_ptr<const platform::HTTPURLResponse>& response,
                              Completion completion) = 0;
};

}  // namespace wendanet
