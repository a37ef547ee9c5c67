#include "Platform/URLLoading/Engine/ServerTrustHook.h"

#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>

#include "Platform/Security/SecTrust.h"
#include "Platform/URLLoading/Engine/ServerTrustAnswer.h"

namespace platform {

void ServerTrustHook::setSharedOptions(CURL* handle) {
  curl_easy_setopt(handle, CURLOPT_SSL_SESSIONID_CACHE, 0L);
  curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 0L);
  // The judge brings its own anchors; loading the library's for every
  // connection would be wasted.
  curl_easy_setopt(handle, CURLOPT_CAINFO, nullptr);
  curl_easy_setopt(handle, CURLOPT_CAPATH, nullptr);
  curl_easy_setopt(handle, CURLOPT_SSL_CTX_FUNCTION, &ServerTrustHook::onSSLContext);
}

void ServerTrustHook::install(CURL* handle, const URL& url, Judge judge) {
  url_ = url;
  judge_ = std::move(judge);
  curl_easy_setopt(handle, CURLOPT_SSL_CTX_DATA, this);
}

// Called for each new connection, with a context of its own.
CURLcode ServerTrustHook::onSSLContext(CURL*, void* sslContext, void* self) {
  auto* context = static_cast<SSL_CTX*>(sslContext);
  // The judge replaces the library's chain verification, which stays
  // switched on so that a refusal ends the handshake.
  SSL_CTX_set_cert_verify_callback(context, &ServerTrustHook::onVerifyChain, self);
  // A renegotiation would present a chain again, after the transfer that
  // made the connection may have gone.
  SSL_CTX_set_options(context, SSL_OP_NO_RENEGOTIATION);
  return CURLE_OK;
}

int ServerTrustHook::onVerifyChain(X509_STORE_CTX* context, void* self) {
  return static_cast<ServerTrustHook*>(self)->verifyChain(context);
}

int ServerTrustHook::verifyChain(X509_STORE_CTX* context) {
  URLProtectionSpace space = serverTrustProtectionSpace(*url_);
  space.serverTrust = SecTrust::fromVerifyContext(context, space.host);
  if (space.serverTrust && !judge_(space)) return 1;
  X509_STORE_CTX_set_error(context, X509_V_ERR_APPLICATION_VERIFICATION);
  return 0;
}

}  // namespace platform
