#include "tests/Platform/Security/RevocationAnswers.h"

#include <openssl/ocsp.h>

#include <memory>
#include <stdexcept>

namespace {

template <class T>
using Owned = std::unique_ptr<T, void (*)(T*)>;

using Time = Owned<ASN1_TIME>;

Time timeFromNow(std::chrono::seconds offset) { return Time(X509_gmtime_adj(nullptr, offset.count()), ASN1_TIME_free); }

void require(bool condition, const char* step) {
  if (!condition) throw std::runtime_error(std::string("revocation answer: could not ") + step);
}

template <class T, int (*Encode)(const T*, unsigned char**)>
platform::Data encoded(const T* object) {
  unsigned char* bytes = nullptr;
  const int length = Encode(object, &bytes);
  require(length > 0, "encode");
  platform::Data data(bytes, static_cast<std::size_t>(length));
  OPENSSL_free(bytes);
  return data;
}

}  // namespace

platform::Data makeCRL(const testservers::TestIdentity& issuer,
                       const std::vector<const testservers::TestIdentity*>& revoked, std::chrono::seconds lastUpdate,
                       std::chrono::seconds nextUpdate) {
  const Owned<X509_CRL> crl(X509_CRL_new(), X509_CRL_free);
  const Time last = timeFromNow(lastUpdate);
  const Time next = timeFromNow(nextUpdate);
  require(crl && last && next && X509_CRL_set_version(crl.get(), X509_CRL_VERSION_2) == 1 &&
              X509_CRL_set_issuer_name(crl.get(), X509_get_subject_name(issuer.certificate())) == 1 &&
              X509_CRL_set1_lastUpdate(crl.get(), last.get()) == 1 &&
              X509_CRL_set1_nextUpdate(crl.get(), next.get()) == 1,
          "fill in the list");
  for (const auto* certificate : revoked) {
    X509_REVOKED* entry = X509_REVOKED_new();
    require(entry != nullptr &&
                X509_REVOKED_set_serialNumber(entry, X509_get_serialNumber(certificate->certificate())) == 1 &&
                X509_REVOKED_set_revocationDate(entry, last.get()) == 1 && X509_CRL_add0_revoked(crl.get(), entry) == 1,
            "list a certificate");
  }
  require(X509_CRL_sort(crl.get()) == 1 && X509_CRL_sign(crl.get(), issuer.key(), EVP_sha256()) > 0, "sign the list");
  return encoded<X509_CRL, i2d_X509_CRL>(crl.get());
}

platform::Data makeOCSPResponse(const testservers::TestIdentity& certificate, const testservers::TestIdentity& issuer,
                                int status) {
  const Owned<OCSP_BASICRESP> basic(OCSP_BASICRESP_new(), OCSP_BASICRESP_free);
  const Owned<OCSP_CERTID> id(OCSP_cert_to_id(nullptr, certificate.certificate(), issuer.certificate()),
                              OCSP_CERTID_free);
  const Time thisUpdate = timeFromNow(std::chrono::hours(-1));
  const Time nextUpdate = timeFromNow(std::chrono::days(1));
  const bool revoked = status == V_OCSP_CERTSTATUS_REVOKED;
  require(
      basic && id && thisUpdate && nextUpdate &&
          OCSP_basic_add1_status(basic.get(), id.get(), status, revoked ? OCSP_REVOKED_STATUS_KEYCOMPROMISE : -1,
                                 revoked ? thisUpdate.get() : nullptr, thisUpdate.get(), nextUpdate.get()) != nullptr &&
          OCSP_basic_sign(basic.get(), issuer.certificate(), issuer.key(), EVP_sha256(), nullptr, 0) == 1,
      "sign the response");
  const Owned<OCSP_RESPONSE> response(OCSP_response_create(OCSP_RESPONSE_STATUS_SUCCESSFUL, basic.get()),
                                      OCSP_RESPONSE_free);
  require(response != nullptr, "wrap the response");
  return encoded<OCSP_RESPONSE, i2d_OCSP_RESPONSE>(response.get());
}
