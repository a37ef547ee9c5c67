#pragma once

#include <functional>
#include <memory>

#include "Wendanet/Source/Support/RequestInterceptor.h"

namespace wendanet {

// An interceptor that retries with one closure and never adapts.
class Retrier final : public RequestInterceptor {
 public:
  using RetryHandler = std::function<void(const std::shared_ptr<Request>&, const std::shared_ptr<Session>&,
                                          const platform::AnyError&, RetryCompletion)>;

  static std::shared_ptr<Retrier> make(RetryHandler retryHandler);

  const RetryHandler& retryHandler() const { return retryHandler_; }

  void retry(const std::shared_ptr<Request>& request, const std::shared_ptr<Session>& session,
             const platform::AnyError& error, RetryCompletion completion) override;

 private:
  explicit Retrier(RetryHandler retryHandler);

  const RetryHandler retryHandler_;
};

}  // namespace wendanet
