#pragma once

#include <openssl/types.h>

#include <memory>
#include <string>

#include "Platform/Foundation/Data.h"
#include "Platform/Security/SecKey.h"
#include "Platform/Security/detail/OpenSSLPointers.h"

namespace platform {

// An X.509 certificate, read from and written back to its DER encoding.
class SecCertificate {
 public:
  // The certificate encoded by exactly these bytes; null for anything else
  // (garbage, PEM text, trailing bytes after the certificate).
  static std::shared_ptr<SecCertificate> make(const Data& der);
  // Shares `certificate`, taking a reference of its own; null for null.
  static std::shared_ptr<SecCertificate> fromX509(X509* certificate);

  // The DER encoding, byte for byte as read.
  const Data& data() const { return der_; }
  // A short human-readable name: the subject's common name, or the whole
  // subject when it has none.
  std::string subjectSummary() const;
  // The subject's public key; null when its algorithm is not supported.
  std::shared_ptr<SecKey> publicKey() const;

  // The OpenSSL certificate, still owned by this object.
  X509* x509() const { return certificate_.get(); }

 private:
  SecCertificate(detail::X509Pointer certificate, Data der)
      : certificate_(std::move(certificate)), der_(std::move(der)) {}

  detail::X509Pointer certificate_;
  Data der_;
};

}  // namespace platform
