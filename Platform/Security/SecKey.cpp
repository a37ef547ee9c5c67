#include "Platform/Security/SecKey.h"

#include <openssl/crypto.h>
#include <openssl/x509.h>

namespace platform {

std::shared_ptr<SecKey> SecKey::fromPublicKey(const EVP_PKEY* key) {
  if (key == nullptr) return nullptr;
  unsigned char* encoded = nullptr;
  const int length = i2d_PUBKEY(key, &encoded);
  if (length <= 0) return nullptr;
  Data subjectPublicKeyInfo(encoded, static_cast<std::size_t>(length));
  OPENSSL_free(encoded);
  return std::shared_ptr<SecKey>(new SecKey(std::move(subjectPublicKeyInfo)));
}

}  // namespace platform
