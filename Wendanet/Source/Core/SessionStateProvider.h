#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "Platform/Foundation/Error.h"
#include "Platform/URLLoading/URLCredential.h"
#include "Platform/URLLoading/URLProtectionSpace.h"
#include "Platform/URLLoading/URLSessionTask.h"
#include "Wendanet/Source/Support/CachedResponseHandler.h"
#include "Wendanet/Source/Support/RedirectHandler.h"

namespace wendanet {

class Request;
class ServerTrustManager;

// How the session delegate reaches its session. Everything but the three
// policy getters runs on the session's root queue.
class SessionStateProvider {
 public:
  virtual ~SessionStateProvider() = default;

  virtual std::shared_ptr<ServerTrustManager> serverTrustManager() const = 0;
  virtual std::shared_ptr<RedirectHandler> redirectHandler() const = 0;
  virtual std::shared_ptr<CachedResponseHandler> cachedResponseHandler() const = 0;

  virtual std::shared_ptr<Request> requestForTask(const std::shared_ptr<platform::URLSessionTask>& task) = 0;
  virtual void didGatherMetricsForTask(const std::shared_ptr<platform::URLSessionTask>& task) = 0;
  // Runs `completion` once both the completion and the metrics of the task
  // have arrived, now or later.
  virtual void didCompleteTask(const std::shared_ptr<platform::URLSessionTask>& task,
                               std::move_only_function<void()> completion) = 0;
  virtual std::optional<platform::URLCredential> credentialForChallenge(
      const std::shared_ptr<platform::URLSessionTask>& task, const platform::URLProtectionSpace& space) = 0;
  virtual void cancelRequestsForSessionInvalidation(const platform::AnyError& error) = 0;
};

}  // namespace wendanet
