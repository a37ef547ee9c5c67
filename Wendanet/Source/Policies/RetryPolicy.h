#pragma once

#include <memory>
#include <unordered_set>

#include "Platform/Foundation/URLError.h"
#include "Wendanet/Source/Core/HTTPMethod.h"
#include "Wendanet/Source/Support/RequestInterceptor.h"

namespace wendanet {

// Retries idempotent requests that failed for a transient reason (a server
// status or a network error), a bounded number of times, with exponential
// back-off. Holds no mutable state, so one policy serves any number of
// requests at once.
class RetryPolicy : public RequestInterceptor {
 public:
  using Methods = std::unordered_set<HTTPMethod>;
  using StatusCodes = std::unordered_set<int>;
  using URLErrorCodes = std::unordered_set<platform::URLError::Code>;

  static constexpr unsigned defaultRetryLimit = 2;
  static constexpr unsigned defaultExponentialBackoffBase = 2;
  static constexpr double defaultExponentialBackoffScale = 0.5;
  static const Methods& defaultRetryableHTTPMethods();
  static const StatusCodes& defaultRetryableHTTPStatusCodes();
  static const URLErrorCodes& defaultRetryableURLErrorCodes();

  // A base below 2 is a caller's error that stops the process.
  static std::shared_ptr<RetryPolicy> make(unsigned retryLimit = defaultRetryLimit,
                                           unsigned exponentialBackoffBase = defaultExponentialBackoffBase,
                                           double exponentialBackoffScale = defaultExponentialBackoffScale,
                                           Methods retryableHTTPMethods = defaultRetryableHTTPMethods(),
                                           StatusCodes retryableHTTPStatusCodes = defaultRetryableHTTPStatusCodes(),
                                           URLErrorCodes retryableURLErrorCodes = defaultRetryableURLErrorCodes());

  unsigned retryLimit() const { return retryLimit_; }
  unsigned exponentialBackoffBase() const { return exponentialBackoffBase_; }
  double exponentialBackoffScale() const { return exponentialBackoffScale_; }
  const Methods& retryableHTTPMethods() const { return retryableHTTPMethods_; }
  const StatusCodes& retryableHTTPStatusCodes() const { return retryableHTTPStatusCodes_; }
  const URLErrorCodes& retryableURLErrorCodes() const { return retryableURLErrorCodes_; }

  // Answers at once, on the calling thread: retryWithDelay or doNotRetry.
  void retry(const std::shared_ptr<Request>& request, const std::shared_ptr<Session>& session,
             const platform::AnyError& error, RetryCompletion completion) override;
  virtual bool shouldRetry(const Request& request, const platform::AnyError& error) const;

 protected:
  RetryPolicy(unsigned retryLimit, unsigned exponentialBackoffBase, double exponentialBackoffScale,
              Methods retryableHTTPMethods, StatusCodes retryableHTTPStatusCodes,
              URLErrorCodes retryableURLErrorCodes);

 private:
  const unsigned retryLimit_;
  const unsigned exponentialBackoffBase_;
  const double exponentialBackoffScale_;
  const Methods retryableHTTPMethods_;
  const StatusCodes retryableHTTPStatusCodes_;
  const URLErrorCodes retryableURLErrorCodes_;
};

// Retries only requests whose connection was lost; never on a status code.
class ConnectionLostRetryPolicy final : public RetryPolicy {
 public:
  static std::shared_ptr<ConnectionLostRetryPolicy> make(
      unsigned retryLimit = defaultRetryLimit, unsigned exponentialBackoffBase = defaultExponentialBackoffBase,
      double exponentialBackoffScale = defaultExponentialBackoffScale,
      Methods retryableHTTPMethods = defaultRetryableHTTPMethods());

 private:
  using RetryPolicy::RetryPolicy;
};

}  // namespace wendanet
