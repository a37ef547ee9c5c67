#include "Platform/Security/detail/ChainVerification.h"

#include <arpa/inet.h>
#include <openssl/err.h>
#include <openssl/x509v3.h>

#include "Platform/Security/detail/RevocationCheck.h"
#include "Platform/Security/detail/TrustStore.h"

namespace platform::detail {

namespace {

bool isIPAddress(const std::string& host) {
  unsigned char address[sizeof(in6_addr)];
  return inet_pton(AF_INET, host.c_str(), address) == 1 || inet_pton(AF_INET6, host.c_str(), address) == 1;
}

// Names are compared without regard to case; a wildcard stands for one
// whole label only.
int hostCheckResult(X509* leaf, const std::string& host) {
  if (isIPAddress(host))
    return X509_check_ip_asc(leaf, host.c_str(), 0) == 1 ? X509_V_OK : X509_V_ERR_IP_ADDRESS_MISMATCH;
  const int matched = X509_check_host(leaf, host.data(), host.size(), X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS, nullptr);
  return matched == 1 ? X509_V_OK : X509_V_ERR_HOSTNAME_MISMATCH;
}

ChainVerification failure(SecTrustResultType result, int verifyResult, int depth, X509StackPointer builtChain) {
  return ChainVerification{result, verifyResult, depth, std::move(builtChain)};
}

ChainVerification couldNotRun() {
  ERR_clear_error();
  return failure(SecTrustResultType::otherError, X509_V_ERR_OUT_OF_MEM, -1, nullptr);
}

const SecPolicy* firstSSLPolicy(const std::vector<std::shared_ptr<SecPolicy>>& policies) {
  for (const auto& policy : policies) {
    if (policy->kind() == SecPolicy::Kind::ssl) return policy.get();
  }
  return nullptr;
}

}  // namespace

ChainVerification verifyChain(X509* leaf, const std::vector<X509*>& intermediates, const std::vector<X509*>& anchors,
                              bool anchorsOnly, const std::vector<std::shared_ptr<SecPolicy>>& policies) {
  const X509StorePointer store = makeTrustStore(anchors, anchorsOnly);
  // Borrows the certificates; the stack alone is freed.
  const std::unique_ptr<STACK_OF(X509), void (*)(STACK_OF(X509)*)> untrusted(
      sk_X509_new_null(), [](STACK_OF(X509) * stack) { sk_X509_free(stack); });
  const X509StoreContextPointer context(X509_STORE_CTX_new());
  if (!store || !untrusted || !context) return couldNotRun();
  for (X509* certificate : intermediates) {
    if (sk_X509_push(untrusted.get(), certificate) <= 0) return couldNotRun();
  }
  if (X509_STORE_CTX_init(context.get(), store.get(), leaf, untrusted.get()) != 1) return couldNotRun();
  if (const SecPolicy* ssl = firstSSLPolicy(policies)) {
    X509_STORE_CTX_set_purpose(context.get(), ssl->isServer() ? X509_PURPOSE_SSL_SERVER : X509_PURPOSE_SSL_CLIENT);
  }

  const int verified = X509_verify_cert(context.get());
  X509StackPointer chain(X509_STORE_CTX_get1_chain(context.get()));
  if (verified != 1) {
    const int error = X509_STORE_CTX_get_error(context.get());
    ERR_clear_error();
    if (verified < 0 || error == X509_V_OK || error == X509_V_ERR_OUT_OF_MEM) {
      return failure(SecTrustResultType::otherError, error == X509_V_OK ? X509_V_ERR_UNSPECIFIED : error, -1,
                     std::move(chain));
    }
    return failure(SecTrustResultType::recoverableTrustFailure, error, X509_STORE_CTX_get_error_depth(context.get()),
                   std::move(chain));
  }

  if (!chain) return couldNotRun();
  // A leaf that is itself an anchor can leave certificates it does not need
  // behind it; the chain ends at the anchor, which follows the untrusted part.
  const int anchorIndex = X509_STORE_CTX_get_num_untrusted(context.get());
  while (sk_X509_num(chain.get()) > anchorIndex + 1) X509_free(sk_X509_pop(chain.get()));

  for (const auto& policy : policies) {
    if (policy->kind() != SecPolicy::Kind::ssl || !policy->hostName()) continue;
    if (const int result = hostCheckResult(leaf, *policy->hostName()); result != X509_V_OK) {
      return failure(SecTrustResultType::recoverableTrustFailure, result, 0, std::move(chain));
    }
  }
  for (const auto& policy : policies) {
    if (policy->kind() != SecPolicy::Kind::revocation) continue;
    if (const auto refused = checkRevocation(chain.get(), policy->revocationFlags(), store.get())) {
      const auto result = refused->verifyResult == X509_V_ERR_CERT_REVOKED
                              ? SecTrustResultType::fatalTrustFailure
                              : SecTrustResultType::recoverableTrustFailure;
      ERR_clear_error();
      return failure(result, refused->verifyResult, refused->depth, std::move(chain));
    }
  }
  ERR_clear_error();
  return ChainVerification{SecTrustResultType::unspecified, X509_V_OK, -1, std::move(chain)};
}

}  // namespace platform::detail
