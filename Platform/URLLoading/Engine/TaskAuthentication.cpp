#include "Platform/URLLoading/Engine/TaskAuthentication.h"

#include <algorithm>

namespace platform {

std::optional<std::string> TaskAuthentication::authorizeHop(const URLRequest& request) {
  hopSpace_.reset();
  if (!authorization_ || !request.url()) return std::nullopt;
  auto field = authorization_->fieldValue(request.httpMethod().value_or("GET"), *request.url());
  if (field) hopSpace_ = authorization_->protectionSpace();
  return field;
}

std::optional<URLAuthenticationChallenge> TaskAuthentication::receiveChallenge(
    const URLRequest& request, const std::shared_ptr<HTTPURLResponse>& response, const HTTPHeaderFields& receivedFields,
    const URLCredentialStorage* storage) {
  pending_.reset();
  if (response->statusCode() != 401 || !request.url()) return std::nullopt;
  auto chosen = strongestAnswerableChallenge(HTTPAuthenticationChallenge::challengesInFields(receivedFields));
  if (!chosen) return std::nullopt;
  auto space = protectionSpaceFor(*request.url(), *chosen);
  // The credential this hop carried did not do for the space.
  if (hopSpace_ == space) ++failureCount(space);
  pending_ = Pending{space, std::move(*chosen)};
  return URLAuthenticationChallenge{
      .protectionSpace = space,
      .proposedCredential = storage ? storage->defaultCredential(space) : std::nullopt,
      .previousFailureCount = failureCount(space),
      .failureResponse = response,
      .error = nullptr,
  };
}

bool TaskAuthentication::useCredential(const URLCredential& credential) {
  if (!pending_) return false;
  auto authorization = HTTPAuthorization::make(pending_->space, pending_->challenge, credential);
  if (!authorization) return false;
  authorization_ = std::move(authorization);
  pending_.reset();
  return true;
}

std::optional<URLCredential> TaskAuthentication::defaultCredential(const URLCredentialStorage* storage) const {
  if (!pending_ || !storage) return std::nullopt;
  auto credential = storage->defaultCredential(pending_->space);
  const bool justFailed =
      credential && authorization_ && hopSpace_ == pending_->space && authorization_->credential() == *credential;
  if (justFailed) return std::nullopt;
  return credential;
}

int& TaskAuthentication::failureCount(const URLProtectionSpace& space) {
  const auto found = std::ranges::find_if(failureCounts_, [&](const auto& entry) { return entry.first == space; });
  if (found != failureCounts_.end()) return found->second;
  return failureCounts_.emplace_back(space, 0).second;
}

}  // namespace platform
