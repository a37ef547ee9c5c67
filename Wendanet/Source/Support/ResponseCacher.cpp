#include "Wendanet/Source/Support/ResponseCacher.h"

namespace wendanet {

void ResponseCacher::decideCachedResponse(const std::shared_ptr<platform::URLSessionDataTask>& task,
                                          const std::shared_ptr<const platform::CachedURLResponse>& proposedResponse,
                                          Completion completion) {
  if (std::holds_alternative<Cache>(behavior_)) {
    completion(proposedResponse);
  } else if (const auto* modify = std::get_if<Modify>(&behavior_)) {
    completion(modify->modifier(task, proposedResponse));
  } else {
    completion(nullptr);
  }
}

}  // namespace wendanet
