#pragma once

#include <concepts>
#include <expected>
#include <functional>
#include <memory>

#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/HTTPURLResponse.h"
#include "Platform/Foundation/URLRequest.h"

namespace wendanet {

class Session;

// A credential says whether it must be refreshed before it can be used.
template <class Credential>
concept AuthenticationCredential = std::copyable<Credential> && requires(const Credential& credential) {
  { credential.requiresRefresh() } -> std::convertible_to<bool>;
};

// What an authentication interceptor needs to know of one kind of
// credential: how it signs a request, how it is renewed and how a failure
// for want of it is recognised.
template <AuthenticationCredential CredentialType>
class Authenticator {
 public:
  using Credential = CredentialType;
  using RefreshResult = std::expected<Credential, platform::AnyError>;
  // Called exactly once, from any thread.
  using RefreshCompletion = std::move_only_function<void(RefreshResult)>;

  virtual ~Authenticator() = default;

  virtual void apply(const Credential& credential, platform::URLRequest& urlRequest) = 0;
  virtual void refresh(const Credential& credential, const std::shared_ptr<Session>& session,
                       RefreshCompletion completion) = 0;
  virtual bool didRequestFailDueToAuthenticationError(const platform::URLRequest& urlRequest,
                                                      const platform::HTTPURLResponse& response,
                                                      const platform::AnyError& error) = 0;
  virtual bool isRequestAuthenticatedWithCredential(const platform::URLRequest& urlRequest,
                                                    const Credential& credential) = 0;
};

}  // namespace wendanet
