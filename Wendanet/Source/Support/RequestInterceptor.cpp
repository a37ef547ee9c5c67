#include "Wendanet/Source/Support/RequestInterceptor.h"

namespace wendanet {

void RequestInterceptor::adapt(const platform::URLRequest& urlRequest, const std::shared_ptr<Session>&,
                               AdaptCompletion completion) {
  completion(urlRequest);
}

void RequestInterceptor::retry(const std::shared_ptr<Request>&, const std::shared_ptr<Session>&,
                               const platform::AnyError&, RetryCompletion completion) {
  completion(RetryResult::doNotRetry());
}

}  // namespace wendanet
