#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Platform/Foundation/HTTPURLResponse.h"
#include "Platform/Foundation/URLRequest.h"
#include "Platform/URLLoading/Engine/HTTPAuthorization.h"
#include "Platform/URLLoading/URLAuthenticationChallenge.h"
#include "Platform/URLLoading/URLCredentialStorage.h"

namespace platform {

// What one task knows about authenticating: the credential it was told to
// use and for which protection space, the challenge it waits to have
// answered, and how often credentials failed in each space.
//
// A credential only goes to the server of its protection space (same
// scheme, host and port), so a redirect to another server never carries it.
class TaskAuthentication {
 public:
  // The Authorization field value for a hop's request, noting which space
  // the hop carries a credential for; none when there is no credential
  // for the request's server.
  std::optional<std::string> authorizeHop(const URLRequest& request);

  // The challenge a 401 response to `request` makes, or none when it
  // offers nothing the engine can answer. `receivedFields` are the fields
  // as received, each WWW-Authenticate field on its own. The challenge is
  // remembered until it is answered.
  std::optional<URLAuthenticationChallenge> receiveChallenge(const URLRequest& request,
                                                             const std::shared_ptr<HTTPURLResponse>& response,
                                                             const HTTPHeaderFields& receivedFields,
                                                             const URLCredentialStorage* storage);

  // Answers the remembered challenge with a credential; false when the
  // credential has no user or password.
  bool useCredential(const URLCredential& credential);
  // The storage's default credential for the remembered challenge's space,
  // unless it is the one that just failed there.
  std::optional<URLCredential> defaultCredential(const URLCredentialStorage* storage) const;

 private:
  int& failureCount(const URLProtectionSpace& space);

  struct Pending {
    URLProtectionSpace space;
    AnswerableChallenge challenge;
  };

  std::optional<HTTPAuthorization> authorization_;
  std::optional<Pending> pending_;
  // The space whose credential went with the current hop.
  std::optional<URLProtectionSpace> hopSpace_;
  std::vector<std::pair<URLProtectionSpace, int>> failureCounts_;
};

}  // namespace platform
