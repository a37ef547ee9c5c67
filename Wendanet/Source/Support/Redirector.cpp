#include "Wendanet/Source/Support/Redirector.h"

namespace wendanet {

void Redirector::decideRedirect(const std::shared_ptr<platform::URLSessionTask>& task,
                                const platform::URLRequest& request,
                                const std::shared_ptr<const platform::HTTPURLResponse>& response,
                                Completion completion) {
  if (std::holds_alternative<Follow>(behavior_)) {
    completion(request);
  } else if (const auto* modify = std::get_if<Modify>(&behavior_)) {
    completion(modify->modifier(task, request, response));
  } else {
    completion(std::nullopt);
  }
}

}  // namespace wendanet
