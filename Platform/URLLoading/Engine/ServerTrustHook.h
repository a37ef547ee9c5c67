#pragma once

#include <curl/curl.h>
#include <openssl/types.h>

#include <functional>
#include <optional>

#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/URL.h"
#include "Platform/URLLoading/URLProtectionSpace.h"

namespace platform {

// Puts the server of every new TLS connection a transfer makes before a
// judge. In the handshake the chain the server presents becomes a trust,
// carried by a server-trust protection space for the URL's host; the judge
// decides on the engine thread, and an error from it refuses the
// connection. Nothing else checks the server: the transfer library's own
// host check is off, and TLS sessions are never resumed, so no connection
// skips the judge.
class ServerTrustHook {
 public:
  // Null to go on; the error the transfer fails with otherwise.
  using Judge = std::function<AnyError(const URLProtectionSpace& space)>;

  ServerTrustHook() = default;
  ServerTrustHook(const ServerTrustHook&) = delete;
  ServerTrustHook& operator=(const ServerTrustHook&) = delete;

  // The options every hooked handle shares: set once per handle.
  static void setSharedOptions(CURL* handle);
  // On a handle with the shared options. The hook must outlive the handle's
  // connections' handshakes, which only happen while the transfer runs.
  void install(CURL* handle, const URL& url, Judge judge);

 private:
  static CURLcode onSSLContext(CURL* handle, void* sslContext, void* self);
  static int onVerifyChain(X509_STORE_CTX* context, void* self);
  int verifyChain(X509_STORE_CTX* context);

  // The protection space is made from it only in a handshake, which most
  // transfers (plain HTTP, a reused connection) never have.
  std::optional<URL> url_;
  Judge judge_;
};

}  // namespace platform
