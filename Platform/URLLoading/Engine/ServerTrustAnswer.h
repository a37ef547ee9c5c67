#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/URL.h"
#include "Platform/Foundation/URLError.h"
#include "Platform/Security/SecTrustError.h"
#include "Platform/URLLoading/Engine/DelegateChannel.h"
#include "Platform/URLLoading/URLCredential.h"
#include "Platform/URLLoading/URLProtectionSpace.h"
#include "Platform/URLLoading/URLSessionDelegate.h"

namespace platform {

// How a delegate answered a server-trust challenge.
struct ServerTrustAnswer {
  URLSessionAuthChallengeDisposition disposition = URLSessionAuthChallengeDisposition::cancelAuthenticationChallenge;
  std::optional<URLCredential> credential;
};

// The protection space for a server chain presented for `url`: host in
// lower case, the port (443 unless the URL says otherwise), "https".
URLProtectionSpace serverTrustProtectionSpace(const URL& url);

// The delegate call that puts the server-trust challenge about `space` to
// the delegate for `task`. Its answer goes to `deliver` once, from
// whichever thread gives it; a handler the delegate drops unanswered
// delivers a cancel.
DelegateChannel::Call serverTrustChallengeCall(std::shared_ptr<URLSessionTask> task, URLProtectionSpace space,
                                               std::move_only_function<void(ServerTrustAnswer)> deliver);

// What the answer to the challenge about `space` (which carries the
// server's trust) means for the connection to `url`: null to go on with
// it, otherwise the URLError that refuses it.
//
// A credential made from the challenge's own trust accepts the server;
// default handling judges it as the system would; a cancel fails with
// URLError -999; any other answer (another trust, no credential, a
// rejected protection space) refuses the server as untrusted.
AnyError serverTrustRefusal(const ServerTrustAnswer& answer, const URLProtectionSpace& space, const URL& url);

// The system's judgement of the server's chain: the SSL server policy for
// the space's host, against the system's anchors. The trust is judged
// afresh, whatever a delegate did to the challenge's trust object.
AnyError defaultServerTrustRefusal(const URLProtectionSpace& space, const URL& url);

// The URLError code for a chain the system refused.
URLError::Code urlErrorCode(const SecTrustError& error);

}  // namespace platform
