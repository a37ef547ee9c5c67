#include "Wendanet/Source/Support/Adapter.h"

#include <utility>

#include "Platform/Fatal.h"

namespace wendanet {

std::shared_ptr<Adapter> Adapter::make(AdaptHandler adaptHandler) {
  if (!adaptHandler) platform::fatal("An Adapter needs an adapt handler.");
  return std::shared_ptr<Adapter>(new Adapter(std::move(adaptHandler)));
}

Adapter::Adapter(AdaptHandler adaptHandler) : adaptHandler_(std::move(adaptHandler)) {}

void Adapter::adapt(const platform::URLRequest& urlRequest, const std::shared_ptr<Session>& session,
                    AdaptCompletion completion) {
  adaptHandler_(urlRequest, session, std::move(completion));
}

void Adapter::adaptWithState(const platform::URLRequest& urlRequest, const RequestAdapterState& state,
                             AdaptCompletion completion) {
  adaptHandler_(urlRequest, state.session, std::move(completion));
}

}  // namespace wendanet
