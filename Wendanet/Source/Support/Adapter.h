#pragma once

#include <functional>
#include <memory>

#include "Wendanet/Source/Support/RequestInterceptor.h"

namespace wendanet {

// An interceptor that adapts with one closure and never retries.
class Adapter final : public RequestInterceptor {
 public:
  using AdaptHandler =
      std::function<void(const platform::URLRequest&, const std::shared_ptr<Session>&, AdaptCompletion)>;

  static std::shared_ptr<Adapter> make(AdaptHandler adaptHandler);

  const AdaptHandler& adaptHandler() const { return adaptHandler_; }

  void adapt(const platform::URLRequest& urlRequest, const std::shared_ptr<Session>& session,
             AdaptCompletion completion) override;
  // The closure sees the state's session; the request id is not passed on.
  void adaptWithState(const platform::URLRequest& urlRequest, const RequestAdapterState& state,
                      AdaptCompletion completion) override;

 private:
  explicit Adapter(AdaptHandler adaptHandler);

  const AdaptHandler adaptHandler_;
};

}  // namespace wendanet
