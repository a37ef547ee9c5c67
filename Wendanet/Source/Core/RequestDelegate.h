#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "Wendanet/Source/Core/WNError.h"
#include "Wendanet/Source/Support/RetryResult.h"

namespace platform {
class URLSessionConfiguration;
}

namespace wendanet {

class Request;

// How a request reaches the session that performs it.
class RequestDelegate {
 public:
  virtual ~RequestDelegate() = default;

  // The configuration of the session's URL session.
  virtual std::shared_ptr<platform::URLSessionConfiguration> sessionConfiguration() const = 0;
  // Whether requests start as soon as a response handler is added.
  virtual bool startImmediately() const = 0;
  // Performs the request unless a URL task is already paired with it.
  virtual void startRequestIfNeeded(const std::shared_ptr<Request>& request) = 0;
  // Forgets the request.
  virtual void cleanup(const std::shared_ptr<Request>& request) = 0;
  // Decides whether the failed request is retried; calls `completion` once,
  // on the request's underlying queue.
  virtual void retryResult(const std::shared_ptr<Request>& request, const WNError& error,
                           std::move_only_function<void(RetryResult)> completion) = 0;
  // Retries the request now (absent delay) or after `delay` seconds, unless
  // it was cancelled by then.
  virtual void retryRequest(const std::shared_ptr<Request>& request, std::optional<double> delay) = 0;
};

}  // namespace wendanet
