#include "Platform/Security/SecCertificate.h"

#include <openssl/bio.h>
#include <openssl/crypto.h>
#include <openssl/x509.h>

#include <climits>

namespace platform {

namespace {

std::string commonName(const X509_NAME* name) {
  const int index = X509_NAME_get_index_by_NID(name, NID_commonName, -1);
  if (index < 0) return {};
  const ASN1_STRING* value = X509_NAME_ENTRY_get_data(X509_NAME_get_entry(name, index));
  unsigned char* text = nullptr;
  const int length = ASN1_STRING_to_UTF8(&text, value);
  if (length < 0) return {};
  std::string result(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length));
  OPENSSL_free(text);
  return result;
}

std::string nameText(const X509_NAME* name) {
  const detail::OpenSSLPointer<BIO, BIO_free_all> output(BIO_new(BIO_s_mem()));
  if (!output || X509_NAME_print_ex(output.get(), name, 0, XN_FLAG_RFC2253 & ~ASN1_STRFLGS_ESC_MSB) < 0) return {};
  char* text = nullptr;
  const long length = BIO_get_mem_data(output.get(), &text);
  return length > 0 ? std::string(text, static_cast<std::size_t>(length)) : std::string();
}

}  // namespace

std::shared_ptr<SecCertificate> SecCertificate::make(const Data& der) {
  if (der.empty() || der.size() > static_cast<std::size_t>(LONG_MAX)) return nullptr;
  const unsigned char* cursor = der.bytes();
  detail::X509Pointer certificate(d2i_X509(nullptr, &cursor, static_cast<long>(der.size())));
  if (!certificate || cursor != der.end()) return nullptr;
  return std::shared_ptr<SecCertificate>(new SecCertificate(std::move(certificate), der));
}

std::shared_ptr<SecCertificate> SecCertificate::fromX509(X509* certificate) {
  if (certificate == nullptr) return nullptr;
  unsigned char* encoded = nullptr;
  const int length = i2d_X509(certificate, &encoded);
  if (length <= 0) return nullptr;
  Data der(encoded, static_cast<std::size_t>(length));
  OPENSSL_free(encoded);
  X509_up_ref(certificate);
  return std::shared_ptr<SecCertificate>(new SecCertificate(detail::X509Pointer(certificate), std::move(der)));
}

std::string SecCertificate::subjectSummary() const {
  const X509_NAME* subject = X509_get_subject_name(certificate_.get());
  std::string name = commonName(subject);
  return name.empty() ? nameText(subject) : name;
}

std::shared_ptr<SecKey> SecCertificate::publicKey() const {
  return SecKey::fromPublicKey(X509_get0_pubkey(certificate_.get()));
}

}  // namespace platform
