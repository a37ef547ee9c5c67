#pragma once

#include <memory>
#include <vector>

#include "Wendanet/Source/Support/Adapter.h"
#include "Wendanet/Source/Support/RequestInterceptor.h"
#include "Wendanet/Source/Support/Retrier.h"

namespace wendanet {

// Chains adapters and retriers. Adapters run in list order, each on the
// previous one's output, until one fails; retriers are asked in list order
// until one answers anything but doNotRetry. Immutable, so one interceptor
// may serve any number of requests at once; nothing is locked and no queue
// is changed: each step runs where the previous one completed.
class Interceptor : public RequestInterceptor {
 public:
  using Adapters = std::vector<std::shared_ptr<RequestAdapter>>;
  using Retriers = std::vector<std::shared_ptr<RequestRetrier>>;
  using Interceptors = std::vector<std::shared_ptr<RequestInterceptor>>;

  // One Adapter and one Retrier made from the closures.
  static std::shared_ptr<Interceptor> make(Adapter::AdaptHandler adaptHandler, Retrier::RetryHandler retryHandler);
  static std::shared_ptr<Interceptor> make(std::shared_ptr<RequestAdapter> adapter,
                                           std::shared_ptr<RequestRetrier> retrier);
  // Each interceptor joins both lists, after the adapters and retriers given.
  static std::shared_ptr<Interceptor> make(Adapters adapters, Retriers retriers, const Interceptors& interceptors);

  const Adapters& adapters() const { return adapters_; }
  const Retriers& retriers() const { return retriers_; }

  void adapt(const platform::URLRequest& urlRequest, const std::shared_ptr<Session>& session,
             AdaptCompletion completion) override;
  void adaptWithState(const platform::URLRequest& urlRequest, const RequestAdapterState& state,
                      AdaptCompletion completion) override;
  void retry(const std::shared_ptr<Request>& request, const std::shared_ptr<Session>& session,
             const platform::AnyError& error, RetryCompletion completion) override;

 protected:
  Interceptor(Adapters adapters, Retriers retriers);

 private:
  const Adapters adapters_;
  const Retriers retriers_;
};

}  // namespace wendanet
