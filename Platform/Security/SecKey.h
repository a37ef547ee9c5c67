#pragma once

#include <openssl/types.h>

#include <memory>

#include "Platform/Foundation/Data.h"

namespace platform {

// A public key taken from a certificate. Two keys are equal when their
// encoded SubjectPublicKeyInfo is byte for byte the same.
class SecKey {
 public:
  // The public half of `key`; null when the key cannot be encoded.
  static std::shared_ptr<SecKey> fromPublicKey(const EVP_PKEY* key);

  // The DER-encoded SubjectPublicKeyInfo: algorithm, parameters and key.
  const Data& subjectPublicKeyInfo() const { return subjectPublicKeyInfo_; }

  friend bool operator==(const SecKey& left, const SecKey& right) {
    return left.subjectPublicKeyInfo_ == right.subjectPublicKeyInfo_;
  }

 private:
  explicit SecKey(Data subjectPublicKeyInfo) : subjectPublicKeyInfo_(std::move(subjectPublicKeyInfo)) {}

  Data subjectPublicKeyInfo_;
};

}  // namespace platform
