#include "Wendanet/Source/Support/ServerTrustManager.h"

#include "Wendanet/Source/Core/WNError.h"

namespace wendanet {

std::shared_ptr<ServerTrustManager> ServerTrustManager::make(bool allHostsMustBeEvaluated, Evaluators evaluators) {
  return std::make_shared<ServerTrustManager>(allHostsMustBeEvaluated, std::move(evaluators));
}

ServerTrustManager::ServerTrustManager(bool allHostsMustBeEvaluated, Evaluators evaluators)
    : allHostsMustBeEvaluated_(allHostsMustBeEvaluated), evaluators_(std::move(evaluators)) {}

std::shared_ptr<const ServerTrustEvaluating> ServerTrustManager::serverTrustEvaluator(const std::string& host) const {
  if (const auto found = evaluators_.find(host); found != evaluators_.end()) return found->second;
  if (allHostsMustBeEvaluated_) {
    throw WNError::serverTrustEvaluationFailed(ServerTrustFailureReason::noRequiredEvaluator(host));
  }
  return nullptr;
}

}  // namespace wendanet
